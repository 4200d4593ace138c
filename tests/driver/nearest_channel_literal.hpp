// The nearest channel point of an atom by its definition, the reference for
// the nearest-channel file: every channel point in the order i, j, k, the
// least distance over its 27 images (the grid position plus orthmat times the
// shift), a strictly smaller distance taking the atom.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"

namespace porvane::test {

// (W, B) of the atom at c: cluster number and distance of its nearest channel
// point, (-1, 1000) without one.
inline std::pair<float, float> nearest_literal(const cell_frame& frame, float gridsize, const grid_store& gridi,
                                               const float c[3]) {
  float w = -1.0f, b = 1000.0f;
  for (int32_t i = 0; i <= gridi.n[0]; ++i)
    for (int32_t j = 0; j <= gridi.n[1]; ++j)
      for (int32_t k = 0; k <= gridi.n[2]; ++k) {
        const int32_t clust = gridi.clust[gridi.index(i, j, k)];
        if (clust == -1) continue;
        float p[3];
        grid_point_position(frame, gridsize, i, j, k, p);
        float d = std::numeric_limits<float>::infinity();
        for (int sa = -1; sa <= 1; ++sa)
          for (int sb = -1; sb <= 1; ++sb)
            for (int sc = -1; sc <= 1; ++sc) {
              const float shift[3] = {float(sa), float(sb), float(sc)};
              float o[3];
              matrix_times(frame.orthmat, shift, o);
              const float dx = (p[0] + o[0]) - c[0], dy = (p[1] + o[1]) - c[1], dz = (p[2] + o[2]) - c[2];
              d = std::min(d, std::sqrt((dx * dx + dy * dy) + dz * dz));
            }
        if (b > d) b = d, w = static_cast<float>(clust);
      }
  return {w, b};
}

}  // namespace porvane::test
