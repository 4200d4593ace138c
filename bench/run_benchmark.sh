#!/bin/sh
# Distance-map benchmark: the built program on the largest test structure at
# 1.0 and 2.0 Å (with -f, so the time budget keeps the grid size), then the
# synthetic benchmark program when it was built (-DPORVANE_BENCHMARKS=ON).
#
#   bench/run_benchmark.sh [build directory] [pdb file]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
pdb=${2:-$here/../tests/data/pdb/4jsv.pdb}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$pdb" "$work/"
name=$(basename "$pdb")

for gridsize in 1.0 2.0; do
  echo "== $name at $gridsize A (-f -nm)"
  (cd "$work" && /usr/bin/time -v "$build/porvane" "$name" -re "$gridsize" -f -nm \
      > report.txt 2> time.txt) || true
  grep -E "Number of gridpoints|Number of atoms     |Est. time|Map calculation completed" \
      "$work/report.txt"
  grep -E "User time|System time|Maximum resident" "$work/time.txt"
done

if [ -x "$build/bench/porvane_distmap_benchmark" ]; then
  for gridsize in 1.0 2.0; do
    echo "== $name read by the input library, grid $gridsize A"
    "$build/bench/porvane_distmap_benchmark" --pdb "$pdb" "$gridsize"
  done
  for args in "139 163 208 22000 1.0" "139 163 208 22000 2.0" "250 250 250 25000 1.0"; do
    echo "== synthetic crystal: $args"
    # shellcheck disable=SC2086
    "$build/bench/porvane_distmap_benchmark" $args
  done
fi

if [ -x "$build/bench/porvane_reeb_benchmark" ]; then
  for n in 250 125; do
    echo "== Reeb stage, synthetic channel network, $((n + 1))^3 grid points, all three directions"
    /usr/bin/time -v "$build/bench/porvane_reeb_benchmark" "$n" --literal 2> "$work/time.txt" | grep -v "^ "
    grep -E "User time|System time|Maximum resident" "$work/time.txt"
  done
fi
