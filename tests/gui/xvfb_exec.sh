#!/usr/bin/env bash
# Runs a command on an X display of its own: Xvfb picks a free number itself
# (-displayfd), so that tests run side by side.
set -u
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" &
server=$!
trap 'kill $server; wait $server; rm -f "$fifo"' EXIT
read -r number <"$fifo" || exit 1
unset WAYLAND_DISPLAY
export DISPLAY=":$number" GDK_BACKEND=x11 NO_AT_BRIDGE=1
"$@"
