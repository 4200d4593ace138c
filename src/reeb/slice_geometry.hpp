// One slice of the grid along a cell direction: the plane in which grid
// index d equals lev, addressed by an outer in-plane index p and an inner
// one q, each running 0..its bound (no periodic wrap inside the slice).
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/grid_store.hpp"

namespace porvane {

struct slice_layout {
  int32_t d = 1;              // direction 1, 2, 3
  int32_t lev = 0;            // slice index along d
  int32_t np = 0, nq = 0;     // bounds of p and q (inclusive)
  std::size_t base = 0;       // flat grid index of (p, q) = (0, 0)
  std::size_t sp = 0, sq = 0; // flat grid strides of p and q

  // d = 1: (lev, p, q); d = 2: (p, lev, q); d = 3: (p, q, lev).
  static slice_layout of(const grid_store& gridi, int32_t d, int32_t lev) {
    slice_layout s;
    s.d = d;
    s.lev = lev;
    const std::size_t row = static_cast<std::size_t>(gridi.n[0]) + 1;
    const std::size_t plane = row * (static_cast<std::size_t>(gridi.n[1]) + 1);
    if (d == 1) {
      s.np = gridi.n[1], s.nq = gridi.n[2], s.sp = row, s.sq = plane;
      s.base = gridi.index(lev, 0, 0);
    } else if (d == 2) {
      s.np = gridi.n[0], s.nq = gridi.n[2], s.sp = 1, s.sq = plane;
      s.base = gridi.index(0, lev, 0);
    } else {
      s.np = gridi.n[0], s.nq = gridi.n[1], s.sp = 1, s.sq = row;
      s.base = gridi.index(0, 0, lev);
    }
    return s;
  }
  std::size_t at(int32_t p, int32_t q) const {
    return base + static_cast<std::size_t>(p) * sp + static_cast<std::size_t>(q) * sq;
  }
  // Grid indices (i, j, k) of the in-plane point (p, q).
  void point(int32_t p, int32_t q, int32_t ijk[3]) const {
    const int32_t slicepos[2] = {d, lev};
    assign_axes(slicepos, ijk, p, q);
  }
};

}  // namespace porvane
