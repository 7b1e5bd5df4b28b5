#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers and runs every test,
# then every fuzz target briefly (scripts/fuzz.sh --smoke). Arguments go to
# ctest; a run narrowed by them leaves the fuzz targets out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/check-includes.sh"
"$root/scripts/build.sh" test
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
(cd "$root/build/test" && ctest --output-on-failure --parallel "${JOBS:-$(nproc)}" "$@")
if [ $# -eq 0 ]; then
  "$root/scripts/fuzz.sh" --smoke
fi
