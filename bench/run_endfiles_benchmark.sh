#!/bin/sh
# Coordinate-file and zoom-search benchmark: each coordinate file written on
# its own (grid-point file and nearest-channel file at the finest grid with
# at most 250 intervals per edge, channel points by a 1.4 Å cutoff standing in
# for the cluster analysis; expanded file), and the zoom search of the
# program, on the largest test structure and on its atoms in a cubic cell of
# F 4 3 2 (96 operators). Needs a build configured with
# -DPORVANE_BENCHMARKS=ON.
#
#   bench/run_endfiles_benchmark.sh [build directory] [pdb file]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
pdb=${2:-$here/../tests/data/pdb/4jsv.pdb}
bench="$build/bench/porvane_endfiles_benchmark"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
name=$(basename "$pdb")
cp "$pdb" "$work/"
{
  echo "CRYST1  220.000  220.000  220.000  90.00  90.00  90.00 F 4 3 2      96"
  grep -E '^(ATOM|HETATM)' "$pdb"
  echo END
} > "$work/cubic.pdb"

timed() {
  (cd "$work" && /usr/bin/time -v "$@" > out.txt 2> time.txt) || true
  cat "$work/out.txt" | grep -v "^ *[0-9.]*\.\.\." | grep -E "^(cm|nc|ex):|bytes|literal" || true
  grep -E "User time|System time|Elapsed|Maximum resident" "$work/time.txt"
}

if [ -x "$bench" ]; then
  for kind in cm nc ex; do
    echo "== $kind file, $name"
    timed "$bench" "$name" "$kind" 0 5
  done
  echo "== ex file, $name atoms in F 4 3 2"
  timed "$bench" cubic.pdb ex
fi
for input in "$name" cubic.pdb; do
  echo "== zoom search (-zm), $input"
  timed "$build/porvane" -zm "$input"
done
