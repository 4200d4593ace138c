// Grid counts and grid-point positions over the unit cell.
#pragma once

#include <cstdint>

#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"

namespace porvane {

// gridmax(c) = nint(cell(c) / gridsize), the quotient in single precision,
// halves away from zero. Checks neither the limit of 250 nor the sign of
// gridsize; a quotient that is not a number gives 0.
void set_gridmax(const run_params& params, const crystal_record& celli, int32_t gridmax[3]);
// Orthogonal position of (possibly fractional) grid coordinates g.
void grid_to_real(const run_params& params, const crystal_record& celli, const float g[3],
                  float xyz[3]);
// xyz = orthmat · (f − fracshift).
void frac_to_real(const crystal_record& celli, const float f[3], float xyz[3]);
// f = fracmat · xyz + fracshift.
void to_fcoords(const crystal_record& celli, const float xyz[3], float f[3]);

// y = m · v, each row summed left to right: (m1·v1 + m2·v2) + m3·v3.
inline void matrix_times(const float m[3][3], const float v[3], float y[3]) {
  for (int r = 0; r < 3; ++r) y[r] = (m[r][0] * v[0] + m[r][1] * v[1]) + m[r][2] * v[2];
}

// Orthogonal position of the grid point (i, j, k) at the current grid size:
// orthmat · ((index × gridsize) / edge − fracshift), per component.
inline void grid_point_position(const run_params& params, const crystal_record& celli,
                                int32_t i, int32_t j, int32_t k, float xyz[3]) {
  const float g[3] = {(static_cast<float>(i) * params.gridsize) / celli.cell[0] - celli.fracshift[0],
                      (static_cast<float>(j) * params.gridsize) / celli.cell[1] - celli.fracshift[1],
                      (static_cast<float>(k) * params.gridsize) / celli.cell[2] - celli.fracshift[2]};
  matrix_times(celli.orthmat, g, xyz);
}

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
void fill_grid_positions(const run_params& params, const crystal_record& celli,
                         const int32_t gridmax[3], grid_store& gridi, coord_range& range);

}  // namespace porvane
