"""Rewrites a distance map with gemmi (Debian's python3-gemmi) the way other
programs store the same map.

usage: rewrite_map_gemmi.py MAP OUT C,R,S [BORDER]
       rewrite_map_gemmi.py MAP OUT whole-cell

C,R,S: the map's values with its columns, rows and sections along the cell
axes C, R, S (1 x, 2 y, 3 z), as header words 17-19 say, and BORDER points of
NaN added before and after the values on every axis (first index -BORDER).
whole-cell: gemmi's own whole cell, n points 0..n-1 on an axis of n
intervals, as gemmi and most CCP4 programs write one.
"""
import sys

import gemmi
import numpy


def main():
    source, out, how = sys.argv[1], sys.argv[2], sys.argv[3]
    m = gemmi.read_ccp4_map(source)
    if how == "whole-cell":
        m.setup(float("nan"))
        m.update_ccp4_header()
        m.write_ccp4_map(out)
        return
    order = [int(a) for a in how.split(",")]
    border = int(sys.argv[4]) if len(sys.argv) > 4 else 0
    xyz = numpy.array(m.grid, copy=False)  # indexed [x, y, z]
    stored = numpy.pad(numpy.transpose(xyz, [a - 1 for a in order]), border,
                       constant_values=numpy.nan)  # indexed [column, row, section]
    m.grid = gemmi.FloatGrid(numpy.asfortranarray(stored), m.grid.unit_cell, m.grid.spacegroup)
    for w in range(3):
        m.set_header_i32(1 + w, stored.shape[w])
        m.set_header_i32(5 + w, -border)
        m.set_header_i32(17 + w, order[w])
    m.write_ccp4_map(out)


main()
