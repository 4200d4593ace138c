// The atom whose copy lies nearest to one grid point, as the distance map
// decides it: for a grid that holds distances but no nearest atoms (a map
// read back from its file).
#pragma once

#include <cstdint>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Every atom copy of the map, in the map's order, measured against the grid
// point g alone with the map's rule (the copy and its nearest image, the
// strictly smaller surface distance wins, of equal ones the copy applied
// first). Returns its atom slot (1-based), 0 when no copy comes nearer than
// the map's start distance. gridi holds the point positions; gridmax the
// counts the image rule uses.
int32_t nearest_atom_copy(const run_flags& flags, const crystal_record& celli, const atom_store& atoms,
                          const grid_store& gridi, const int32_t gridmax[3], const int32_t g[3]);

}  // namespace porvane
