#!/usr/bin/env bash
# Installs what is missing, builds, and starts the Orbivane window. Without a
# display it does the main job with orbivane-cli instead: it converts the
# bundled sample and shows the catalog and the history (tools/sample_run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  exec bash tools/sample_run.sh build/release/cli/orbivane-cli build/sample
fi
exec ./build/release/ui/orbivane
