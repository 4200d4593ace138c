#!/usr/bin/env bash
# Installs what this machine lacks (Debian, as root or with sudo) and builds
# porvane in ./build. Usage: scripts/setup.sh [extra cmake arguments]
#
# Another installer often runs on a fresh machine (unattended upgrades, the
# first boot's provisioning) and holds the package manager's locks for a while.
# apt-get then fails at once ("Could not get lock", status 100); this script
# waits for the locks instead, up to PORVANE_LOCK_WAIT seconds (1800).
# A second run installs nothing and only builds.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake make pkg-config libccp4-dev libccp4-data libgtest-dev python3-pymol python3-gemmi time)
lock_wait=${PORVANE_LOCK_WAIT:-1800}
# What apt-get says when a lock is held (under LC_ALL=C).
lock_held="Could not get lock|Unable to acquire the dpkg frontend lock|Unable to lock the administration directory"

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

# apt-get with its arguments; while another process holds one of the
# package manager's locks (the dpkg lock of an install, the package lists'
# lock of an update), wait and try again. Any other failure ends the script.
apt_get() {
  local errors status announced=""
  local start=$SECONDS
  errors=$(mktemp)
  while :; do
    status=0
    "${sudo_cmd[@]}" env LC_ALL=C DEBIAN_FRONTEND=noninteractive \
      apt-get -qq -o DPkg::Lock::Timeout=10 "$@" >/dev/null 2>"$errors" || status=$?
    if [ "$status" -ne 0 ] && grep -Eq "$lock_held" "$errors" &&
       [ $((SECONDS - start)) -lt "$lock_wait" ]; then
      if [ -z "$announced" ]; then
        echo "Another installer holds the package manager's lock; waiting for it" \
             "(up to ${lock_wait} s)..." >&2
        announced=yes
      fi
      sleep 5
      continue
    fi
    cat "$errors" >&2
    rm -f "$errors"
    return "$status"
  done
}

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt_get update
  apt_get install -y "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
jobs=$(nproc)
[ "$jobs" -gt 4 ] && jobs=4
cmake --build build -j"$jobs"
