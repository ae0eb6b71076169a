#!/usr/bin/env bash
# Installs what is missing, builds, and starts the Orbivane window. Without a
# display it says so and shows how to do the same work with orbivane-cli.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  cat >&2 <<'TEXT'
No display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the Orbivane
window cannot open. orbivane-cli does the same work from the shell, e.g. the
bundled sample:

  mkdir -p out && ./build/release/cli/orbivane-cli convert --source tests/data/astorb-current-sample.dat \
    --output out/sample.slc --filter "1-6" --workdir out

(`./build/release/cli/orbivane-cli --help` lists its commands.)
TEXT
  exit 1
fi
exec ./build/release/ui/orbivane
