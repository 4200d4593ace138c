// The bucket edge and counts of a bucket grid.
#include "distmap/bucket_grid.hpp"

#include <limits>

namespace porvane {
namespace {

constexpr double bucket_growth = 1.25;  // bucket edge growth until the table fits

}  // namespace

void bucket_grid::cover(const float lo[3], const float hi[3], double edge, double max_entries,
                        int spare) {
  double b = edge;
  // Extents in double, so that no finite coordinates can make the sizes
  // overflow.
  auto extent = [&](int c) { return static_cast<double>(hi[c]) - static_cast<double>(lo[c]); };
  for (;;) {
    double total = 1.0;
    for (int c = 0; c < 3; ++c) total *= std::floor(extent(c) / b) + 1.0 + spare;
    if (total <= max_entries) break;
    b *= bucket_growth;
  }
  bin = static_cast<float>(std::min<double>(b, std::numeric_limits<float>::max()));
  for (int c = 0; c < 3; ++c) {
    origin[c] = lo[c];
    nbin[c] = static_cast<int32_t>(std::floor(extent(c) / b)) + 1;
  }
}

}  // namespace porvane
