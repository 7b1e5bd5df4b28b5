#!/usr/bin/env bash
# Installs what is missing, builds and starts Trellavox (demo mode needs no recorder).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" release Trellavox
exec "$root/build/release/bin/Trellavox" "$@"
