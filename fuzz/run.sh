#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer), replays the inputs of past findings, then
# fuzzes each target for a bounded time.
#
#   bash fuzz/run.sh [seconds per target]     (default: FUZZ_SECONDS or 60)
#
# The seed corpora in fuzz/corpus stay as they are; what a run learns goes to
# build/fuzz/corpus, and a crashing input to build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-${FUZZ_SECONDS:-60}}
build=build/fuzz
targets=(fuzz_filter fuzz_record fuzz_conversion fuzz_history fuzz_line_reader fuzz_number_format fuzz_number_parse)

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/artifacts"
summary=()
for target in "${targets[@]}"; do
  if [[ -d fuzz/regressions/$target ]]; then
    inputs=(fuzz/regressions/"$target"/*)
    echo "== $target: replaying ${#inputs[@]} past finding(s)"
    if ! "$build/$target" "${inputs[@]}" >"$build/$target.replay.log" 2>&1; then
      tail -n 40 "$build/$target.replay.log"
      exit 1
    fi
  fi
  echo "== $target: fuzzing for $seconds s"
  mkdir -p "$build/corpus/$target"
  log=$build/$target.log
  if ! "$build/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$target-" "$build/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz/run.sh: $target found a fault; the input is in $build/artifacts" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  summary+=("$(printf '%-20s %10s runs in %s s' "$target" "$runs" "$seconds")")
done
echo "== Fuzzing summary"
printf '%s\n' "${summary[@]}"
