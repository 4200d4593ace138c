// The unit-cell grid: one record per grid point (i, j, k), each index
// running 0..n inclusive along a, b, c; i varies fastest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace porvane {

// Structure of arrays sized once per grid from the actual counts.
struct grid_store {
  int32_t n[3] = {0, 0, 0};        // counts nx, ny, nz (indices 0..n)
  std::vector<float> x, y, z;      // orthogonal position of the point (Å)
  std::vector<float> dist;         // distance to the nearest atom surface (Å)
  std::vector<int32_t> clust;      // cluster label, -1 = not channel
  std::vector<int32_t> patch;      // Reeb patch label, -1 = none
  std::vector<int32_t> iatom;      // atom (1-based slot) whose copy gave dist
  std::vector<int32_t> incs;       // NCS operator (1-based) of that copy
  std::vector<int32_t> isym;       // symmetry operator (1-based) of that copy

  // Sizes the store for counts nx, ny, nz; every field starts at zero.
  void resize(int32_t nx, int32_t ny, int32_t nz) {
    n[0] = nx;
    n[1] = ny;
    n[2] = nz;
    std::size_t total = points();
    for (auto* v : {&x, &y, &z, &dist}) v->assign(total, 0.0f);
    for (auto* v : {&clust, &patch, &iatom, &incs, &isym}) v->assign(total, 0);
  }
  std::size_t points() const {
    return static_cast<std::size_t>(n[0] + 1) * static_cast<std::size_t>(n[1] + 1) *
           static_cast<std::size_t>(n[2] + 1);
  }
  std::size_t index(int32_t i, int32_t j, int32_t k) const {
    return static_cast<std::size_t>(i) +
           static_cast<std::size_t>(n[0] + 1) *
               (static_cast<std::size_t>(j) +
                static_cast<std::size_t>(n[1] + 1) * static_cast<std::size_t>(k));
  }
};

// Periodic wrap of a grid index on an axis of count n, applied once.
inline int32_t wrap_index(int32_t t, int32_t n) {
  if (t < 0) return t + n;
  if (t > n) return t - n;
  return t;
}

// The wrap of an index triple, component by component.
inline void overlap(const int32_t t[3], int32_t out[3], const int32_t n[3]) {
  for (int c = 0; c < 3; ++c) out[c] = wrap_index(t[c], n[c]);
}

// The grid triple of slice p = (axis d, slice s) at the in-plane indices a
// and b: d = 1 gives (s, a, b), d = 2 gives (a, s, b), d = 3 gives (a, b, s);
// any other axis leaves out as it is.
inline void assign_axes(const int32_t p[2], int32_t out[3], int32_t a, int32_t b) {
  if (p[0] == 1) out[0] = p[1], out[1] = a, out[2] = b;
  if (p[0] == 2) out[0] = a, out[1] = p[1], out[2] = b;
  if (p[0] == 3) out[0] = a, out[1] = b, out[2] = p[1];
}

}  // namespace porvane
