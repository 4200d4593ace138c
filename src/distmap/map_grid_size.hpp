// The grid size a map read back was made at: its interval counts must be
// those the grid size in force gives in its cell, or the grid points would
// not lie where the map's values belong.
#pragma once

#include <cstdint>
#include <string>

#include "common/run_params.hpp"

namespace porvane {

// The text of a grid size with the fewest decimals (at least one) that read
// back as the same value: 2.0, 1.25, 2.008.
std::string grid_size_text(float gridsize);

// A grid size that gives `counts` intervals in `cell` (as set_gridmax takes
// them), as a user would give it to -re: the fewest decimals, one when one
// will do, and of those the value nearest the map's own spacing. Empty when
// no grid size gives these counts.
std::string grid_size_for_counts(const float cell[6], const int32_t counts[3]);

// Stops the run when params.gridsize does not give the map's counts `sampling`
// in the map's `cell`: an input error (status 2) naming a grid size that
// does (the one the map's name carries when it does), or status 1 when no
// grid size does (the map cannot be used).
void check_map_grid_size(const std::string& path, const run_params& params, const float cell[6],
                         const int32_t sampling[3]);

}  // namespace porvane
