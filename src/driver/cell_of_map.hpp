// The cell of a map read back with -rm, which the run takes as the
// crystal's own.
#pragma once

#include <string>

#include "common/crystal_record.hpp"

namespace porvane {

// A map whose cell is the structure's (to 1e-5 relative) gives the crystal
// its cell as the map holds it. A map of another cell is used with a
// warning on standard error: the crystal takes the map's cell, the frame of
// the PDB convention (a map brings no SCALE records) and the face areas of
// that cell, so that every position the run makes of a grid point (the
// grid-point file, centre lines, depths, Reeb nodes) lies where the map's
// own grid puts it; the solvent content and Vm stay the structure's. That
// frame keeps the structure's atoms in place only when the structure's own
// frame is the PDB convention of its cell: a structure whose SCALE records
// are not cannot take a map of another cell, nor can a map whose cell has
// lengths that single precision cannot carry (status 1, naming the cells).
void take_cell_of_map(crystal_record& celli, const float map_cell[6], const std::string& path);

}  // namespace porvane
