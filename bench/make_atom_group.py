#!/usr/bin/env python3
"""Writes a PDB file of distinct carbon atoms in a cubic P 1 cell, for timing
the distance map on arrangements of atoms.

  bench/make_atom_group.py KIND natoms [cell edge (A)] [clump edge (A)] > file.pdb

KIND is one of
  clump   the atoms inside a cube of the clump edge (default 1 A) at the
          centre of the cell;
  clumps  the atoms shared among eight such cubes at random places;
  plane   the atoms on the plane z = c/2;
  line    the atoms on the line y = b/2, z = c/2;
  spread  the atoms over the whole cell.
The cell edge defaults to 50 A. The positions are drawn from a fixed seed on
the 0.001 A lattice of the PDB columns and are distinct.
"""
import random
import sys

KINDS = ("clump", "clumps", "plane", "line", "spread")


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in KINDS:
        sys.exit(__doc__)
    kind, natoms = sys.argv[1], int(sys.argv[2])
    edge = float(sys.argv[3]) if len(sys.argv) > 3 else 50.0
    group = float(sys.argv[4]) if len(sys.argv) > 4 else 1.0
    rng = random.Random(20240601)
    milli = int(round(edge * 1000))  # lattice places along an edge
    half = milli // 2
    side = int(round(group * 1000))
    corners = [(half - side // 2,) * 3] if kind == "clump" else \
        [tuple(rng.randint(0, milli - side) for _ in range(3)) for _ in range(8)]
    if natoms > 99999:
        sys.exit("at most 99999 atoms")

    def place():
        if kind in ("clump", "clumps"):
            low = rng.choice(corners)
            return tuple(low[c] + rng.randint(0, side) for c in range(3))
        if kind == "plane":
            return rng.randint(0, milli), rng.randint(0, milli), half
        if kind == "line":
            return rng.randint(0, milli), half, half
        return tuple(rng.randint(0, milli) for _ in range(3))

    seen = set()
    out = ["CRYST1%9.3f%9.3f%9.3f%7.2f%7.2f%7.2f %-11s%4d\n" % (edge, edge, edge, 90, 90, 90, "P 1", 1)]
    for _ in range(100 * natoms):
        if len(seen) == natoms:
            break
        at = place()
        if at in seen:
            continue
        seen.add(at)
        n = len(seen)
        x, y, z = (v / 1000.0 for v in at)
        out.append("ATOM  %5d  C   GLY A%4d    %8.3f%8.3f%8.3f  1.00 10.00           C\n"
                   % (n, (n - 1) % 9999 + 1, x, y, z))
    if len(seen) < natoms:
        sys.exit("too many atoms for the %s" % kind)
    out.append("END\n")
    sys.stdout.write("".join(out))


if __name__ == "__main__":
    main()
