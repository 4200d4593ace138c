// A grid of cubic buckets over a box of space, with the items of every
// bucket held as one run of an array laid out bucket by bucket: the sites of
// the fast distance map and the channel points of the nearest-channel search.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace porvane {

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

// Calls visit(bucket) with the flat index of every bucket of a grid of nbin
// buckets per axis (x fastest) that lies in ring k around bucket b: its
// index differs from b's by exactly k on some axis and by at most k on the
// others; z outermost, x innermost. Buckets outside the grid are passed over.
template <class Visit>
inline void for_each_ring_bin(const int32_t b[3], int32_t k, const int32_t nbin[3], Visit&& visit) {
  for (int32_t z = std::max(0, b[2] - k); z <= std::min(nbin[2] - 1, b[2] + k); ++z) {
    for (int32_t y = std::max(0, b[1] - k); y <= std::min(nbin[1] - 1, b[1] + k); ++y) {
      const bool face = std::abs(z - b[2]) == k || std::abs(y - b[1]) == k;
      for (int32_t x = std::max(0, b[0] - k); x <= std::min(nbin[0] - 1, b[0] + k); ++x) {
        if (!face && std::abs(x - b[0]) != k) {
          if (x < b[0] + k) x = b[0] + k - 1;  // jump to the far side of the ring
          continue;
        }
        visit(static_cast<std::size_t>(x) +
              static_cast<std::size_t>(nbin[0]) *
                  (static_cast<std::size_t>(y) + static_cast<std::size_t>(nbin[1]) * static_cast<std::size_t>(z)));
      }
    }
  }
}

// Buckets of edge `bin` from `origin`; bucket b holds the items
// start[b] .. start[b + 1] of an array laid out in bucket order.
struct bucket_grid {
  float origin[3] = {0, 0, 0};  // low corner (Å)
  float bin = 4.0f;             // bucket edge (Å)
  int32_t nbin[3] = {1, 1, 1};  // buckets per axis
  std::vector<uint32_t> start;  // first item of each bucket, and the end of the last

  // Buckets over the box lo..hi from `edge` on, the edge grown by a quarter
  // at a time until the buckets, with `spare` more on each axis, number at
  // most `max_entries`.
  void cover(const float lo[3], const float hi[3], double edge, double max_entries, int spare);

  std::size_t count() const {
    return static_cast<std::size_t>(nbin[0]) * static_cast<std::size_t>(nbin[1]) *
           static_cast<std::size_t>(nbin[2]);
  }
  int32_t coord(float v, int c) const { return bucket_coordinate(v, origin[c], bin, nbin[c]); }
  std::size_t index(int32_t i, int32_t j, int32_t k) const {
    return static_cast<std::size_t>(i) +
           static_cast<std::size_t>(nbin[0]) *
               (static_cast<std::size_t>(j) + static_cast<std::size_t>(nbin[1]) * k);
  }
  std::size_t of(const float x[3]) const { return index(coord(x[0], 0), coord(x[1], 1), coord(x[2], 2)); }

  // Lays the items that for_each_item(take) offers, take(item) for each,
  // into `items` from index `first` on, bucket by bucket, each bucket's in
  // the order offered, by the position item.x; `items` ends with the last of
  // them. for_each_item is called twice: to count, then to place.
  template <class Item, class ForEach>
  void fill(std::vector<Item>& items, uint32_t first, ForEach&& for_each_item) {
    const std::size_t nb = count();
    start.assign(nb + 1, 0);
    for_each_item([&](const Item& item) { ++start[of(item.x) + 1]; });
    start[0] = first;
    for (std::size_t b = 0; b < nb; ++b) start[b + 1] += start[b];
    items.resize(start[nb]);
    std::vector<uint32_t> next(start.begin(), start.end() - 1);
    for_each_item([&](const Item& item) { items[next[of(item.x)]++] = item; });
  }
};

}  // namespace porvane
