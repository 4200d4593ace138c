// The arithmetic that the literal and the fast distance map share, written
// once so that both evaluate the same single-precision expressions.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

// Bucket, 0..nbin-1, of coordinate v on an axis of buckets of edge `bin`
// from `origin`; coordinates beyond either end (or not numbers) go to the
// end buckets.
inline int32_t bucket_coordinate(float v, float origin, float bin, int32_t nbin) {
  const float t = std::floor((v - origin) / bin);
  if (!(t >= 0.0f)) return 0;
  if (t >= static_cast<float>(nbin - 1)) return nbin - 1;
  return static_cast<int32_t>(t);
}

// Widening of a bucket range (Å), beyond the rounding of the largest
// coordinate: distances and bounds are exact in single precision, but a
// reach added to a coordinate rounds, and a site just inside the reach can
// lie just across a bucket edge from where the rounded reach ends.
constexpr float bucket_slack = 1.0e-3f;
constexpr float coordinate_ulps = 16.0f;  // units in the last place of the largest coordinate

// The buckets lo..hi on one axis that hold every site within `reach` of the
// span [blo, bhi], the reach widened by `slack`.
inline void bucket_span(float blo, float bhi, float reach, float slack, float origin, float bin,
                        int32_t nbin, int32_t& lo, int32_t& hi) {
  lo = bucket_coordinate(blo - (reach + slack), origin, bin, nbin);
  hi = bucket_coordinate(bhi + (reach + slack), origin, bin, nbin);
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

// Calls visit(bin) with the flat index of every bin of a grid of nbin bins
// per axis (x fastest) that lies in ring k around bin b: its index differs
// from b's by exactly k on some axis and by at most k on the others. Bins
// outside the grid are passed over.
template <class Visit>
inline void for_each_ring_bin(const int32_t b[3], int32_t k, const int32_t nbin[3], Visit&& visit) {
  for (int32_t dz = -k; dz <= k; ++dz) {
    const int32_t z = b[2] + dz;
    if (z < 0 || z >= nbin[2]) continue;
    for (int32_t dy = -k; dy <= k; ++dy) {
      const int32_t y = b[1] + dy;
      if (y < 0 || y >= nbin[1]) continue;
      const bool inner = std::abs(dz) < k && std::abs(dy) < k;
      for (int32_t dx = -k; dx <= k; dx += (inner && k > 0) ? 2 * k : 1) {
        const int32_t x = b[0] + dx;
        if (x < 0 || x >= nbin[0]) continue;
        visit(static_cast<std::size_t>(x) +
              static_cast<std::size_t>(nbin[0]) *
                  (static_cast<std::size_t>(y) + static_cast<std::size_t>(nbin[1]) * static_cast<std::size_t>(z)));
      }
    }
  }
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
