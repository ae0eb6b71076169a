#!/usr/bin/env bash
# Times `orbivane-cli fetch` of a full-size astorb.dat.gz from the loopback
# origin against `curl -s -o F URL && orbivane-cli count --source F` in the
# same run, and takes fetch's peak memory.
#   bash bench/fetch.sh [REPEAT]     (default 9 runs of each, interleaved)
set -euo pipefail
source "$(dirname "$0")/prepare.sh"
bench_build orbivane-cli make_astorb
bench_source 1400000 "$data/astorb-full.dat" gz
bench_load before
python3 bench/fetch_bench.py ./build/release/cli/orbivane-cli "$data/astorb-full.dat.gz" "$data/scratch" "${1:-9}"
bench_load after
