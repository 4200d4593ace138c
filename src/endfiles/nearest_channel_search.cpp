#include "endfiles/nearest_channel_search.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "distmap/distance_kernel.hpp"
#include "distmap/unit_cell_grid.hpp"

namespace porvane {
namespace {

constexpr double points_per_bin = 8.0;
constexpr double max_bins = 4.0e6;

}  // namespace

image_offsets::image_offsets(const cell_frame& frame) {
  int s = 0;
  for (int a = -1; a <= 1; ++a) {
    for (int b = -1; b <= 1; ++b) {
      for (int c = -1; c <= 1; ++c, ++s) {
        const float shift[3] = {static_cast<float>(a), static_cast<float>(b), static_cast<float>(c)};
        matrix_times(frame.orthmat, shift, offset[s]);
      }
    }
  }
}

float image_distance(const float p[3], const float offset[3], const float c[3]) {
  return surface_distance(p[0] + offset[0], p[1] + offset[1], p[2] + offset[2], c, 0.0f);
}

channel_point_index::channel_point_index(const cell_frame& frame, float gridsize,
                                         const grid_store& gridi)
    : images_(frame) {
  const grid_axes axes(frame, gridsize, gridi.n);
  std::vector<point> found;
  uint32_t order = 0;
  for (int32_t i = 0; i <= gridi.n[0]; ++i) {
    for (int32_t j = 0; j <= gridi.n[1]; ++j) {
      for (int32_t k = 0; k <= gridi.n[2]; ++k, ++order) {
        const int32_t clust = gridi.clust[gridi.index(i, j, k)];
        if (clust == -1) continue;
        point pt;
        axes.position(i, j, k, pt.x);
        pt.order = order;
        pt.clust = clust;
        found.push_back(pt);
      }
    }
  }
  if (found.empty()) return;

  for (int c = 0; c < 3; ++c) {
    lo_[c] = std::numeric_limits<float>::max();
    hi_[c] = -std::numeric_limits<float>::max();
  }
  for (const point& pt : found) {
    for (int c = 0; c < 3; ++c) {
      if (!std::isfinite(pt.x[c])) continue;
      lo_[c] = std::min(lo_[c], pt.x[c]);
      hi_[c] = std::max(hi_[c], pt.x[c]);
    }
  }
  double volume = 1.0;
  for (int c = 0; c < 3; ++c) {
    if (lo_[c] > hi_[c]) lo_[c] = hi_[c] = 0.0f;
    extent_ = std::max({extent_, std::fabs(lo_[c]), std::fabs(hi_[c])});
    volume *= std::max(static_cast<double>(hi_[c] - lo_[c]), 1.0);
  }
  const double edge = std::max(1.0, std::cbrt(volume * points_per_bin / static_cast<double>(found.size())));
  buckets_.cover(lo_, hi_, edge, max_bins, 0);
  buckets_.fill(points_, 0, [&](auto&& take) {
    for (const point& pt : found) take(pt);
  });
}

void channel_point_index::nearest(const float c[3], float& dist, int32_t& clust) const {
  dist = no_channel_distance;
  clust = no_channel_cluster;
  if (points_.empty()) return;
  float best = no_channel_distance;
  int64_t best_order = -1;  // the start values keep a distance equal to theirs
  float reach = 0.0f;
  for (int q = 0; q < 3; ++q) reach = std::max(reach, std::fabs(c[q]));
  auto margin = [&](float d) { return 1.0e-3f + 1.0e-5f * (std::fabs(d) + extent_ + reach); };

  // Each image shift s asks for the points near c − offset(s); shifts whose
  // query lies nearest the points' box go first.
  std::pair<float, int> shifts[27];
  float query[27][3];
  for (int s = 0; s < 27; ++s) {
    for (int q = 0; q < 3; ++q) query[s][q] = c[q] - images_.offset[s][q];
    shifts[s] = {nearest_in_box(query[s], lo_, hi_), s};
    if (std::isnan(shifts[s].first)) shifts[s].first = 0.0f;
  }
  std::sort(shifts, shifts + 27);

  const int32_t* nbin = buckets_.nbin;
  const int32_t kmax = std::max({nbin[0], nbin[1], nbin[2]});
  for (const auto& [lower, s] : shifts) {
    if (lower > best + margin(best)) break;
    const float* off = images_.offset[s];
    int32_t b[3];
    for (int q = 0; q < 3; ++q) b[q] = buckets_.coord(query[s][q], q);
    // Rings of bins around the bin of the query brought into the points'
    // box: a point in ring k lies at least (k − 1) bins from that place, and
    // the query lies `lower` beyond it across the box's faces, so the point
    // is at least sqrt(((k − 1) bins)² + lower²) from the query.
    for (int32_t k = 0; k <= kmax; ++k) {
      const float across = std::max(0.0f, static_cast<float>(k - 1) * buckets_.bin);
      if (std::sqrt(across * across + lower * lower) > best + margin(best)) break;
      for_each_ring_bin(b, k, nbin, [&](std::size_t bin) {
        for (uint32_t t = buckets_.start[bin]; t < buckets_.start[bin + 1]; ++t) {
          const point& pt = points_[t];
          const float d = image_distance(pt.x, off, c);
          if (d < best || (d == best && static_cast<int64_t>(pt.order) < best_order)) {
            best = d;
            best_order = pt.order;
            clust = pt.clust;
          }
        }
      });
    }
  }
  dist = best;
}

}  // namespace porvane
