#!/usr/bin/env bash
# scripts/build.sh release|test [TARGET...]: installs what is missing, configures
# and builds (everything, or the targets named).
#   release -> build/release (optimised, for running the program and the benchmarks)
#   test    -> build/test    (Debug with AddressSanitizer and UndefinedBehaviorSanitizer)
# JOBS sets the number of parallel compiles (default: every core).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-release}
shift || true

"$root/scripts/install-deps.sh"

case "$kind" in
  release) dir="$root/build/release"; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  test)    dir="$root/build/test";    flags=(-DCMAKE_BUILD_TYPE=Debug -DTRELLAVOX_SANITIZE=ON -DTRELLAVOX_WERROR=ON) ;;
  *) echo "usage: $0 release|test" >&2; exit 2 ;;
esac

jobs=${JOBS:-$(nproc)}
cmake -S "$root" -B "$dir" -G Ninja "${flags[@]}" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$dir" --parallel "$jobs" --target "$@"
else
  cmake --build "$dir" --parallel "$jobs"
fi
