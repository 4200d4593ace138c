#include "driver/cell_of_map.hpp"

#include <algorithm>
#include <cmath>

#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "input/cell_convention.hpp"
#include "input/cell_lengths.hpp"

namespace porvane {

namespace {

bool same_cell(const float map_cell[6], const float cell[6]) {
  for (int c = 0; c < 6; ++c)
    if (!(std::fabs(map_cell[c] - cell[c]) <= 1.0e-5f * std::max(1.0f, std::fabs(cell[c]))))
      return false;
  return true;
}

std::string cell_text(const float cell[6]) {
  return formatted_text("(3f9.3,3f7.2)", {cell[0], cell[1], cell[2], cell[3], cell[4], cell[5]});
}

}  // namespace

void take_cell_of_map(crystal_record& celli, const float map_cell[6], const std::string& path) {
  if (same_cell(map_cell, celli.cell)) {
    std::copy(map_cell, map_cell + 6, celli.cell);
    return;
  }
  std::string cells = "(";
  cells.append(cell_text(map_cell)).append(") differs from the cell of the structure (");
  cells.append(cell_text(celli.cell)).append(")");
  if (!in_pdb_convention(celli))
    fatal_stop("map file " + path + ": its cell " + cells +
               ", whose scale matrix is not the PDB convention of its cell: the map cannot be used");

  cell_frame frame;
  std::copy(map_cell, map_cell + 6, frame.cell);
  use_pdb_convention(frame);
  float facearea[3];
  cell_face_areas(frame.cell, facearea);
  if (!cell_lengths_fit(frame, facearea))
    fatal_stop("map file " + path + ": lengths across its cell (" + cell_text(map_cell) +
               ") lie beyond single precision: the map cannot be used");

  diagnostic("warning: the cell of map file " + path + " " + cells + "; the map's cell is used");
  static_cast<cell_frame&>(celli) = frame;
  std::copy(facearea, facearea + 3, celli.facearea);
}

}  // namespace porvane
