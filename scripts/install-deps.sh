#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsox-dev libjpeg-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  sox time
  xvfb
  dosfstools mtools
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
# Use-Pty=0: no progress bar of carriage returns in logs.
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends -o Dpkg::Use-Pty=0 "${missing[@]}"
