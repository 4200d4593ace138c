// The sites of the fast distance map in their bucket grids.
#include "distmap/site_grid.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "common/run_stop.hpp"
#include "distmap/distance_map.hpp"

namespace porvane {

// Sizes that steer the search. None of them changes a result, only the
// time and memory it takes.
namespace {

constexpr double max_buckets = 8.0e6;   // bucket table entries at most, of all classes
// Copies whose radius passes the median radius by more than a bucket edge
// form classes of their own, by doubling excess; the rest are one class.
constexpr int max_radius_classes = 48;
// A bucket holding more sites than this is searched for sites that can
// never win (coincident copies); usual buckets hold a few dozen.
constexpr uint32_t crowded_bucket = 256;

static_assert(sizeof(map_site) == fast_map_site_bytes);
static_assert(2 * 4 * max_buckets <= fast_map_table_bytes);

}  // namespace

site_grid::site_grid(const cell_frame& frame, const std::vector<atom_copy>& copies,
                     const grid_store& gridi)
    : frame_(frame), copies_(copies) {
  for (int c = 0; c < 3; ++c) {
    n_[c] = gridi.n[c];
    // Site boxes hold grid indices in 16 bits; grids are far smaller.
    if (n_[c] > std::numeric_limits<int16_t>::max()) fatal_stop("grid too large for the map");
  }
  build_sites(gridi);
}

template <class F>
void site_grid::for_each_site(std::size_t ci, F&& emit) {
  const atom_copy& cp = copies_[ci];
  const auto key = static_cast<uint32_t>(2 * ci);
  const auto i16 = [](int32_t v) { return static_cast<int16_t>(v); };
  emit(map_site{
      {cp.x[0], cp.x[1], cp.x[2]}, cp.r, key, {0, 0, 0}, {i16(n_[0]), i16(n_[1]), i16(n_[2])}});
  for (int c = 0; c < 3; ++c) image_shift_runs(cp.f[c], n_[c], runs_[c]);
  for (const shift_run& ra : runs_[0]) {
    for (const shift_run& rb : runs_[1]) {
      for (const shift_run& rc : runs_[2]) {
        if (ra.h == 0 && rb.h == 0 && rc.h == 0) continue;
        const int32_t h[3] = {ra.h, rb.h, rc.h};
        map_site img{{0, 0, 0},
                     cp.r,
                     key + 1,
                     {i16(ra.lo), i16(rb.lo), i16(rc.lo)},
                     {i16(ra.hi), i16(rb.hi), i16(rc.hi)}};
        image_position(frame_, cp.f, h, img.x);
        emit(img);
      }
    }
  }
}

// The class of each copy's radius. With radii no more than a bucket edge
// apart (every usual map) all copies are one class. Otherwise the copies
// within a bucket edge of the median radius are class 0, and each further
// class holds the copies whose radius passes the median by up to twice as
// much as the class before; classes without copies are left out.
void site_grid::classify_radii(double edge) {
  classes_.assign(1, site_buckets{});
  class_of_copy_.clear();
  float rmin = std::numeric_limits<float>::infinity(), rmax = -rmin;
  for (const atom_copy& cp : copies_)
    if (!std::isnan(cp.r)) rmin = std::min(rmin, cp.r), rmax = std::max(rmax, cp.r);
  if (!(static_cast<double>(rmax) > static_cast<double>(rmin) + edge)) return;
  std::vector<float> radii;
  for (const atom_copy& cp : copies_)
    if (!std::isnan(cp.r)) radii.push_back(cp.r);
  const auto mid = radii.begin() + static_cast<std::ptrdiff_t>(radii.size() / 2);
  std::nth_element(radii.begin(), mid, radii.end());
  const double median = *mid;
  std::vector<int> index_of_class(max_radius_classes, -1);
  index_of_class[0] = 0;
  int nclasses = 1;
  class_of_copy_.resize(copies_.size());
  for (std::size_t ci = 0; ci < copies_.size(); ++ci) {
    const double excess = static_cast<double>(copies_[ci].r) - median;
    int cls = 0;
    if (excess > edge) {  // not for a radius that is not a number
      cls = 1;
      for (double top = 2.0 * edge; excess > top && cls < max_radius_classes - 1; top *= 2.0) ++cls;
    }
    if (index_of_class[cls] < 0) index_of_class[cls] = nclasses++;
    class_of_copy_[ci] = static_cast<uint8_t>(index_of_class[cls]);
  }
  classes_.resize(static_cast<std::size_t>(nclasses));
}

// Sites are generated three times (extent, bucket counts, filling) rather
// than held twice: generating one costs less than storing it.
void site_grid::build_sites(const grid_store& gridi) {
  // The buckets of each class cover every grid point and the class's sites.
  float glo[3], ghi[3];
  for (int c = 0; c < 3; ++c) {
    glo[c] = std::numeric_limits<float>::max();
    ghi[c] = -std::numeric_limits<float>::max();
  }
  auto widen = [](float lo[3], float hi[3], const float v[3]) {
    for (int c = 0; c < 3; ++c) {
      if (!std::isfinite(v[c])) continue;
      lo[c] = std::min(lo[c], v[c]);
      hi[c] = std::max(hi[c], v[c]);
    }
  };
  const std::size_t npts = gridi.points();
  for (std::size_t p = 0; p < npts; ++p) {
    const float v[3] = {gridi.x[p], gridi.y[p], gridi.z[p]};
    widen(glo, ghi, v);
  }
  grid_volume_ = 1.0;
  for (int c = 0; c < 3; ++c)
    grid_volume_ *= std::max(static_cast<double>(ghi[c]) - static_cast<double>(glo[c]), 1.0);
  classify_radii(initial_bucket_edge(grid_volume_, static_cast<double>(copies_.size())));

  const std::size_t nclasses = classes_.size();
  std::vector<std::array<float, 6>> box(nclasses);  // lo and hi of each class
  for (auto& bx : box)
    for (int c = 0; c < 3; ++c) bx[c] = glo[c], bx[c + 3] = ghi[c];
  std::vector<int64_t> class_copies(nclasses, 0);
  int64_t nsites = 0;
  for (std::size_t ci = 0; ci < copies_.size(); ++ci) {
    const std::size_t l = class_of(ci);
    classes_[l].rmax = std::max(classes_[l].rmax, copies_[ci].r);
    ++class_copies[l];
    for_each_site(ci, [&](const map_site& s) {
      widen(glo, ghi, s.x);
      widen(&box[l][0], &box[l][3], s.x);
      ++nsites;
    });
  }
  const int64_t bytes =
      map_memory_bytes(static_cast<int64_t>(copies_.size()), nsites, static_cast<int64_t>(npts));
  if (bytes > map_memory_limit)
    fatal_stop("the distance map of " + std::to_string(copies_.size()) + " atom copies needs " +
               std::to_string(nsites) + " search sites, more memory than allowed");
  float largest = 0.0f;
  for (int c = 0; c < 3; ++c) {
    if (glo[c] > ghi[c]) glo[c] = ghi[c] = 0.0f;
    largest = std::max({largest, std::fabs(glo[c]), std::fabs(ghi[c])});
  }
  slack_ = bucket_slack + coordinate_ulps * largest * std::numeric_limits<float>::epsilon();
  // One class takes the whole table; with more, class 0 takes half and the
  // others share the other half.
  for (std::size_t l = 0; l < nclasses; ++l) {
    for (int c = 0; c < 3; ++c)
      if (box[l][c] > box[l][c + 3]) box[l][c] = box[l][c + 3] = 0.0f;
    const double entries = nclasses == 1 ? max_buckets
                           : l == 0     ? max_buckets / 2
                                        : max_buckets / 2 / static_cast<double>(nclasses - 1);
    classes_[l].choose(&box[l][0], &box[l][3], grid_volume_, static_cast<double>(class_copies[l]),
                       entries);
    fill_buckets(l);
  }
}

// The sites of class l after those of the classes before it, in bucket
// order, and its table; sites that can never win are dropped.
void site_grid::fill_buckets(std::size_t l) {
  site_buckets& cb = classes_[l];
  cb.first = static_cast<uint32_t>(binned_.size());
  cb.fill(binned_, cb.first, [&](auto&& take) {
    for (std::size_t ci = 0; ci < copies_.size(); ++ci)
      if (class_of(ci) == l) for_each_site(ci, take);
  });
  cb.end = static_cast<uint32_t>(binned_.size());
  cb.count_below();
  drop_shadowed_sites(binned_, cb, crowded_bucket);
}

int32_t site_grid::nearest_direct_copy(const float x[3]) const {
  const site_buckets& cb = classes_[0];
  int32_t b[3];
  for (int c = 0; c < 3; ++c) b[c] = cb.coord(x[c], c);
  float best = std::numeric_limits<float>::max();
  int32_t best_copy = -1;
  const int32_t kmax = std::max({cb.nbin[0], cb.nbin[1], cb.nbin[2]});
  uint32_t inside = 0;  // sites within the rings searched so far
  for (int32_t k = 0; k <= kmax; ++k) {
    const float useful = std::min(best, no_atom_distance);
    if (static_cast<float>(k - 1) * cb.bin - cb.rmax - slack_ > useful) break;
    int32_t lo[3], hi[3];
    for (int c = 0; c < 3; ++c)
      lo[c] = std::max(0, b[c] - k), hi[c] = std::min(cb.nbin[c] - 1, b[c] + k);
    const uint32_t now = cb.sites_in(lo, hi);
    if (now == inside) continue;
    inside = now;
    for_each_ring_bin(b, k, cb.nbin, [&](std::size_t bucket) {
      for (uint32_t t = cb.start[bucket]; t < cb.start[bucket + 1]; ++t) {
        const map_site& s = binned_[t];
        if (s.key & 1) continue;
        float dd = 0.0f;
        for (int c = 0; c < 3; ++c) dd += (x[c] - s.x[c]) * (x[c] - s.x[c]);
        const float d = std::sqrt(dd) - s.r;
        if (d < best) {
          best = d;
          best_copy = static_cast<int32_t>(s.key / 2);
        }
      }
    });
  }
  return best_copy;
}

}  // namespace porvane
