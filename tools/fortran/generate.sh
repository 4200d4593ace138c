#!/bin/sh
# Regenerates the gfortran expectations in tests/data/format (needs gfortran).
set -e
here=$(cd "$(dirname "$0")" && pwd)
data="$here/../../tests/data/format"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for gen in free_format formatted read random; do
  gfortran -O0 -J "$work" "$here/case_items.f90" "$here/gen_$gen.f90" -o "$work/gen_$gen"
  "$work/gen_$gen" "$data/records.pdb" > "$data/$gen.txt"
done
gfortran -O0 -J "$work" "$here/gen_open_line.f90" -o "$work/gen_open_line"
"$work/gen_open_line" > "$data/open_line.txt"
