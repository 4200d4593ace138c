// The 1024-byte header of a CCP4 map file, read and checked by the program
// itself before libccp4 opens the file: the library trusts the counts and
// sizes it finds there.
#pragma once

#include <cstdint>
#include <string>

namespace porvane {

// Header words a read map must have right (1-based word numbers). The
// counts and first indices are in the file's own order, columns, rows,
// sections; the sampling and the cell follow the cell axes x, y, z.
struct map_header {
  int32_t count[3] = {0, 0, 0};     // words 1-3: columns, rows, sections
  int32_t mode = 0;                 // word 4: data mode
  int32_t start[3] = {0, 0, 0};     // words 5-7: first column, row, section
  int32_t sampling[3] = {0, 0, 0};  // words 8-10: intervals per cell edge a, b, c
  float cell[6] = {0, 0, 0, 0, 0, 0};  // words 11-16: a, b, c (Å), angles (deg)
  int32_t axes[3] = {0, 0, 0};      // words 17-19: cell axis (1 x, 2 y, 3 z) of columns, rows, sections
  int32_t nsymbt = 0;               // word 24: bytes of symmetry records
  int32_t nlabl = 0;                // word 56: number of labels

  // The file axis (0 columns, 1 rows, 2 sections) that runs along cell axis
  // c (0 x, 1 y, 2 z); the axis order must have been checked.
  int file_axis(int c) const { return axes[0] == c + 1 ? 0 : axes[1] == c + 1 ? 1 : 2; }
  // The first and last grid index the map holds along cell axis c.
  int32_t first(int c) const { return start[file_axis(c)]; }
  int32_t last(int c) const { return start[file_axis(c)] + count[file_axis(c)] - 1; }
};

// Reads the header of the map at `path` and checks it: the map stamp 'MAP '
// in word 53, 32-bit reals, an axis order, the labels, a sampling of at most
// maxgrid intervals per edge, a map that holds every grid point 0..n of its
// sampling along each cell axis (and reaches at most a cell beyond, -n..2n),
// a cell with a positive finite volume, and a file long enough for the
// header's sizes. Stops the run (status 1) saying what is wrong: a file
// that cannot be opened or is not a regular file (never blocking on it), an
// empty file, one too short for a header, one that is not a map, the header
// field that is wrong, or the planes of the grid that the map lacks.
map_header check_map_header(const std::string& path);

}  // namespace porvane
