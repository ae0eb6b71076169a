#!/usr/bin/env bash
# The main job without a window: converts every line of the bundled sample
# with orbivane-cli, shows the catalog and the history, and says where they
# are. tools/run.sh runs it on a machine without a display.
#   bash tools/sample_run.sh ORBIVANE-CLI FOLDER
set -euo pipefail
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
mkdir -p "$2"
folder=$(cd "$2" && pwd)
sample=$(cd "$(dirname "$0")/.." && pwd)/tests/data/astorb-current-sample.dat

lines=$("$cli" count --source "$sample")
"$cli" convert --source "$sample" --output "$folder/sample.slc" --filter "1-$lines" --workdir "$folder"
echo
echo "The catalog $folder/sample.slc, one asteroid a line:"
tr -d '\r' <"$folder/sample.slc"
echo
echo
echo "The history of runs, newest first ($folder/history):"
"$cli" history --workdir "$folder"
cat <<TEXT

There is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the
window cannot open: orbivane-cli did its work on the bundled sample
($sample).
On a desktop, bash tools/run.sh opens the window. Your own astorb.dat:

  $cli convert --source astorb.dat --output my.slc --filter "1-1000"

($cli --help lists every command.)
TEXT
