// Grid counts and grid-point positions over the unit cell.
#pragma once

#include <cstdint>
#include <vector>

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

// Positions of the points of a grid of counts n at grid size `gridsize`,
// taken axis by axis: per axis the values (index × gridsize) / edge −
// offset, and per point orthmat times the three values, which is what
// grid_point_position computes.
class grid_axes {
 public:
  grid_axes(const cell_frame& frame, float gridsize, const int32_t n[3]) : orthmat_(frame.orthmat) {
    for (int c = 0; c < 3; ++c) {
      f_[c].resize(static_cast<std::size_t>(n[c] < 0 ? 0 : n[c]) + 1);
      for (int32_t t = 0; t <= n[c]; ++t)
        f_[c][static_cast<std::size_t>(t)] =
            (static_cast<float>(t) * gridsize) / frame.cell[c] - frame.fracshift[c];
    }
  }
  void position(int32_t i, int32_t j, int32_t k, float xyz[3]) const {
    const float f[3] = {f_[0][static_cast<std::size_t>(i)], f_[1][static_cast<std::size_t>(j)],
                        f_[2][static_cast<std::size_t>(k)]};
    matrix_times(orthmat_, f, xyz);
  }

 private:
  const float (&orthmat_)[3][3];
  std::vector<float> f_[3];
};

}  // namespace porvane
