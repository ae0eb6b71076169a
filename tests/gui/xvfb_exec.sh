#!/usr/bin/env bash
# Runs a command on a private virtual X display (Xvfb) of its own, so that
# the window's tests need no desktop, never touch the user's display, and
# can run side by side: the server itself picks a free display number
# (-displayfd), which leaves no race between two starts.
set -uo pipefail
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "Xvfb is missing: install the xvfb package (bash tools/setup.sh does)" >&2
  exit 1
fi
scratch=$(mktemp -d)
server=
cleanup() {
  [[ -n "$server" ]] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
mkfifo "$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/server.log" &
server=$!
if ! read -r number <"$scratch/display"; then
  echo "Xvfb did not start:" >&2
  cat "$scratch/server.log" >&2
  exit 1
fi
unset WAYLAND_DISPLAY
export DISPLAY=":$number" GDK_BACKEND=x11 NO_AT_BRIDGE=1
"$@"
