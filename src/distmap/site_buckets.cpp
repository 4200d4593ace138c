// Bucket grids of the spatial distance search.
#include "distmap/site_buckets.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace porvane {
namespace {

constexpr double min_bucket = 4.0;      // smallest bucket edge (Å)
constexpr double bucket_spacing = 1.6;  // bucket edge over the mean spacing of the copies:
                                        // about four direct positions per bucket
constexpr double bucket_growth = 1.25;  // bucket edge growth until the table fits

}  // namespace

double initial_bucket_edge(double grid_volume, double ncopies) {
  return std::max(min_bucket, bucket_spacing * std::cbrt(grid_volume / std::max(1.0, ncopies)));
}

void site_buckets::choose(const float lo[3], const float hi[3], double grid_volume, double ncopies,
                          double max_entries) {
  double b = initial_bucket_edge(grid_volume, ncopies);
  // Extents in double, so that no finite coordinates can make the sizes
  // overflow.
  auto extent = [&](int c) { return static_cast<double>(hi[c]) - static_cast<double>(lo[c]); };
  for (;;) {
    double total = 1.0;
    for (int c = 0; c < 3; ++c) total *= std::floor(extent(c) / b) + 2.0;
    if (total <= max_entries) break;
    b *= bucket_growth;
  }
  bin = static_cast<float>(std::min<double>(b, std::numeric_limits<float>::max()));
  for (int c = 0; c < 3; ++c) {
    origin[c] = lo[c];
    nbin[c] = static_cast<int32_t>(std::floor(extent(c) / b)) + 1;
  }
}

void site_buckets::count_below() {
  const std::size_t sx = static_cast<std::size_t>(nbin[0]) + 1,
                    sy = static_cast<std::size_t>(nbin[1]) + 1;
  below.assign(sx * sy * (static_cast<std::size_t>(nbin[2]) + 1), 0);
  for (int32_t k = 0; k < nbin[2]; ++k) {
    for (int32_t j = 0; j < nbin[1]; ++j) {
      for (int32_t i = 0; i < nbin[0]; ++i) {
        const std::size_t at = (i + 1) + sx * ((j + 1) + sy * (k + 1));
        const std::size_t b = index(i, j, k);
        below[at] = (start[b + 1] - start[b]) + below[at - 1] + below[at - sx] -
                    below[at - sx - 1] + below[at - sx * sy] - below[at - sx * sy - 1] -
                    below[at - sx * sy - sx] + below[at - sx * sy - sx - 1];
      }
    }
  }
}

}  // namespace porvane
