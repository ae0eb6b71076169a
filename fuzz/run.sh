#!/usr/bin/env bash
# bash fuzz/run.sh [seconds, default FUZZ_SECONDS or 60]: builds the fuzz targets with clang and runs the
# five at once from their seeds in fuzz/corpus, inputs that once found a fault among them. New inputs go
# to build/fuzz/corpus, a crashing one to build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
export seconds=${1:-${FUZZ_SECONDS:-60}} build=build/fuzz
cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
mkdir -p "$build/artifacts"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
[[ -d /dev/shm ]] && export TMPDIR=/dev/shm  # the targets' files stay in memory

fuzz_one() {
  mkdir -p "$build/corpus/$1"
  if ! "$build/$1" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$1-" "$build/corpus/$1" "fuzz/corpus/$1" >"$build/$1.log" 2>&1; then
    tail -n 40 "$build/$1.log"
    echo "fuzz/run.sh: $1 found a fault; the input is in $build/artifacts" >&2
    return 1
  fi
  echo "$1: $(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$1.log") runs in $seconds s"
}
export -f fuzz_one
printf '%s\n' fuzz_conversion fuzz_record fuzz_mpcorb fuzz_history fuzz_recipe | xargs -P 5 -I{} bash -c 'fuzz_one {}'
