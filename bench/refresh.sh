#!/usr/bin/env bash
# Times `orbivane-cli refresh` of ten catalogs on a full-size generated
# astorb.dat (1,420,000 lines) against one conversion of its last 100 lines
# and `wc -l` of the same file, in the same run.
#   bash bench/refresh.sh [REPEAT]     (default 5 runs of each, interleaved)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j 2 --target orbivane-cli make_astorb >/dev/null
data=build/bench
mkdir -p "$data/scratch"
[[ -s $data/astorb-select.dat ]] || ./build/release/bench/make_astorb 1420000 "$data/astorb-select.dat"
echo "load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 bench/refresh_bench.py ./build/release/cli/orbivane-cli "$data/astorb-select.dat" "$data/scratch" "${1:-5}"
echo "load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
