#!/usr/bin/env bash
# Generates a full-size astorb.dat (1,400,000 lines of today's layout, about
# 375 MB), its `gzip -6` copy as Lowell distributes it, and a 40 MB one, then
# times orbivane-cli against `wc -l` and an awk script on the same warm files,
# and on the .gz against `igzip -dc | wc -l`, and prints the ratios. Then a
# Start of the window, on a virtual display, against orbivane-cli on the same
# source and filter (bench/windows.sh does that under Wine). Needs igzip
# (Debian: isal) and the ISA-L build (tools/setup.sh installs both).
#   bash bench/run.sh [REPEAT]     (default 5 runs of each command)
set -euo pipefail
repeat=${1:-5}
source "$(dirname "$0")/prepare.sh"
bench_build orbivane-cli make_astorb bench_runner window_bench
bench_source 1400000 "$data/astorb-full.dat" gz
bench_source 150000 "$data/astorb-40mb.dat"
bench_load before

./build/release/bench/bench_runner ./build/release/cli/orbivane-cli bench/convert.awk \
  "$data/astorb-full.dat" "$data/astorb-full.dat.gz" "$data/astorb-40mb.dat" "$data/scratch" "$repeat"
bench_load after

# The awk baseline must agree with the catalog it is compared with.
if cmp -s "$data/scratch/one.slc" "$data/scratch/awk.slc"; then
  echo "awk output is identical to orbivane-cli's"
else
  echo "note: awk output differs from orbivane-cli's"
fi
# The compressed source must give the same catalog as the plain one.
if cmp -s "$data/scratch/one.slc" "$data/scratch/gz.slc"; then
  echo "the .gz conversion is identical to the plain one"
else
  echo "note: the .gz conversion differs from the plain one"
fi

echo
echo "The window's Start against orbivane-cli (the window on a virtual display):"
last100=1399901-1400000
tests/gui/xvfb_exec.sh ./build/release/bench/window_bench "$PWD/build/release/cli/orbivane-cli" "$PWD/$data/scratch" \
  "$repeat" "$PWD/$data/astorb-full.dat" "$last100" "$PWD/$data/astorb-full.dat.gz" "$last100" \
  "$PWD/$data/astorb-full.dat" 1-29999
