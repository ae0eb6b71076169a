#!/usr/bin/env bash
# Times converting the last 100 entries of a full-size generated MPCORB.DAT
# (1,450,000 orbit lines after MPC's header) against `wc -l` of the same
# file, and of its `gzip -6` copy against `igzip -dc | wc -l`, in the same
# run: the best of several interleaved runs of each. Needs igzip (Debian: isal).
#   bash bench/mpcorb.sh [REPEAT]     (default 5 runs of each command)
set -euo pipefail
cd "$(dirname "$0")/.."
repeat=${1:-5}
cmake --preset release >/dev/null
cmake --build --preset release -j 2 --target orbivane-cli >/dev/null
data=build/bench
mkdir -p "$data/scratch"
lines=1450000
[[ -s $data/mpcorb-full.dat ]] || python3 bench/make_mpcorb.py "$lines" "$data/mpcorb-full.dat"
[[ $data/mpcorb-full.dat.gz -nt $data/mpcorb-full.dat ]] || gzip -6 -c "$data/mpcorb-full.dat" >"$data/mpcorb-full.dat.gz"
echo "load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 bench/mpcorb_bench.py ./build/release/cli/orbivane-cli "$data/mpcorb-full.dat" "$lines" "$data/scratch" \
  "$repeat"
echo "load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
