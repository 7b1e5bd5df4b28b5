#!/usr/bin/env bash
# Builds the optimised tree and runs every benchmark (not part of the tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" release
for bench in "$root"/build/release/bin/*_bench; do
  "$bench" "$@"
done
