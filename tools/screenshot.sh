#!/usr/bin/env bash
# Takes the README's pictures of the main window: builds the program, then
# shows the window on a virtual display (Xvfb) after compiling the bundled
# sample twice, and writes docs/screenshot.png. `windows` takes the Windows
# build's window under Wine instead (run tools/windows.sh first) and writes
# docs/screenshot-windows.png.
set -euo pipefail
cd "$(dirname "$0")/.."

mkdir -p docs
if [[ ${1:-} == windows ]]; then
  build=build/windows
  cmake --build --preset windows --target orbivane-screenshot >/dev/null
  # Wine's own desktop window draws the title bar that a window manager
  # would draw otherwise.
  WINEPREFIX=$PWD/$build/wine WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= \
    tests/gui/xvfb_exec.sh wine explorer /desktop=orbivane,800x560 $build/tools/orbivane-screenshot.exe \
    tests/data/astorb-current-sample.dat docs/screenshot-windows.png 2>/dev/null
  echo "Wrote docs/screenshot-windows.png"
  exit 0
fi

bash tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target orbivane-screenshot >/dev/null
GDK_BACKEND=x11 xvfb-run -a -s "-screen 0 1280x800x24" \
  ./build/release/tools/orbivane-screenshot tests/data/astorb-current-sample.dat docs/screenshot.png
echo "Wrote docs/screenshot.png"
