#!/usr/bin/env bash
# Builds orbivane.exe and orbivane-cli.exe for 64-bit Windows on this Debian
# machine, runs their tests under Wine on a virtual display, and writes
# dist/orbivane-<version>-windows-x64.zip.
#
# The programs link a static wxMSW, libpng and ERFA built here from Debian's
# own source packages (zlib comes from libz-mingw-w64-dev). Those builds take
# minutes, so they go to a cache outside the repository keyed by a hash of
# their recipe; later runs reuse it. `--deps` stops after the cache is ready.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

host=x86_64-w64-mingw32
jobs=$(nproc)

# Debian packages beyond those of the Linux build (which include Xvfb for the
# window's tests): the cross compiler, zlib for Windows, Wine, dpkg-source
# for the source packages, zip, and makensis for the installer.
bash tools/setup.sh g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 dpkg-dev zip nsis

# Every Wine process of this run shares one virtual display: the prefix's
# desktop starts once, on it, and the window's tests take turns there.
if [[ -z ${ORBIVANE_WINDOWS_DISPLAY:-} ]]; then
  ORBIVANE_WINDOWS_DISPLAY=1 exec tests/gui/xvfb_exec.sh bash "$0" "$@"
fi

# Fetches a Debian source package into the current folder, unpacked with
# Debian's patches applied. A temporary deb-src list made from the system's
# own Debian entries is used, so the system's apt set-up stays as it is.
fetch_source() {
  local package=$1 apt_dir
  apt_dir=$(mktemp -d)
  mkdir -p "$apt_dir/lists/partial"
  local codename
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  {
    # One-line entries of sources.list.
    grep -hE '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list 2>/dev/null |
      grep -E "[[:space:]]$codename[[:space:]]" | sed -E 's/^[[:space:]]*deb[[:space:]]/deb-src /' || true
    # deb822 stanzas of sources.list.d/*.sources: the Debian release's main component.
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
      [[ -e $f ]] || continue
      awk -v codename="$codename" '
        function flush() {
          if (types ~ /(^| )deb( |$)/ && comps ~ /(^| )main( |$)/ && uris != "") {
            n = split(suites, s, " ")
            for (i = 1; i <= n; i++)
              if (s[i] == codename)
                printf "deb-src %s%s %s %s\n", (signed != "" ? "[signed-by=" signed "] " : ""), uris, s[i], comps
          }
          types = uris = suites = comps = signed = ""
        }
        /^[[:space:]]*$/ { flush(); next }
        /^#/ { next }
        { key = $1; sub(/:$/, "", key); $1 = ""; sub(/^ /, "")
          if (key == "Types") types = $0; else if (key == "URIs") uris = $0
          else if (key == "Suites") suites = $0; else if (key == "Components") comps = $0
          else if (key == "Signed-By") signed = $0 }
        END { flush() }' "$f"
    done
  } >"$apt_dir/sources.list"
  if [[ ! -s $apt_dir/sources.list ]]; then
    echo "windows.sh: no Debian $codename entry in the apt sources to fetch $package from" >&2
    exit 1
  fi
  local apt_options=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o Dir::Etc::sourceparts=/dev/null
    -o "Dir::State::Lists=$apt_dir/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
    -o APT::Sandbox::User=root)
  apt-get "${apt_options[@]}" update -qq
  apt-get "${apt_options[@]}" source --download-only -qq "$package"
  rm -rf "$apt_dir"
  dpkg-source --no-check -x ./*.dsc src >/dev/null
}

# Runs a build step with its output in build.log, shown only when it fails.
quiet() {
  "$@" >>build.log 2>&1 || { tail -n 40 build.log >&2; echo "windows.sh: failed: $*" >&2; return 1; }
}

# libpng, static, for the toolkit's PNG images (the program's icons).
build_libpng() {
  local prefix=$1
  mkdir -p libpng && cd libpng
  fetch_source libpng1.6
  mkdir build && cd build
  quiet ../src/configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
    CC=$host-gcc-posix CFLAGS=-O2
  quiet make -j"$jobs"
  quiet make install
  cd ../..
}

# wxMSW 3.2, static, with only what the program uses: the core and base
# libraries, PNG through the libpng above, zlib from the cross compiler's
# own folder; the bundled third-party libraries are not in Debian's tarball.
build_wxmsw() {
  local prefix=$1
  mkdir -p wx && cd wx
  fetch_source wxwidgets3.2
  mkdir build && cd build
  quiet ../src/configure --host=$host --prefix="$prefix" --disable-shared --enable-unicode --with-msw \
    --without-opengl --with-libpng=sys --with-zlib=sys --with-regex=no \
    --without-libjpeg --without-libtiff --without-expat --without-liblzma --without-libcurl \
    --without-libmspack --without-libnotify --without-nanosvg \
    --disable-html --disable-aui --disable-stc --disable-richtext --disable-propgrid --disable-ribbon \
    --disable-webview --disable-mediactrl --disable-xrc --disable-webrequest --disable-sound \
    --disable-svg --disable-mshtmlhelp --disable-gif --disable-pcx --disable-iff --disable-pnm --disable-tga \
    CC=$host-gcc-posix CXX=$host-g++-posix CFLAGS=-O2 CXXFLAGS=-O2 \
    CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib"
  quiet make -j"$jobs"
  quiet make install
  cd ../..
}

# ERFA, static, for the Earth's position and the calendar: the C files of
# Debian's erfa source package that its Makefile.am puts in the library,
# compiled as they are; the version macros its configure script would write
# are read from its configure.ac.
build_erfa() {
  local prefix=$1
  mkdir -p erfa && cd erfa
  fetch_source erfa
  cd src/src
  local version sofa sources
  version=$(sed -n 's/^AC_INIT(\[erfa\], *\[\([0-9]*\.[0-9]*\.[0-9]*\)\]).*/\1/p' ../configure.ac)
  sofa=$(sed -n 's/^AC_DEFINE(\[SOFA_VERSION\], *\["\([0-9]*\)"\].*/\1/p' ../configure.ac)
  sources=$(sed -n '/^liberfa_la_SOURCES *=/,/[^\\]$/p' Makefile.am | sed 's/^liberfa_la_SOURCES *=//; s/\\//')
  if [[ -z $version || -z $sofa || -z $sources ]]; then
    echo "windows.sh: erfa's configure.ac or Makefile.am is not laid out as this recipe reads it" >&2
    return 1
  fi
  local major minor micro
  IFS=. read -r major minor micro <<<"$version"
  # shellcheck disable=SC2086  # one word per source file
  quiet $host-gcc-posix -O2 -I. -c $sources -DPACKAGE_VERSION="\"$version\"" -DPACKAGE_VERSION_MAJOR="$major" \
    -DPACKAGE_VERSION_MINOR="$minor" -DPACKAGE_VERSION_MICRO="$micro" -DSOFA_VERSION="\"$sofa\""
  mkdir -p "$prefix/include" "$prefix/lib"
  quiet $host-ar rcs "$prefix/lib/liberfa.a" ./*.o
  cp erfa.h erfam.h erfaextra.h erfadatextra.h "$prefix/include/"
  cd ../../..
}

# The cache folder: a hash of the recipes above and of the compiler.
recipe_hash=$({ declare -f fetch_source build_libpng build_wxmsw; $host-g++-posix --version; } |
  sha256sum | cut -c1-16)
deps=${ORBIVANE_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orbivane-windows}/$recipe_hash

if [[ ! -e $deps/ready ]]; then
  echo "== Building libpng and wxMSW for Windows into $deps (once, for some minutes)"
  # Builds of earlier recipes are of no more use.
  for old in "$(dirname "$deps")"/*; do
    if [[ $(basename "$old") =~ ^[0-9a-f]{16}$ ]]; then rm -rf "$old"; fi
  done
  mkdir -p "$deps"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  trap 'exit 1' INT TERM  # so that the folder goes then too
  (cd "$work" && build_libpng "$deps/prefix" && build_wxmsw "$deps/prefix")
  rm -rf "$work"
  trap - EXIT INT TERM
  touch "$deps/ready"
fi

# ERFA has a folder and a recipe hash of its own beside them, so that a change
# of one recipe does not rebuild the other. A lock keeps two runs from building
# it at once.
erfa=$(dirname "$deps")/erfa-$({ declare -f fetch_source build_erfa; $host-gcc-posix --version; } |
  sha256sum | cut -c1-16)
exec {erfa_lock}>"$(dirname "$deps")/erfa.lock"
flock "$erfa_lock"
if [[ ! -e $erfa/ready ]]; then
  echo "== Building ERFA for Windows into $erfa"
  for old in "$(dirname "$deps")"/erfa-*; do
    if [[ $(basename "$old") =~ ^erfa-[0-9a-f]{16}$ ]]; then rm -rf "$old"; fi
  done
  mkdir -p "$erfa"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  trap 'exit 1' INT TERM
  (cd "$work" && build_erfa "$erfa/prefix")
  rm -rf "$work"
  trap - EXIT INT TERM
  touch "$erfa/ready"
fi
exec {erfa_lock}>&-
[[ ${1:-} == --deps ]] && exit 0

export ORBIVANE_WINDOWS_PREFIX=$deps/prefix ORBIVANE_WINDOWS_ERFA_PREFIX=$erfa/prefix
build=$root/build/windows
# Wine runs in a prefix of its own inside the build folder, quiet, and
# without the .NET and web-browser add-ons, which the programs do not use.
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=

echo "== Windows build: orbivane.exe and orbivane-cli.exe"
cmake --preset windows >/dev/null
# The prefix is made first, and is complete once every process of its making
# has ended. Then one server serves every Wine process of this run, from
# before the build, which already lists the tests through Wine: Wine
# processes that start a server at the same moment can wait for each other
# for a minute. The prefix's own services start here, so that they hold no
# test's output open.
wineboot --init >/dev/null 2>&1
wineserver -w
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
trap 'exit 1' INT TERM
wineboot >/dev/null 2>&1
cmake --build --preset windows -j "$jobs"

# Each executable stands alone: every DLL it imports is one of Windows' own.
for exe in "$build/ui/orbivane.exe" "$build/cli/orbivane-cli.exe"; do
  for dll in $($host-objdump -p "$exe" | awk '/DLL Name:/ { print tolower($3) }'); do
    if [[ ! -e $WINEPREFIX/drive_c/windows/system32/$dll ]]; then
      echo "windows.sh: $(basename "$exe") needs $dll, which Windows does not have" >&2
      exit 1
    fi
  done
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip=dist/orbivane-$version-windows-x64.zip
package=$build/package
rm -rf "$package" "$build/package.zip"
mkdir -p "$package"
# The times in the zip and the executables' headers (which strip writes anew)
# are the commit's (outside a git clone, the time of CMakeLists.txt), so two
# builds of one commit give the same zip.
committed=$(git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$committed}
$host-strip -o "$package/orbivane.exe" "$build/ui/orbivane.exe"
$host-strip -o "$package/orbivane-cli.exe" "$build/cli/orbivane-cli.exe"
sed 's/$/\r/' >"$package/README.txt" <<TEXT
Orbivane $version for 64-bit Windows 10 or later

Orbivane builds asteroid catalogs for the Skyloom planetarium program out of
the ASTORB orbit catalog (astorb.dat). Nothing needs installing: unpack both
programs into a folder you can write to and start them from there.

orbivane.exe      The window. Choose the ASTORB file with the first "..."
                  button, type the asteroid numbers you want (for example
                  1-1000, 1004-5000), name the new catalog with the second
                  "..." and press Start. Help explains the rest; About is
                  the last item of the window menu (Alt+Space).

orbivane-cli.exe  The same from a command prompt, for example:
                    orbivane-cli convert --source astorb.dat --output mine.slc --filter 1-1000
                    orbivane-cli history
                  "orbivane-cli --help" lists every command. In PowerShell,
                  start it with its folder: .\orbivane-cli.exe history

astorb.dat.gz, as Lowell distributes it, is read as it is, by both
programs: there is no need to unpack it first, whatever Help says about
uncompressing it.

The programs are not signed, so the first time you start each one Windows
SmartScreen may say it "protected your PC": choose "More info", then "Run
anyway".

Every run is recorded in a file named "history" in the folder the program
was started from (for orbivane-cli, the current folder or --workdir). A
catalog that Skyloom or another program holds open, or that is read-only,
is not replaced: the message names the file and the reason, and the old
catalog stays as it was.

To check a download against SHA256SUMS, published beside it, open
PowerShell in the download's folder and run, for the zip or the installer:
  Get-FileHash .\orbivane-$version-windows-x64.zip -Algorithm SHA256
  Get-FileHash .\orbivane-$version-windows-x64-setup.exe -Algorithm SHA256
The Hash it prints must be the first word of that file's line in
SHA256SUMS (which writes the same digits in small letters).

LICENSES.txt holds the copyright notices and licences of the libraries
built into both programs (ERFA, wxWidgets, libpng, zlib, winpthreads).
TEXT
python3 tools/third_party_notices.py "$package/LICENSES.txt"
touch -d "@$SOURCE_DATE_EPOCH" "$package"/*
(cd "$package" && TZ=UTC zip -q -X ../package.zip orbivane.exe orbivane-cli.exe README.txt LICENSES.txt)

echo "== Windows tests under Wine (then $zip)"
ctest --preset windows -j "$jobs"
echo "== The download table through orbivane-cli.exe (WinHTTP) against a loopback origin on this machine"
python3 tests/fetch_table.py --no-posix --https --system-trust --cli wine "$build/cli/orbivane-cli.exe"
mkdir -p dist
mv "$build/package.zip" "$zip"

# ---- The per-user installer, and the dialogs at 150% and 200% ----
bash tools/windows_setup.sh "$package" "$version"
bash tools/checksums.sh

# Both READMEs show Get-FileHash on each Windows file by the name SHA256SUMS lists it under.
for name in "$(basename "$zip")" "orbivane-$version-windows-x64-setup.exe"; do
  awk -v name="$name" '$2 == name && length($1) == 64 && $1 ~ /^[0-9a-f]+$/ { found = 1 } END { exit !found }' \
    dist/SHA256SUMS ||
    { echo "windows.sh: dist/SHA256SUMS has no line for $name" >&2; exit 1; }
  for readme in "$package/README.txt" README.md; do
    grep -qF "Get-FileHash .\\$name -Algorithm SHA256" "$readme" ||
      { echo "windows.sh: $readme does not show Get-FileHash .\\$name -Algorithm SHA256" >&2; exit 1; }
  done
done
