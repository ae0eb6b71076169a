#!/usr/bin/env bash
# Times `orbivane-cli select` on a full-size generated astorb.dat (1,420,000
# lines, orbits and magnitudes spread as in the real catalog) against `wc -l`
# of the same file in the same run: a run without the sky (--h-max), the
# 90-day window of the target, the same on one core, and the worst case (every
# asteroid's peak over a year), with each one's peak memory and cost per line.
#   bash bench/select.sh [REPEAT]     (default 5 runs of each but the worst case, interleaved)
set -euo pipefail
source "$(dirname "$0")/prepare.sh"
bench_build orbivane-cli make_astorb
bench_source 1420000 "$data/astorb-select.dat"
bench_load before
python3 bench/select_bench.py ./build/release/cli/orbivane-cli "$data/astorb-select.dat" "$data/scratch" "${1:-5}"
bench_load after
