#!/usr/bin/env bash
# Times `orbivane-cli fetch` of a full-size astorb.dat.gz from the loopback
# origin against `curl -s -o F URL && orbivane-cli count --source F` in the
# same run, and takes fetch's peak memory.
#   bash bench/fetch.sh [REPEAT]     (default 9 runs of each, interleaved)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j 2 --target orbivane-cli make_astorb >/dev/null
data=build/bench
mkdir -p "$data/scratch"
[[ -s $data/astorb-full.dat ]] || ./build/release/bench/make_astorb 1400000 "$data/astorb-full.dat"
[[ $data/astorb-full.dat.gz -nt $data/astorb-full.dat ]] || gzip -6 -c "$data/astorb-full.dat" >"$data/astorb-full.dat.gz"
echo "load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 bench/fetch_bench.py ./build/release/cli/orbivane-cli "$data/astorb-full.dat.gz" "$data/scratch" "${1:-9}"
echo "load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
