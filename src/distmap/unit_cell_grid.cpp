// Grid counts and grid-point positions over the unit cell.
#include "distmap/unit_cell_grid.hpp"

#include <cmath>

namespace porvane {

void set_gridmax(const run_params& params, const crystal_record& celli, int32_t gridmax[3]) {
  for (int c = 0; c < 3; ++c) {
    float q = celli.cell[c] / params.gridsize;
    // lround is only defined for quotients that fit; larger ones cannot be
    // grids of this program anyway and are held at the int32 range.
    if (std::isnan(q)) q = 0.0f;
    if (q > 2.0e9f) q = 2.0e9f;
    if (q < -2.0e9f) q = -2.0e9f;
    gridmax[c] = static_cast<int32_t>(std::lround(q));
  }
}

void grid_to_real(const run_params& params, const crystal_record& celli, const float g[3],
                  float xyz[3]) {
  float f[3];
  for (int c = 0; c < 3; ++c) f[c] = (g[c] * params.gridsize) / celli.cell[c] - celli.fracshift[c];
  matrix_times(celli.orthmat, f, xyz);
}

void frac_to_real(const crystal_record& celli, const float f[3], float xyz[3]) {
  float g[3];
  for (int c = 0; c < 3; ++c) g[c] = f[c] - celli.fracshift[c];
  matrix_times(celli.orthmat, g, xyz);
}

void to_fcoords(const crystal_record& celli, const float xyz[3], float f[3]) {
  matrix_times(celli.fracmat, xyz, f);
  for (int c = 0; c < 3; ++c) f[c] = f[c] + celli.fracshift[c];
}

void fill_grid_positions(const run_params& params, const crystal_record& celli,
                         const int32_t gridmax[3], grid_store& gridi, coord_range& range) {
  gridi.resize(gridmax[0], gridmax[1], gridmax[2]);
  for (int32_t i = 0; i <= gridmax[0]; ++i) {
    for (int32_t j = 0; j <= gridmax[1]; ++j) {
      for (int32_t k = 0; k <= gridmax[2]; ++k) {
        float xyz[3];
        grid_point_position(params, celli, i, j, k, xyz);
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
