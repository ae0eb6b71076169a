#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer), replays the inputs of past findings, then
# fuzzes each target for a bounded time, as many at once as there are cores.
#
#   bash fuzz/run.sh [seconds per target]     (default: FUZZ_SECONDS or 60)
#
# FUZZ_JOBS sets how many targets run at once (default: the number of cores).
# The seed corpora in fuzz/corpus stay as they are; what a run learns goes to
# build/fuzz/corpus, and a crashing input to build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-${FUZZ_SECONDS:-60}}
parallel=${FUZZ_JOBS:-$(nproc)}
build=build/fuzz
targets=(fuzz_filter fuzz_record fuzz_conversion fuzz_history fuzz_line_reader fuzz_number_format fuzz_number_parse)

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/artifacts"

fuzz_one() {
  local target=$1 log=$build/$1.log
  if [[ -d fuzz/regressions/$target ]]; then
    local inputs=(fuzz/regressions/"$target"/*)
    if ! "$build/$target" "${inputs[@]}" >"$build/$target.replay.log" 2>&1; then
      tail -n 40 "$build/$target.replay.log"
      echo "fuzz/run.sh: $target fails on a past finding again" >&2
      return 1
    fi
    echo "== $target: ${#inputs[@]} past finding(s) replayed"
  fi
  mkdir -p "$build/corpus/$target"
  if ! "$build/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$target-" "$build/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz/run.sh: $target found a fault; the input is in $build/artifacts" >&2
    return 1
  fi
  echo "== $target: done"
}

echo "== Fuzzing ${#targets[@]} targets for $seconds s each, $parallel at a time"
failed=0
pids=()
for target in "${targets[@]}"; do
  if ((${#pids[@]} >= parallel)); then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
  fuzz_one "$target" &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
((failed == 0)) || exit 1

echo "== Fuzzing summary"
for target in "${targets[@]}"; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$target.log")
  printf '%-20s %10s runs in %s s\n' "$target" "$runs" "$seconds"
done
