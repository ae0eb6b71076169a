#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the optimised build
# and its Debian package (tools/deb.sh), the fuzz targets for a bounded time,
# then the same tests under AddressSanitizer and UndefinedBehaviorSanitizer
# (last, so that CTest's summary closes the output).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
jobs=$(nproc)

echo "== Release build and tests"
cmake --preset release
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs"

echo "== Debian package of the release build, and its checks"
bash tools/deb.sh

echo "== Fuzzing: each libFuzzer target for ${FUZZ_SECONDS:-60} s"
bash fuzz/run.sh "${FUZZ_SECONDS:-60}"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
cmake --preset sanitize
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs"
