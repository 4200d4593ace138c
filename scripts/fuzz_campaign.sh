#!/usr/bin/env bash
# A longer fuzz campaign than the test suite runs: mutated structures, maps,
# names and command lines, each run checked to end with status 0, 1 or 2
# within its time limit and without a sanitizer report.
#
#   scripts/fuzz_campaign.sh [cases (20000)] [parallel jobs (4)] [build directory (build)]
#
# Point it at build-sanitize to run the campaign under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
cases=${1:-20000}
jobs=${2:-4}
build=${3:-build}
program="$PWD/$build/porvane"
[ -x "$program" ] || { echo "no $program: build first (scripts/setup.sh)" >&2; exit 2; }
test_binary="$build/porvane_fuzz_runs"
g++ -std=c++20 -O2 -Itests -DPORVANE_TEST_DATA="\"$PWD/tests/data\"" -DPORVANE_BINARY="\"$program\"" \
  scripts/fuzz/fuzz_runs.cpp -o "$test_binary" -lgtest -lgtest_main -pthread

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
start=$(date +%s)
for ((job = 0; job < jobs; ++job)); do
  share=$(( cases / jobs + (job < cases % jobs ? 1 : 0) ))
  PORVANE_FUZZ_CASES=$share PORVANE_FUZZ_SEED=$((7001 + job)) \
    "$test_binary" --gtest_filter='Fuzz.*' > "$logs/$job.log" 2>&1 &
done
failed=0
wait || failed=1
end=$(date +%s)

grep -h "^fuzz:" "$logs"/*.log | awk -v seconds=$((end - start)) '
  { for (i = 1; i <= NF; ++i) {
      if ($i == "status") { s = $(i + 1); sub(":", "", s); n = $(i + 2); sub(";", "", n); count[s] += n }
      if ($i == "slowest" && $(i + 1) > slowest) slowest = $(i + 1)
      if ($i == "fuzz:") { r = $(i + 1); runs += r } } }
  END { printf "%d runs in %d s;", runs, seconds
        for (s in count) printf " status %s: %d;", s, count[s]
        printf " slowest run %.2f s\n", slowest }'
if [ "$failed" -ne 0 ] || grep -q "FAILED" "$logs"/*.log; then
  grep -h -A3 "Failure\|status [^012]" "$logs"/*.log | head -50
  echo "fuzz campaign: failures found" >&2
  exit 1
fi
echo "fuzz campaign: every run ended cleanly"
