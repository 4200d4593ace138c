// The arithmetic that the literal and the fast distance map share, written
// once so that both evaluate the same single-precision expressions.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/cell_frame.hpp"
#include "common/nearest_int.hpp"

namespace porvane {

// Distance of a grid point before any atom copy is applied (Å); a copy must
// be strictly nearer to take the point.
constexpr float no_atom_distance = 10000.0f;

// nint, halves away from zero, of a float, kept as a float: the same value
// as converting to an integer and back wherever the integer exists, and the
// value itself beyond that range (every such float is a whole number).
inline float nint_float(float v) { return std::round(v); }

// Fractional coordinate wrapped into the cell: f − nint(f − 0.5) when f lies
// outside [0, 1]; 0.0 and 1.0 stay. Every finite f ends in [0, 1].
inline float wrap_fraction(float f) {
  if (f > 1.0f || f < 0.0f) return f - nint_float(f - 0.5f);
  return f;
}

// Distance from the grid point (px, py, pz) to the surface of an atom of
// radius r at x: sqrt((dx² + dy²) + dz²) − r with d = p − x.
inline float surface_distance(float px, float py, float pz, const float x[3], float r) {
  const float dx = px - x[0];
  const float dy = py - x[1];
  const float dz = pz - x[2];
  return std::sqrt((dx * dx + dy * dy) + dz * dz) - r;
}

// Largest distance from x to a point of the box [lo, hi].
inline float farthest_in_box(const float x[3], const float lo[3], const float hi[3]) {
  float s = 0.0f;
  for (int c = 0; c < 3; ++c) {
    const float d = std::max(std::fabs(x[c] - lo[c]), std::fabs(hi[c] - x[c]));
    s += d * d;
  }
  return std::sqrt(s);
}

// Smallest distance from x to a point of the box [lo, hi].
inline float nearest_in_box(const float x[3], const float lo[3], const float hi[3]) {
  float s = 0.0f;
  for (int c = 0; c < 3; ++c) {
    const float d = std::max({0.0f, lo[c] - x[c], x[c] - hi[c]});
    s += d * d;
  }
  return std::sqrt(s);
}

// Nearest-image shift on one axis for fractional coordinate fc of a copy and
// grid index idx of count n: e = fc − idx/n; −nint(e) when |e| ≥ 0.5, else 0.
// A coordinate wrapped into the cell gives a shift of −1, 0 or 1; one left
// outside it (only NaN, or a grid of no intervals) is held within ±2^30,
// which no grid index meets.
inline int32_t image_shift(float fc, int32_t idx, int32_t n) {
  constexpr int32_t shift_limit = int32_t{1} << 30;
  const float e = fc - static_cast<float>(idx) / static_cast<float>(n);
  if (!(std::fabs(e) >= 0.5f)) return 0;
  return -std::clamp(nearest_int(e), -shift_limit, shift_limit);
}

// A run of grid indices lo..hi on one axis over which a copy's image shift
// is the same, h.
struct shift_run {
  int32_t lo, hi, h;
};

// The runs of equal image shift over the indices 0..n of one axis. The shift
// is −nint(fc − idx/n) at every index (nint is 0 where |e| < 0.5), and each
// rounded step of that expression is monotone in idx, so the shift never
// decreases along the axis and each run's end is found by bisection with
// image_shift itself.
inline void image_shift_runs(float fc, int32_t n, std::vector<shift_run>& runs) {
  runs.clear();
  for (int32_t lo = 0; lo <= n;) {
    const int32_t h = image_shift(fc, lo, n);
    int32_t a = lo, b = n;  // image_shift(fc, a, n) == h
    while (a < b) {
      const int32_t m = a + (b - a + 1) / 2;
      if (image_shift(fc, m, n) == h) {
        a = m;
      } else {
        b = m - 1;
      }
    }
    runs.push_back({lo, a, h});
    lo = a + 1;
  }
}

// Orthogonal position of the image of a copy: orthmat · ((f + h) − fracshift).
inline void image_position(const cell_frame& frame, const float f[3], const int32_t h[3],
                           float xi[3]) {
  float g[3];
  for (int c = 0; c < 3; ++c) g[c] = (f[c] + static_cast<float>(h[c])) - frame.fracshift[c];
  matrix_times(frame.orthmat, g, xi);
}

// One copy (position x, fractional coordinates f, radius r) measured at one
// grid point p with wrapped indices idx on a grid of counts n: take(d) with
// the direct surface distance, then, when the nearest-image shift is not
// zero on every axis, with the distance to that image.
template <class Take>
inline void measure_copy_at_point(const cell_frame& frame, const float p[3], const int32_t idx[3],
                                  const int32_t n[3], const float x[3], const float f[3], float r,
                                  Take&& take) {
  take(surface_distance(p[0], p[1], p[2], x, r));
  const int32_t h[3] = {image_shift(f[0], idx[0], n[0]), image_shift(f[1], idx[1], n[1]),
                        image_shift(f[2], idx[2], n[2])};
  if (h[0] != 0 || h[1] != 0 || h[2] != 0) {
    float xi[3];
    image_position(frame, f, h, xi);
    take(surface_distance(p[0], p[1], p[2], xi, r));
  }
}

}  // namespace porvane
