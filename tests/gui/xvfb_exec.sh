#!/usr/bin/env bash
# Runs a command with a private virtual X display (Xvfb) of its own, so that
# the window's tests need no desktop and never touch the user's display.
set -euo pipefail
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run is missing: install the xvfb and xauth packages (bash tools/setup.sh does)" >&2
  exit 1
fi
unset WAYLAND_DISPLAY
export GDK_BACKEND=x11 NO_AT_BRIDGE=1
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"
