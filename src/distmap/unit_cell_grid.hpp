// Grid counts and grid-point positions over the unit cell.
#pragma once

#include <cstdint>

#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"

namespace porvane {

// gridmax(c) = nint(cell(c) / gridsize), the quotient in single precision,
// halves away from zero. Checks neither the limit of 250 nor the sign of
// gridsize; a quotient that is not a number gives 0.
void set_gridmax(const run_params& params, const cell_frame& frame, int32_t gridmax[3]);

// Coordinate range of the positions computed by a stage.
struct coord_range {
  float lo[3] = {10000.0f, 10000.0f, 10000.0f};
  float hi[3] = {-10000.0f, -10000.0f, -10000.0f};
  void widen(const float xyz[3]) {
    for (int c = 0; c < 3; ++c) {
      if (xyz[c] < lo[c]) lo[c] = xyz[c];
      if (xyz[c] > hi[c]) hi[c] = xyz[c];
    }
  }
};

// Sizes gridi for the counts in gridmax and fills xyz of every point
// 0..nx × 0..ny × 0..nz (i outer, k inner), widening `range`.
void fill_grid_positions(const run_params& params, const cell_frame& frame,
                         const int32_t gridmax[3], grid_store& gridi, coord_range& range);

}  // namespace porvane
