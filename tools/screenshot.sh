#!/usr/bin/env bash
# Takes the README's pictures of the main window: builds the program, then
# shows the window on a virtual display (Xvfb) after compiling the bundled
# sample twice, and writes docs/screenshot.png, and the selection dialog
# over it into docs/screenshot-select.png. `windows` takes the Windows
# build's window under Wine instead (run tools/windows.sh first) and writes
# docs/screenshot-windows.png; `windows 144` does so at 144 DPI (150%), and
# writes docs/screenshot-windows-144dpi.png.
set -euo pipefail
cd "$(dirname "$0")/.."

mkdir -p docs
if [[ ${1:-} == windows ]]; then
  build=build/windows
  cmake --build --preset windows --target orbivane-screenshot >/dev/null
  # Wine's own desktop window draws the title bar that a window manager
  # would draw otherwise.
  dpi=${2:-96} shots=(main)
  [[ $dpi == 96 ]] || shots=(main help about)
  export WINEPREFIX=$PWD/$build/wine WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  for shot in "${shots[@]}"; do
    picture=docs/screenshot-windows.png
    [[ $dpi == 96 ]] || picture=docs/screenshot-windows-${dpi}dpi$([[ $shot == main ]] || echo "-$shot").png
    tests/gui/xvfb_exec.sh wine explorer /desktop=orbivane,$((800 * dpi / 96))x$((560 * dpi / 96)) \
      $build/tools/orbivane-screenshot.exe tests/data/astorb-current-sample.dat "$picture" "$shot" 2>/dev/null
    echo "Wrote $picture"
  done
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  exit 0
fi

bash tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target orbivane-screenshot >/dev/null
for shot in main select; do
  picture=docs/screenshot$([[ $shot == main ]] || echo "-$shot").png
  GDK_BACKEND=x11 xvfb-run -a -s "-screen 0 1280x800x24" \
    ./build/release/tools/orbivane-screenshot tests/data/astorb-current-sample.dat "$picture" "$shot"
  echo "Wrote $picture"
done
