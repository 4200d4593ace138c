// Bucket grids of the spatial distance search.
#include "distmap/site_buckets.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

namespace porvane {
namespace {

constexpr double min_bucket = 4.0;      // smallest bucket edge (Å)
constexpr double bucket_spacing = 1.6;  // bucket edge over the mean spacing of the copies:
                                        // about four direct positions per bucket
// Earlier images of a group compared with each later one for the same box:
// a longer list only finds more sites that cannot win, and costs more.
constexpr std::size_t images_compared = 16;

uint32_t bits(float v) {
  uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  return u;
}

bool same_box(const map_site& a, const map_site& b) {
  for (int c = 0; c < 3; ++c)
    if (a.lo[c] != b.lo[c] || a.hi[c] != b.hi[c]) return false;
  return true;
}

}  // namespace

double initial_bucket_edge(double grid_volume, double ncopies) {
  return std::max(min_bucket, bucket_spacing * std::cbrt(grid_volume / std::max(1.0, ncopies)));
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

void drop_shadowed_sites(std::vector<map_site>& sites, site_buckets& buckets, uint32_t crowded) {
  const std::size_t nb = buckets.count();
  bool any = false;
  for (std::size_t b = 0; b < nb && !any; ++b) any = buckets.start[b + 1] - buckets.start[b] > crowded;
  if (!any) return;

  std::vector<uint32_t> order;
  std::vector<uint32_t> images;  // kept images of the group at hand
  std::vector<char> keep(sites.size(), 1);
  for (std::size_t b = 0; b < nb; ++b) {
    const uint32_t s0 = buckets.start[b], s1 = buckets.start[b + 1];
    if (s1 - s0 <= crowded) continue;
    // The bucket's sites by position and radius, each group in the order of
    // the literal loops (key, then the order of filling).
    order.resize(s1 - s0);
    for (uint32_t t = s0; t < s1; ++t) order[t - s0] = t;
    auto place = [&](uint32_t t) {
      const map_site& s = sites[t];
      return std::tuple(bits(s.x[0]), bits(s.x[1]), bits(s.x[2]), bits(s.r), s.key, t);
    };
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t c) { return place(a) < place(c); });
    for (std::size_t g = 0; g < order.size();) {
      auto same_place = [&](uint32_t t) {
        const map_site &s = sites[t], &f = sites[order[g]];
        return bits(s.x[0]) == bits(f.x[0]) && bits(s.x[1]) == bits(f.x[1]) &&
               bits(s.x[2]) == bits(f.x[2]) && bits(s.r) == bits(f.r);
      };
      images.clear();
      bool direct = false;  // a direct site of the group is kept: the rest lose to it
      std::size_t e = g;
      for (; e < order.size() && same_place(order[e]); ++e) {
        const uint32_t t = order[e];
        const map_site& s = sites[t];
        if (direct) {
          keep[t] = 0;
        } else if ((s.key & 1u) == 0) {
          direct = true;
        } else if (std::any_of(images.begin(), images.end(),
                               [&](uint32_t u) { return same_box(sites[u], s); })) {
          keep[t] = 0;
        } else if (images.size() < images_compared) {
          images.push_back(t);
        }
      }
      g = e;
    }
  }

  // Kept sites moved forward bucket by bucket; the buckets start anew.
  uint32_t out = buckets.first;
  for (std::size_t b = 0; b < nb; ++b) {
    const uint32_t s0 = buckets.start[b], s1 = buckets.start[b + 1];
    buckets.start[b] = out;
    for (uint32_t t = s0; t < s1; ++t)
      if (keep[t]) sites[out++] = sites[t];
  }
  buckets.start[nb] = out;
  buckets.end = out;
  if (sites.size() > out) sites.resize(out);
  buckets.count_below();
}

}  // namespace porvane
