#!/usr/bin/env bash
# Installs what is missing, builds, and converts the bundled ASTORB sample
# into a Skyloom catalog.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null
mkdir -p out
./build/release/cli/orbivane-cli convert --source tests/data/astorb-current-sample.dat \
  --output out/sample.slc --filter "1-6" --workdir out
