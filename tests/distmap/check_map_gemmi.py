"""Reads a distance map with gemmi (Debian's python3-gemmi) and holds it
against the grid-point file of the same run.

usage: check_map_gemmi.py MAP GRID_PDB

The map must read as P 1 with the cell of the grid file's CRYST1 line, one
value per grid point 0..n on each axis (the grid file lists them i outer,
k inner, the distance in columns 61-66), header statistics that agree with
the data (libccp4 stores the spread about the mean as "rms"), and the title
"testmap". Exits 0 and prints a summary when all holds, 1 otherwise.
"""
import math
import sys

import gemmi
import numpy


def fail(message):
    print("map check failed:", message)
    sys.exit(1)


def main():
    map_path, grid_path = sys.argv[1], sys.argv[2]
    m = gemmi.read_ccp4_map(map_path)
    data = numpy.array(m.grid, copy=False)

    with open(grid_path) as f:
        lines = f.read().splitlines()
    cryst = [l for l in lines if l.startswith("CRYST1")]
    points = [l for l in lines if l.startswith(("ATOM", "HETATM"))]
    cell = [float(cryst[0][6 + 9 * c: 15 + 9 * c]) for c in range(3)] + \
           [float(cryst[0][33 + 7 * c: 40 + 7 * c]) for c in range(3)]

    if m.grid.spacegroup.hm != "P 1":
        fail("space group %s" % m.grid.spacegroup.hm)
    got = m.grid.unit_cell.parameters
    if any(abs(a - b) > 0.0015 for a, b in zip(got, cell)):
        fail("cell %s, grid file %s" % (got, cell))
    if [m.header_i32(w) for w in (17, 18, 19)] != [1, 2, 3]:
        fail("axis order")
    if not m.header_str(57, 80).startswith("testmap"):
        fail("title %r" % m.header_str(57, 80))
    if data.size != len(points):
        fail("%d values, grid file %d points" % (data.size, len(points)))
    nu, nv, nw = data.shape
    if [m.header_i32(w) for w in (8, 9, 10)] != [nu - 1, nv - 1, nw - 1]:
        fail("sampling %s for %s points" % ([m.header_i32(w) for w in (8, 9, 10)], data.shape))

    p = 0
    for i in range(nu):
        for j in range(nv):
            for k in range(nw):
                want = float(points[p][60:66])
                if abs(float(data[i, j, k]) - want) > 0.0051:
                    fail("point %d %d %d: map %.4f, grid file %.2f" % (i, j, k, data[i, j, k], want))
                p += 1

    stats = (float(data.min()), float(data.max()), float(data.mean()), float(data.std()))
    header = tuple(m.header_float(w) for w in (20, 21, 22, 55))
    for name, a, b in zip(("min", "max", "mean", "rms"), header, stats):
        if not math.isclose(a, b, rel_tol=1e-4, abs_tol=1e-5):
            fail("header %s %.6f, data %.6f" % (name, a, b))
    print("map %s: %d x %d x %d points, cell %s, %.2f to %.2f A" %
          (map_path, nu, nv, nw, " ".join("%.3f" % v for v in got), stats[0], stats[1]))


main()
