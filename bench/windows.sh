#!/usr/bin/env bash
# A Start of orbivane.exe's window against orbivane-cli.exe on the same source
# and filter, under Wine on a virtual display, with the full-size sources of
# bench/run.sh (made here when missing). tools/windows.sh must have run first:
# it makes the Windows build and its Wine prefix.
#   bash bench/windows.sh [REPEAT]     (default 3 runs of each)
set -euo pipefail
cd "$(dirname "$0")/.."
repeat=${1:-3}
build=build/windows
if [[ ! -d $build/wine ]]; then
  echo "bench/windows.sh: no Windows build; run bash tools/windows.sh first" >&2
  exit 1
fi

data=build/bench
mkdir -p "$data/scratch-windows"
if [[ ! -s $data/astorb-full.dat ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target make_astorb >/dev/null
  ./build/release/bench/make_astorb 1400000 "$data/astorb-full.dat"
fi
if [[ ! $data/astorb-full.dat.gz -nt $data/astorb-full.dat ]]; then
  gzip -6 -c "$data/astorb-full.dat" >"$data/astorb-full.dat.gz"
fi
cmake --build "$build" -j "$(nproc)" --target window_bench orbivane-cli >/dev/null

export WINEPREFIX=$PWD/$build/wine WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
echo "The window's Start against orbivane-cli.exe, both under Wine ($(wine --version)):"
# Wine sees this machine's files on drive Z:.
z="Z:$PWD"
last100=1399901-1400000
tests/gui/xvfb_exec.sh bash -c 'wine "$@"; status=$?; wineserver -k 2>/dev/null; exit $status' wine \
  "$build/bench/window_bench.exe" "$z/$build/cli/orbivane-cli.exe" "$z/$data/scratch-windows" "$repeat" \
  "$z/$data/astorb-full.dat" "$last100" "$z/$data/astorb-full.dat.gz" "$last100" "$z/$data/astorb-full.dat" 1-29999
