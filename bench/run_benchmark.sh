#!/bin/sh
# Benchmarks of the distance map and of the channel analysis.
#
# The built program on the largest test structure (4jsv) under /usr/bin/time
# -v: the whole default run with -f (the map file included) at the finest grid
# the 250-interval limit allows (0.8 Å asked for, raised to 0.832 Å), at 1.0
# and at 2.0 Å. When the build was configured with -DPORVANE_BENCHMARKS=ON, the
# benchmark programs then time the stages one by one: the distance map on
# synthetic crystals, and the map, porosity scan, multiscale loop and summary
# on 4jsv, with a lean union-find labelling of the same cutoffs as yardstick
# at the finest grid and the literal loop of the tests on a small grid.
# Then a clump of 4000, 8000 and 16000 atoms inside a 1 Å cube of a 50 Å P 1
# cell against the same numbers of atoms spread over the cell
# (bench/make_atom_group.py writes them): whole runs at 0.5 Å with -f and -s
# (one cutoff: a clump leaves a void that the multiscale loop would step
# through for some 200 cutoffs), and the map alone in the benchmark program.
#
#   bench/run_benchmark.sh [--quick] [build directory] [pdb file]
#
# --quick runs every benchmark once, at one coarse grid and on small
# synthetic crystals, for a check (with a small structure) that each runs.
# The script stops with the status of the first run that fails.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
quick=
if [ "${1:-}" = --quick ]; then
  quick=yes
  shift
fi
build=$(cd "${1:-$here/../build}" && pwd)
pdb=${2:-$here/../tests/data/pdb/4jsv.pdb}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$pdb" "$work/"
name=$(basename "$pdb")
# shellcheck source=bench/run_steps.sh
. "$here/run_steps.sh"
need_benchmarks distmap reeb channels

# Grids of the whole runs, of the map of the structure, of the stage-by-stage
# channel runs (the first with the yardstick); synthetic crystals (a:b:c:atoms:grid);
# edges of the synthetic channel networks; atoms of the clump and spread
# crystals and their grid.
if [ -n "$quick" ]; then
  run_grids="2.0" map_grids="2.0" channel_grids="2.0"
  crystals="40:50:60:1000:2.0" networks="40" groups="1000" group_grid="2.0"
else
  run_grids="0.8 1.0 2.0" map_grids="1.0 2.0" channel_grids="0.8 1.0 2.0"
  crystals="139:163:208:22000:1.0 139:163:208:22000:2.0 250:250:250:25000:1.0" networks="250 125"
  groups="4000 8000 16000" group_grid="0.5"
fi

for gridsize in $run_grids; do
  echo "== $name at $gridsize A (-f, whole default run)"
  rm -f "$work"/*.map
  timed "Number of gridpoints|Gridsize used|Map calculation completed" \
    "$build/porvane" "$name" -re "$gridsize" -f
  echo "   cutoffs of the multiscale loop: $(grep -cE '^ +-?[0-9]+\.[0-9] +[0-9]+ +[0-9]+ ' "$work/out.txt")"
done

if [ -x "$build/bench/porvane_distmap_benchmark" ]; then
  for gridsize in $map_grids; do
    echo "== $name read by the input library, grid $gridsize A"
    "$build/bench/porvane_distmap_benchmark" --pdb "$pdb" "$gridsize"
  done
  for crystal in $crystals; do
    args=$(echo "$crystal" | tr : ' ')
    echo "== synthetic crystal: $args"
    # shellcheck disable=SC2086
    "$build/bench/porvane_distmap_benchmark" $args
  done
fi

for natoms in $groups; do
  for kind in clump spread; do
    echo "== $natoms atoms, $kind, 50 A cell of P 1 at $group_grid A (-f -s, whole run)"
    "$here/make_atom_group.py" "$kind" "$natoms" > "$work/$kind.pdb"
    rm -f "$work"/*.map
    timed "Est. time|Map calculation completed" "$build/porvane" "$kind.pdb" -re "$group_grid" -f -s
    if [ -x "$build/bench/porvane_distmap_benchmark" ]; then
      timed "fast map|check" "$build/bench/porvane_distmap_benchmark" --group "$kind" "$natoms" "$group_grid"
    fi
  done
done

if [ -x "$build/bench/porvane_reeb_benchmark" ]; then
  for n in $networks; do
    echo "== Reeb stage, synthetic channel network, $((n + 1))^3 grid points, all three directions"
    timed "^[^ ]" "$build/bench/porvane_reeb_benchmark" "$n" --literal
  done
fi

if [ -x "$build/bench/porvane_channels_benchmark" ]; then
  cd "$work"
  echo "== channel stages of $name, stage by stage"
  option=--yardstick
  for gridsize in $channel_grids; do
    "$build/bench/porvane_channels_benchmark" "$name" "$gridsize" $option
    option=
  done
  echo "== the literal loop of the tests on a small grid"
  "$build/bench/porvane_channels_benchmark" "$name" 4.0 --literal
fi
