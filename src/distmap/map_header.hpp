// The 1024-byte header of a CCP4 map file, read and checked by the program
// itself before libccp4 opens the file: the library trusts the counts and
// sizes it finds there.
#pragma once

#include <cstdint>
#include <string>

namespace porvane {

// Header words a read map must have right (1-based word numbers).
struct map_header {
  int32_t count[3] = {0, 0, 0};     // words 1-3: columns, rows, sections
  int32_t mode = 0;                 // word 4: data mode
  int32_t start[3] = {0, 0, 0};     // words 5-7: first column, row, section
  int32_t sampling[3] = {0, 0, 0};  // words 8-10: intervals per cell edge
  float cell[6] = {0, 0, 0, 0, 0, 0};  // words 11-16: a, b, c (Å), angles (deg)
  int32_t axes[3] = {0, 0, 0};      // words 17-19: axes of columns, rows, sections
  int32_t nsymbt = 0;               // word 24: bytes of symmetry records
  int32_t nlabl = 0;                // word 56: number of labels
};

// Reads the header of the map at `path` and checks it: the map stamp 'MAP '
// in word 53, 32-bit reals, an axis order, the labels, a grid 0..n with n
// at most maxgrid that holds the map, a cell with a positive finite volume,
// and a file long enough for the header's sizes. Stops the run (status 1)
// saying what is wrong: a file that cannot be opened or is not a regular
// file (never blocking on it), an empty file, one too short for a header,
// one that is not a map, or the header field that is wrong.
map_header check_map_header(const std::string& path);

}  // namespace porvane
