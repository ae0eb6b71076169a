#!/usr/bin/env bash
# Part of tools/windows.sh, on its display and Wine server: builds
# dist/orbivane-<version>-windows-x64-setup.exe from the zip's folder, tests
# it in a fresh Wine prefix (a silent upgrade over an earlier version, the
# Start-menu shortcut and its working folder, the uninstall entry, a
# conversion by the installed orbivane-cli.exe, a running program that stops a
# silent install and uninstall, a file in use that keeps the uninstall entry,
# the pages a user sees, a silent uninstall that leaves the history), then
# runs the window's layout test at 144 and 192 DPI.
#   tools/windows_setup.sh PACKAGE-FOLDER VERSION
set -euo pipefail
cd "$(dirname "$0")/.."
package=$1 version=$2
build=$PWD/build/windows
setup=dist/orbivane-$version-windows-x64-setup.exe

# Builds the installer of `version` into `out`.
make_setup() {
  local size
  size=$(cat "$package"/* | wc -c)
  makensis -V2 -DVERSION="$1" -DPACKAGE="$package" -DOUTFILE="$2" -DSIZE_KB=$(((size + 1023) / 1024)) \
    res/orbivane-setup.nsi
  chmod 0755 "$2"
}
echo "== Windows installer: $setup"
make_setup "$version" "$PWD/$setup"

fail() {
  echo "windows_setup.sh: $*" >&2
  exit 1
}

# A prefix of its own, with a home of its own: Wine links a prefix's
# Documents to the home's, which must not be this machine's.
(
  export WINEPREFIX=$build/wine-setup HOME=$build/wine-setup-home
  rm -rf "$WINEPREFIX" "$HOME"
  mkdir -p "$HOME"
  trap 'wineserver -k 2>/dev/null || true' EXIT
  wineboot --init >/dev/null 2>&1
  user_dir=$WINEPREFIX/drive_c/users/$(id -un)
  programs=$user_dir/AppData/Local/Programs/Orbivane
  documents=$user_dir/Documents/Orbivane
  link="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orbivane.lnk"
  key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orbivane'
  # One value of the uninstall entry, empty when there is none.
  entry() {
    wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
      awk -v v="$1" '$1 == v { $1 = $2 = ""; sub(/^  /, ""); print }'
  }

  echo "== Installer test: silent upgrade over 1.0.0.0 in a fresh prefix"
  make_setup 1.0.0.0 "$build/setup-earlier.exe"
  wine "$build/setup-earlier.exe" /S
  [[ $(entry DisplayVersion) == 1.0.0.0 ]] || fail "the earlier installer made no uninstall entry"
  wine "$PWD/$setup" /S
  wineserver -w
  for file in orbivane.exe orbivane-cli.exe README.txt LICENSES.txt; do
    cmp -s "$package/$file" "$programs/$file" || fail "$file is not installed in $programs"
  done
  [[ -f $programs/uninstall.exe ]] || fail "no uninstall.exe beside the programs"
  [[ -d $documents ]] || fail "the installer made no $documents"
  local_programs='C:\users\'$(id -un)'\AppData\Local\Programs\Orbivane'
  got=$(for v in DisplayName DisplayVersion Publisher DisplayIcon InstallLocation EstimatedSize; do
    echo "$v=$(entry "$v")"; done)
  expected="DisplayName=Orbivane
DisplayVersion=$version
Publisher=The Orbivane developers
DisplayIcon=$local_programs\\orbivane.exe,0
InstallLocation=$local_programs
EstimatedSize=0x$(printf %x $(( ($(cat "$package"/* | wc -c) + 1023) / 1024 )))"
  [[ $got == "$expected" ]] || fail "uninstall entry: expected"$'\n'"$expected"$'\n'"got"$'\n'"$got"
  got=$(python3 tools/shortcut_fields.py "$link")
  expected="target=$local_programs\\orbivane.exe
working folder=C:\\users\\$(id -un)\\Documents\\Orbivane"
  [[ $got == "$expected" ]] || fail "Start-menu shortcut: expected"$'\n'"$expected"$'\n'"got"$'\n'"$got"

  # The installed orbivane-cli.exe converts, recording the run in the shortcut's working folder.
  wine "$programs/orbivane-cli.exe" convert --source 'Z:'"$PWD/tests/data/astorb-current-sample.dat" \
    --output 'C:\users\'"$(id -un)"'\Documents\Orbivane\sample.slc' --filter 1-6 \
    --workdir 'C:\users\'"$(id -un)"'\Documents\Orbivane' | tr -d '\r' | grep -q 'Wrote 6 asteroid records' ||
    fail "the installed orbivane-cli.exe did not convert the sample"
  [[ -s $documents/history ]] || fail "the conversion left no $documents/history"

  driver=$build/tools/setup_driver.exe
  # The exit code of a command, without ending this script.
  status_of() {
    local status=0
    "$@" || status=$?
    echo "$status"
  }
  # The installed files and the shortcut (their times too: a file written anew with the same bytes has
  # changed), and the uninstall entry, as one text.
  installed_state() {
    find "$programs" "$link" -type f -printf '%T@ ' -exec sha256sum {} \; | LC_ALL=C sort -k 3
    wine reg query "$key" | tr -d '\r' | LC_ALL=C sort
  }
  # Uninstalls silently in place (_?=), so that the exit code is the uninstaller's.
  uninstall_in_place() { timeout 120 wine "$programs/uninstall.exe" /S "_?=$local_programs"; }

  echo "== Installer test: a running orbivane-cli.exe stops a silent install and uninstall, which change nothing"
  held=$build/setup-held
  rm -rf "$held"
  mkdir -p "$held"
  mkfifo "$held/source"
  # A source without end while this script keeps it open (and no other process: the reader would wait on
  # itself).
  exec 3<>"$held/source"
  timeout 300 wine "$programs/orbivane-cli.exe" convert --source "Z:$held/source" --output "Z:$held/held.slc" \
    --filter 1 --workdir "Z:$held" >/dev/null 2>&1 3>&- &
  cli=$!
  timeout 120 wine "$driver" running || fail "the running orbivane-cli.exe holds no Orbivane.Running mutex"
  before=$(installed_state)
  [[ $(status_of timeout 120 wine "$PWD/$setup" /S) != 0 ]] || fail "setup.exe /S succeeded while Orbivane runs"
  [[ $(installed_state) == "$before" ]] || fail "setup.exe /S changed the installation while Orbivane runs"
  [[ $(status_of uninstall_in_place) != 0 ]] || fail "uninstall.exe /S succeeded while Orbivane runs"
  [[ $(installed_state) == "$before" ]] || fail "uninstall.exe /S changed the installation while Orbivane runs"
  exec 3>&-
  wait "$cli" || true

  echo "== Installer test: once it has ended, both succeed"
  [[ $(status_of timeout 120 wine "$PWD/$setup" /S) == 0 ]] || fail "setup.exe /S failed after Orbivane ended"
  for file in orbivane.exe orbivane-cli.exe README.txt LICENSES.txt; do
    cmp -s "$package/$file" "$programs/$file" || fail "$file is not installed in $programs"
  done
  [[ $(status_of uninstall_in_place) == 0 ]] || fail "uninstall.exe /S failed after Orbivane ended"
  # Run in place, the uninstaller cannot delete itself.
  [[ $(ls "$programs") == uninstall.exe ]] || fail "uninstalling left $(ls "$programs")"
  [[ -z $(entry DisplayName) ]] || fail "uninstalling left the uninstall entry"

  echo "== Installer test: the pages, walked by tools/setup_driver.cpp"
  [[ $(status_of timeout 120 wine "$PWD/$setup" /S) == 0 ]] || fail "setup.exe /S failed"
  windows_setup=Z:$PWD/$setup
  timeout 300 wine "$driver" walk "${windows_setup//\//\\}" "$local_programs" \
    'C:\users\'"$(id -un)"'\Documents\Orbivane' | tr -d '\r' || fail "the walk through the pages failed"

  echo "== Installer test: a file in use after the check keeps the uninstaller and its entry"
  coproc holder { timeout 300 wine "$driver" hold "$local_programs\\README.txt"; }
  holder_pid=$!
  line=
  read -r -t 120 line <&"${holder[0]}" || true
  [[ $line == held* ]] || fail "README.txt could not be held open"
  [[ $(status_of uninstall_in_place) != 0 ]] || fail "uninstall.exe /S succeeded while README.txt was in use"
  [[ -e $programs/README.txt && -e $programs/uninstall.exe && -e $link ]] ||
    fail "with README.txt in use, uninstall.exe /S removed the uninstaller or the shortcut"
  [[ $(entry DisplayName) == Orbivane ]] || fail "with README.txt in use, uninstall.exe /S removed its entry"
  eval "exec ${holder[1]}>&-"
  wait "$holder_pid" || true

  echo "== Installer test: silent uninstall, which finishes the one the file in use stopped"
  wine "$programs/uninstall.exe" /S
  wineserver -w
  [[ ! -e $programs ]] || fail "uninstalling left $programs"
  [[ ! -e $link ]] || fail "uninstalling left the Start-menu shortcut"
  [[ -z $(entry DisplayName) ]] || fail "uninstalling left the uninstall entry"
  [[ -s $documents/history && -s $documents/sample.slc ]] || fail "uninstalling removed the user's history or catalog"
)
rm -rf "$build/wine-setup" "$build/wine-setup-home" "$build/setup-held"

echo "== Layout of every dialog at 144 and 192 DPI"
for dpi in 144 192; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  ORBIVANE_EXPECT_DPI=$dpi wine "$build/tests/gui/gui_tests.exe" --gtest_filter='LayoutTest.*' --gtest_brief=1 |
    tr -d '\r' || { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null; exit 1; }
done
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null
