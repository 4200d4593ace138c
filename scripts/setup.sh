#!/usr/bin/env bash
# Installs what this machine lacks (Debian, as root or with sudo) and builds
# porvane in ./build. Usage: scripts/setup.sh [extra cmake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake make pkg-config libccp4-dev libccp4-data libgtest-dev python3-pymol python3-gemmi)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  echo "Installing: ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
jobs=$(nproc)
[ "$jobs" -gt 4 ] && jobs=4
cmake --build build -j"$jobs"
