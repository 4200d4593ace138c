// The wrapped neighbourhood of a grid point: on each axis the indices t-1,
// t, t+1 in this order, each wrapped once (t < 0 gives t + n, t > n gives
// t - n). An index that the wrap cannot bring into 0..n (only on an axis of
// count 0) does not exist and is left out.
#pragma once

#include <cstdint>

#include "common/grid_store.hpp"

namespace porvane {

// Wrapped neighbours of index t on an axis of count n, in the order t-1, t,
// t+1; returns how many exist.
inline int wrapped_neighbours(int32_t t, int32_t n, int32_t out[3]) {
  int count = 0;
  for (int32_t u = t - 1; u <= t + 1; ++u) {
    const int32_t w = wrap_index(u, n);
    if (w >= 0 && w <= n) out[count++] = w;
  }
  return count;
}

// The neighbour indices of one point on all three axes.
struct neighbour_axes {
  int32_t at[3][3];
  int count[3];
  neighbour_axes(const int32_t g[3], const int32_t n[3]) {
    for (int c = 0; c < 3; ++c) count[c] = wrapped_neighbours(g[c], n[c], at[c]);
  }
};

}  // namespace porvane
