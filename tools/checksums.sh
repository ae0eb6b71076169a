#!/usr/bin/env bash
# Writes dist/SHA256SUMS for every other file of dist/ and checks it.
set -euo pipefail
cd "$(dirname "$0")/../dist"
find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | LC_ALL=C sort | xargs -r -d '\n' sha256sum >SHA256SUMS
sha256sum --quiet -c SHA256SUMS
echo "Wrote dist/SHA256SUMS ($(wc -l <SHA256SUMS) files)"
