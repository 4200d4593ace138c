#!/bin/sh
# Benchmark of the stages at the end of a run and of the zoom search, on the
# largest test structure (4jsv) by default.
#
# With a build configured with -DPORVANE_BENCHMARKS=ON, the benchmark program
# times each stage on its own after the map and the channel analysis of a
# run, one process per stage: the Reeb graph of -rb (all three directions at
# the 3D radius) at the finest grid with at most 250 intervals per edge
# (0.83 Å) and at 1.0 Å, the grid-point and nearest-channel files at 0.83 Å,
# the expanded file, also for 4jsv's atoms in a 220 Å cell of F 4 3 2 (96
# operators). Then whole runs of the program under /usr/bin/time -v: the
# default run with -f at 0.83 Å, the same with -rb, -cm, -nc and -ex, and the
# zoom search.
#
#   bench/run_endfiles_benchmark.sh [--quick] [build directory] [pdb file]
#
# --quick runs every benchmark once at a coarse grid, for a check (with a
# small structure) that each runs. The script stops with the status of the
# first run that fails.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
quick=
if [ "${1:-}" = --quick ]; then
  quick=yes
  shift
fi
build=$(cd "${1:-$here/../build}" && pwd)
pdb=${2:-$here/../tests/data/pdb/4jsv.pdb}
bench="$build/bench/porvane_endfiles_benchmark"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
name=$(basename "$pdb")
stem=${name%.*}
cp "$pdb" "$work/"
{
  echo "CRYST1  220.000  220.000  220.000  90.00  90.00  90.00 F 4 3 2      96"
  grep -E '^(ATOM|HETATM)' "$pdb"
  echo END
} > "$work/cubic.pdb"

# shellcheck source=bench/run_steps.sh
. "$here/run_steps.sh"
need_benchmarks endfiles
bench_lines="^(rb|cm|nc|ex):|^  "

# Grids of the Reeb stage, of the grid-point and nearest-channel files and of
# the whole runs.
if [ -n "$quick" ]; then
  reeb_grids="2.0" file_grid="2.0"
else
  reeb_grids="0.83 1.0" file_grid="0.83"
fi

if [ -x "$bench" ]; then
  for gridsize in $reeb_grids; do
    echo "== Reeb stage, $name at $gridsize A"
    timed "$bench_lines" "$bench" "$name" rb "$gridsize"
  done
  for kind in cm nc; do
    echo "== $kind file, $name at $file_grid A"
    timed "$bench_lines" "$bench" "$name" "$kind" "$file_grid" 5
  done
  echo "== ex file, $name"
  timed "$bench_lines" "$bench" "$name" ex
  echo "== ex file, $name atoms in F 4 3 2"
  timed "$bench_lines" "$bench" cubic.pdb ex
fi
for option in "" -rb -cm -nc -ex; do
  echo "== whole run: porvane $name -re $file_grid -f $option"
  rm -f "$work"/*.map "$work/reeb_graph.py" "$work/${stem}"_*.pdb
  # shellcheck disable=SC2086
  timed "Gridsize used|Number of gridpoints" "$build/porvane" "$name" -re "$file_grid" -f $option
done
for input in "$name" cubic.pdb; do
  echo "== zoom search (-zm), $input"
  timed "^ +1\. " "$build/porvane" "$input" -zm
done
