// The unit cell and its two frames: what every stage that turns grid indices
// or fractional coordinates into positions needs of the crystal.
#pragma once

#include <cstdint>

#include "linear_algebra.hpp"

namespace porvane {

// Matrices are [row][column], single precision.
struct cell_frame {
  float cell[6] = {0, 0, 0, 0, 0, 0};  // a, b, c (Å), alpha, beta, gamma (deg)
  float fracmat[3][3] = {};            // S: orthogonal to fractional
  float fracshift[3] = {0, 0, 0};      // U: f = S·x + U
  float orthmat[3][3] = {};            // O = S⁻¹: x = O·(f − U)
};

// xyz = orthmat · (f − fracshift).
inline void frac_to_real(const cell_frame& frame, const float f[3], float xyz[3]) {
  float g[3];
  for (int c = 0; c < 3; ++c) g[c] = f[c] - frame.fracshift[c];
  matrix_times(frame.orthmat, g, xyz);
}

// f = fracmat · xyz + fracshift.
inline void to_fcoords(const cell_frame& frame, const float xyz[3], float f[3]) {
  matrix_times(frame.fracmat, xyz, f);
  for (int c = 0; c < 3; ++c) f[c] = f[c] + frame.fracshift[c];
}

// Orthogonal position of real-valued grid coordinates g at grid size
// `gridsize`: orthmat · ((g × gridsize) / edge − fracshift), per component.
inline void grid_to_real(const cell_frame& frame, float gridsize, const float g[3], float xyz[3]) {
  float f[3];
  for (int c = 0; c < 3; ++c) f[c] = (g[c] * gridsize) / frame.cell[c] - frame.fracshift[c];
  matrix_times(frame.orthmat, f, xyz);
}

// Orthogonal position of the grid point (i, j, k): the same rule with the
// indices converted to reals.
inline void grid_point_position(const cell_frame& frame, float gridsize, int32_t i, int32_t j,
                                int32_t k, float xyz[3]) {
  const float g[3] = {static_cast<float>(i), static_cast<float>(j), static_cast<float>(k)};
  grid_to_real(frame, gridsize, g, xyz);
}

}  // namespace porvane
