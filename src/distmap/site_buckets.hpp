// The sites of the spatial distance search and a bucket grid over a run of
// them: the sites in bucket order, and a summed table of their counts.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "distmap/bucket_grid.hpp"

namespace porvane {

// One place where an atom copy is measured: its direct position, valid at
// every grid point, or one image position, valid on a box of grid indices.
struct map_site {
  float x[3];     // orthogonal position (Å)
  float r;        // atom radius (Å)
  uint32_t key;   // 2 × copy + (0 direct, 1 image): the order of the literal loops
  int16_t lo[3];  // grid-index box on which the site applies
  int16_t hi[3];
};

// The bucket edge (Å) that site_buckets::choose starts from for `ncopies`
// copies over a grid volume (Å³).
double initial_bucket_edge(double grid_volume, double ncopies);

// Buckets over the sites [first, end) of a site array, which the filling
// puts in bucket order, with a summed table of their counts.
struct site_buckets : bucket_grid {
  float rmax = 0.0f;            // largest radius of the sites (Å)
  uint32_t first = 0, end = 0;  // the sites, in the site array
  // Sites in the buckets [0, i) × [0, j) × [0, k), at (i, j, k) of a table
  // one larger than the buckets on each axis.
  std::vector<uint32_t> below;

  // Buckets of about bucket_spacing times the mean spacing of `ncopies`
  // copies over the grid volume (Å³), over the box lo..hi, grown until the
  // tables (one entry more per axis) hold at most `max_entries`.
  void choose(const float lo[3], const float hi[3], double grid_volume, double ncopies,
              double max_entries) {
    cover(lo, hi, initial_bucket_edge(grid_volume, ncopies), max_entries, 1);
  }

  // The buckets lo..hi that hold every site within `reach` of the box
  // blo..bhi, the reach widened by `slack`. A reach below zero, which no
  // site of radius at most rmax can come within when reach is the bound
  // plus rmax, gives an empty range; a reach that is not a number (an
  // infinite bound and radius) gives every bucket.
  void range(const float blo[3], const float bhi[3], float reach, float slack, int32_t lo[3],
             int32_t hi[3]) const {
    for (int c = 0; c < 3; ++c) {
      if (reach < 0.0f) {
        lo[c] = 0, hi[c] = -1;
      } else if (std::isnan(reach)) {
        lo[c] = 0, hi[c] = nbin[c] - 1;
      } else {
        bucket_span(blo[c], bhi[c], reach, slack, origin[c], bin, nbin[c], lo[c], hi[c]);
      }
    }
  }

  // Sites in the buckets lo..hi (inclusive) on each axis.
  uint32_t sites_in(const int32_t lo[3], const int32_t hi[3]) const {
    if (lo[0] > hi[0] || lo[1] > hi[1] || lo[2] > hi[2]) return 0;
    const std::size_t sx = static_cast<std::size_t>(nbin[0]) + 1,
                      sy = static_cast<std::size_t>(nbin[1]) + 1;
    auto at = [&](int32_t i, int32_t j, int32_t k) {
      return below[static_cast<std::size_t>(i) + sx * (static_cast<std::size_t>(j) + sy * k)];
    };
    const int32_t i0 = lo[0], j0 = lo[1], k0 = lo[2], i1 = hi[0] + 1, j1 = hi[1] + 1,
                  k1 = hi[2] + 1;
    return at(i1, j1, k1) - at(i0, j1, k1) - at(i1, j0, k1) + at(i0, j0, k1) - at(i1, j1, k0) +
           at(i0, j1, k0) + at(i1, j0, k0) - at(i0, j0, k0);
  }

  // The summed table from the counts of the filled buckets.
  void count_below();
};

// Drops from each bucket that holds more than `crowded` sites the sites that
// can never win a point: of sites at the same position with the same radius
// (which give the same distance at every point), a later one (larger key)
// loses every tie to an earlier direct site, which applies everywhere, and
// to an earlier image with the same box. Such sites pile up where huge
// coordinates round every copy onto a few positions. The kept sites stay in
// their order; the buckets and their table are rebuilt; `sites` shrinks when
// the buckets are the last of it.
void drop_shadowed_sites(std::vector<map_site>& sites, site_buckets& buckets, uint32_t crowded);

}  // namespace porvane
