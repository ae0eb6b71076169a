#!/usr/bin/env bash
# Takes the README's picture of the main window: builds the program, then
# shows the window on a virtual display (Xvfb) after compiling the bundled
# sample twice, and writes docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target orbivane-screenshot >/dev/null
mkdir -p docs
GDK_BACKEND=x11 xvfb-run -a -s "-screen 0 1280x800x24" \
  ./build/release/tools/orbivane-screenshot tests/data/astorb-current-sample.dat docs/screenshot.png
echo "Wrote docs/screenshot.png"
