#!/usr/bin/env bash
# Runs a command with the download tests' loopback origin (tests/http_origin.py)
# serving the compressed sample on a free port of 127.0.0.1; the command finds
# it in ORBIVANE_TEST_ORIGIN, and the origin ends with the command.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
python3 -c 'import gzip, sys; sys.stdout.buffer.write(gzip.compress(open(sys.argv[1], "rb").read(), mtime=0))' \
  "$here/data/astorb-current-sample.dat" >"$work/astorb.dat.gz"
coproc origin { exec python3 "$here/http_origin.py" --file "$work/astorb.dat.gz" --seconds 600; }
pid=$origin_PID
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$work"' EXIT
read -r port <&"${origin[0]}" || exit 1
export ORBIVANE_TEST_ORIGIN="http://127.0.0.1:$port"
"$@"
