#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build, then the fuzz test
# again in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
(cd build && ctest --output-on-failure -j"$(nproc)")

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPORVANE_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$(nproc)"
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j"$(nproc)" -R 'Fuzz|EndToEnd')
