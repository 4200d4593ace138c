// Grid counts and grid-point positions over the unit cell.
#include "distmap/unit_cell_grid.hpp"

#include <cmath>

namespace porvane {

void set_gridmax(const run_params& params, const cell_frame& frame, int32_t gridmax[3]) {
  for (int c = 0; c < 3; ++c) {
    float q = frame.cell[c] / params.gridsize;
    // lround is only defined for quotients that fit; larger ones cannot be
    // grids of this program anyway and are held at the int32 range.
    if (std::isnan(q)) q = 0.0f;
    if (q > 2.0e9f) q = 2.0e9f;
    if (q < -2.0e9f) q = -2.0e9f;
    gridmax[c] = static_cast<int32_t>(std::lround(q));
  }
}

void fill_grid_positions(const run_params& params, const cell_frame& frame,
                         const int32_t gridmax[3], grid_store& gridi, coord_range& range) {
  gridi.resize(gridmax[0], gridmax[1], gridmax[2]);
  for (int32_t i = 0; i <= gridmax[0]; ++i) {
    for (int32_t j = 0; j <= gridmax[1]; ++j) {
      for (int32_t k = 0; k <= gridmax[2]; ++k) {
        float xyz[3];
        grid_point_position(frame, params.gridsize, i, j, k, xyz);
        const std::size_t p = gridi.index(i, j, k);
        gridi.x[p] = xyz[0];
        gridi.y[p] = xyz[1];
        gridi.z[p] = xyz[2];
        range.widen(xyz);
      }
    }
  }
}

}  // namespace porvane
