#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build, every benchmark run
# once on a small structure and a short fuzz campaign, then the whole suite
# again in a build with AddressSanitizer (leak detection on, libccp4's own
# leaks suppressed by scripts/lsan.supp) and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
[ "$jobs" -gt 4 ] && jobs=4
scripts/setup.sh -DPORVANE_BENCHMARKS=ON
(cd build && ctest --output-on-failure -j"$jobs")
# Every benchmark once on a small structure, so that a benchmark that stops
# or finds nothing to load fails the tests; its output shown only then.
for script in bench/run_benchmark.sh bench/run_endfiles_benchmark.sh; do
  if ! "$script" --quick build tests/data/pdb/1ubq.pdb > build/quick_benchmark.txt 2>&1; then
    cat build/quick_benchmark.txt
    echo "$script --quick failed" >&2
    exit 1
  fi
done
# A short fuzz campaign, so that the campaign's program keeps building and running.
scripts/fuzz_campaign.sh 200 "$jobs" build

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPORVANE_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan.supp" \
  ctest --output-on-failure -j"$jobs")
