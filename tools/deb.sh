#!/usr/bin/env bash
# Builds dist/orbivane_<version>_<arch>.deb from the release build: both
# programs with their manual pages, the desktop entry, the icons, the
# AppStream description, the README, the copyright and the changelog,
# depending on the libraries dpkg-shlibdeps finds the programs linked with.
# Then checks it: lintian reports no error, the desktop entry and the
# AppStream file validate, a second packing gives the same bytes, and the
# package unpacked into a scratch root converts the sample. The package's
# times are the commit's (SOURCE_DATE_EPOCH), so
# two builds of one commit give the same file.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" \
  --target orbivane orbivane-cli orbivane-manual-page orbivane-cli-manual-page

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
arch=$(dpkg --print-architecture)
# Every time in the package is the commit's (outside a git clone, CMakeLists.txt's).
committed=$(git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$committed}
work=build/deb
deb=dist/orbivane_${version}_$arch.deb
rm -rf "$work"
mkdir -p "$work" dist

if [[ $(sed -n '1s/^orbivane (\([^)]*\)).*/\1/p' res/deb/changelog) != "$version" ]]; then
  echo "deb.sh: the top entry of res/deb/changelog is not version $version" >&2
  exit 1
fi

# The package's tree in DIR/debian/orbivane, as `cmake --install` lays it out under /usr.
# `retime` gives the installed files another time first, as a build on another day would.
stage() {
  local dir=$1 root=$1/debian/orbivane
  DESTDIR=$PWD/$root cmake --install build/release --prefix /usr --strip >/dev/null
  [[ ${2:-} == retime ]] && find "$root" -exec touch -d "@$((SOURCE_DATE_EPOCH + 86400))" {} +
  local doc=$root/usr/share/doc/orbivane
  mkdir -p "$doc"
  cp res/deb/copyright "$doc/copyright"
  gzip -9n <res/deb/changelog >"$doc/changelog.gz"
  gzip -9n <README.md >"$doc/README.md.gz"
  gzip -9n "$root/usr/share/man/man1/orbivane.1" "$root/usr/share/man/man1/orbivane-cli.1"
  # Only the dependency list differs between machines; the rest is fixed.
  printf 'Source: orbivane\n' >"$dir/debian/control"
  mkdir -p "$root/DEBIAN"  # which tells dpkg-shlibdeps where the package's tree begins
  local depends bin=debian/orbivane/usr/bin
  depends=$(cd "$dir" && dpkg-shlibdeps -O -e"$bin/orbivane" -e"$bin/orbivane-cli" | sed -n 's/^shlibs:Depends=//p')
  # libcurl is loaded only when a download starts (dlopen), so dpkg-shlibdeps cannot see it.
  depends="$depends, libcurl4 (>= 7.85.0)"
  # Installed-Size in KiB, counted as dpkg-gencontrol does: whole KiB per file, one per folder.
  local size
  size=$(find "$root" -path "$root/DEBIAN" -prune -o -printf '%y %s\n' |
    awk '{ k += ($1 == "d") ? 1 : int(($2 + 1023) / 1024) } END { print k }')
  sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@DEPENDS@/$depends/" -e "s/@SIZE@/$size/" \
    res/deb/control.in >"$root/DEBIAN/control"
  (cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum >DEBIAN/md5sums)
  # Permissions and times as a package wants them, whatever the umask and the clock.
  find "$root" -type d -exec chmod 0755 {} +
  find "$root" -type f -exec chmod 0644 {} +
  chmod 0755 "$root"/usr/bin/*
  find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

stage "$work/first"
dpkg-deb --root-owner-group -Zxz --build "$work/first/debian/orbivane" "$deb" >/dev/null
# A second packing of files of another time: any time but the commit's that reaches the package shows.
stage "$work/again" retime
dpkg-deb --root-owner-group -Zxz --build "$work/again/debian/orbivane" "$work/again.deb" >/dev/null
if ! cmp -s "$deb" "$work/again.deb"; then
  echo "deb.sh: a second packing of the same build, its files of another time, gives other bytes than $deb" >&2
  exit 1
fi
echo "Wrote $deb"

echo "== Checks of $deb"
lintian --fail-on error "$deb"
entry=$work/first/debian/orbivane/usr/share/applications/orbivane.desktop
desktop-file-validate "$entry"
# The menu entry starts the window in the documents folder's Orbivane, where its history is kept.
if [[ $(sed -n 's/^Exec=//p' "$entry") != "orbivane --in-documents" ]]; then
  echo "deb.sh: the menu entry does not start the window in the documents folder (Exec=orbivane --in-documents)" >&2
  exit 1
fi
appstreamcli validate --no-net "$work"/first/debian/orbivane/usr/share/metainfo/*.metainfo.xml
# Installed into a scratch root, its orbivane-cli converts the sample.
scratch=$work/scratch
dpkg -x "$deb" "$scratch"
"$scratch/usr/bin/orbivane-cli" --version | grep -qx "orbivane-cli $version"
# Where a Debian user looks for how to use it.
zcat "$scratch/usr/share/doc/orbivane/README.md.gz" | cmp -s - README.md ||
  { echo "deb.sh: the package does not hold the README in /usr/share/doc/orbivane" >&2; exit 1; }
"$scratch/usr/bin/orbivane-cli" convert --source tests/data/astorb-current-sample.dat --output "$scratch/sample.slc" \
  --filter 1-6 --workdir "$scratch" | grep -q "6 asteroid records"
bash tools/checksums.sh
