// The distance map by a spatial search instead of the grid × copies loop.
//
// Each copy becomes a few "sites": its direct position, valid at every grid
// point, and one image position per combination of per-axis image shifts,
// valid on the box of grid indices where check_next_atom would apply exactly
// that shift. The sites are bucketed in space; the grid is taken in small
// blocks of points, and for each block the sites that can still beat an
// upper bound of the block's distances are sorted by a lower bound of their
// distance to the block. Each point then scans them in that order until no
// further site can win. A block farther than the start distance from every
// site keeps the start distance without a search.
//
// Copies whose radius passes the common one by far are bucketed apart, by
// class of radius, so that the reach of a search over each class grows only
// by that class's largest radius: a few huge atoms do not make every search
// reach over them.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "common/run_stop.hpp"
#include "distmap/distance_kernel.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/site_buckets.hpp"

namespace porvane {

// Sizes that steer the search. None of them changes a result, only the
// time and memory it takes.
namespace {

constexpr float block_span = 4.0f;      // aimed-for block edge (Å), about an atom spacing
constexpr long min_block_edge = 2;      // grid points per block edge, at least
constexpr long max_block_edge = 6;      // and at most
constexpr double max_buckets = 8.0e6;   // bucket table entries at most, of all classes
// Copies whose radius passes the median radius by more than a bucket edge
// form classes of their own, by doubling excess; the rest are one class.
constexpr int max_radius_classes = 48;
// A bucket holding more sites than this is searched for sites that can
// never win (coincident copies); usual buckets hold a few dozen.
constexpr uint32_t crowded_bucket = 256;
// A block whose neighbourhood holds more sites than this many per point
// (points far from a compact group of atoms, where a sorted list of them
// costs more than it saves) is searched point by point in a tree of site
// boxes instead.
constexpr int64_t tree_sites_per_point = 64;
constexpr uint32_t tree_leaf_sites = 8;
// The tree is built once such blocks have gathered, in sorted lists, this
// many times as many sites as there are: by then its cost is repaid.
constexpr int64_t tree_payback = 16;
// The bounds are exact in single precision: a lower bound over a box takes
// per axis a gap no larger than the point's own coordinate difference, and
// squares, sums in the same order, square roots and the radius subtraction
// all round monotonically, so a bound never passes the distance it bounds
// and a site is pruned only when it cannot even tie. Only the bucket ranges
// are widened (bucket_span).

}  // namespace

namespace {

using site = map_site;
static_assert(sizeof(site) == fast_map_site_bytes);
static_assert(2 * 4 * max_buckets <= fast_map_table_bytes);

// Sort key of a float that orders like the float.
inline uint32_t float_order(float v) {
  uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  return (u & 0x80000000u) ? ~u : (u | 0x80000000u);
}

// A box of the site tree: its sites are tree_order_[begin, end); an inner
// node's children are the next node and node `right`.
struct tree_node {
  float lo[3], hi[3];  // bounding box of the sites' positions (Å)
  float rmax;          // largest radius of the sites
  uint32_t begin, end;
  uint32_t right;  // 0 for a leaf
};

// The search for the nearest site of one grid point.
struct point_search {
  float x[3];       // the point's position (Å)
  int32_t i, j, k;  // its grid indices
  float best = no_atom_distance;
  int64_t best_key = -1;  // the start value: a copy must be strictly nearer
  int64_t best_site = -1;
  uint32_t stop = 0;  // sites whose lower bound orders above this cannot win
};

// A box of grid indices and the box of its points' positions.
struct point_block {
  int32_t ilo[3], ihi[3];  // grid indices
  float blo[3], bhi[3];    // positions (Å)
  bool finite = true;      // every position is a finite number
};

class fast_map {
 public:
  fast_map(const cell_frame& frame, const std::vector<atom_copy>& copies, grid_store& gridi)
      : frame_(frame), copies_(copies), gridi_(gridi) {
    for (int c = 0; c < 3; ++c) {
      n_[c] = gridi.n[c];
      // Site boxes hold grid indices in 16 bits; grids are far smaller.
      if (n_[c] > std::numeric_limits<int16_t>::max()) fatal_stop("grid too large for the map");
    }
    build_sites();
  }

  fast_map_stats run(int32_t sample_rows) {
    fast_map_stats st;
    st.sites = static_cast<int64_t>(binned_.size());
    for (int c = 0; c < 3; ++c) nb_[c] = (n_[c] + block_edge_) / block_edge_;
    st.blocks = static_cast<int64_t>(nb_[0]) * nb_[1] * nb_[2];
    block_winner_.assign(static_cast<std::size_t>(st.blocks), -1);
    // A sample takes whole rows of blocks along k, so that its blocks find
    // their upper bounds as the full run does.
    const int64_t rows = static_cast<int64_t>(nb_[0]) * nb_[1];
    const int64_t stride = sample_rows < 1 ? 1 : std::max<int64_t>(1, rows / sample_rows);
    int64_t row = 0;
    for (int32_t bi = 0; bi < nb_[0]; ++bi) {
      for (int32_t bj = 0; bj < nb_[1]; ++bj, ++row) {
        if (row % stride != 0) continue;
        for (int32_t bk = 0; bk < nb_[2]; ++bk) {
          do_block(bi, bj, bk);
          ++st.blocks_done;
          if (tree_block_) ++st.tree_blocks;
        }
      }
    }
    st.evaluations = evaluations_;
    return st;
  }

 private:
  const cell_frame frame_;
  const std::vector<atom_copy>& copies_;
  grid_store& gridi_;
  int32_t n_[3];
  std::vector<shift_run> runs_[3];  // image-shift runs of the copy at hand
  // The sites, class after class, each class in the order of its buckets.
  std::vector<site> binned_;
  // The buckets of each class of radius; class 0 holds the common radii.
  std::vector<site_buckets> classes_;
  std::vector<uint8_t> class_of_copy_;  // class of each copy; empty: all in class 0
  // Blocks of block_edge_ points per axis, about block_span across.
  int32_t block_edge_ = 4;
  int32_t nb_[3] = {0, 0, 0};
  std::vector<int32_t> block_winner_;  // a copy that won a point of the block
  std::vector<uint64_t> cand_;         // (lower bound, binned site) of the block
  bool tree_block_ = false;            // the block's points are searched in the tree
  std::vector<tree_node> tree_;        // built when a block first needs it
  std::vector<uint32_t> tree_order_;   // binned sites in the order of the tree
  bool tree_failed_ = false;           // the tree would not fit the memory limit
  int64_t listed_ = 0;                 // sites gathered by blocks that wanted the tree
  int64_t evaluations_ = 0;
  float slack_ = bucket_slack;  // widening of bucket ranges (Å)

  // Calls emit(site) for the direct site of copy ci and then for each of
  // its image sites, in that order.
  template <class F>
  void for_each_site(std::size_t ci, F&& emit) {
    const atom_copy& cp = copies_[ci];
    const auto key = static_cast<uint32_t>(2 * ci);
    const auto i16 = [](int32_t v) { return static_cast<int16_t>(v); };
    emit(site{
        {cp.x[0], cp.x[1], cp.x[2]}, cp.r, key, {0, 0, 0}, {i16(n_[0]), i16(n_[1]), i16(n_[2])}});
    for (int c = 0; c < 3; ++c) image_shift_runs(cp.f[c], n_[c], runs_[c]);
    for (const shift_run& ra : runs_[0]) {
      for (const shift_run& rb : runs_[1]) {
        for (const shift_run& rc : runs_[2]) {
          if (ra.h == 0 && rb.h == 0 && rc.h == 0) continue;
          const int32_t h[3] = {ra.h, rb.h, rc.h};
          site img{{0, 0, 0},
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

  // Blocks of about block_span across, from the mean spacing of the points.
  void choose_block_edge(double grid_volume, std::size_t npts) {
    const double spacing = std::cbrt(grid_volume / static_cast<double>(npts));
    const double points = std::clamp(block_span / spacing, 0.0, 1000.0);
    block_edge_ =
        static_cast<int32_t>(std::clamp(std::lround(points), min_block_edge, max_block_edge));
  }

  // The class of each copy's radius. With radii no more than a bucket edge
  // apart (every usual map) all copies are one class. Otherwise the copies
  // within a bucket edge of the median radius are class 0, and each further
  // class holds the copies whose radius passes the median by up to twice
  // as much as the class before; classes without copies are left out.
  void classify_radii(double edge) {
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

  std::size_t class_of(std::size_t ci) const {
    return class_of_copy_.empty() ? 0 : class_of_copy_[ci];
  }

  // Sites are generated three times (extent, bucket counts, filling) rather
  // than held twice: generating one costs less than storing it.
  void build_sites() {
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
    const std::size_t npts = gridi_.points();
    for (std::size_t p = 0; p < npts; ++p) {
      const float v[3] = {gridi_.x[p], gridi_.y[p], gridi_.z[p]};
      widen(glo, ghi, v);
    }
    double grid_volume = 1.0;
    for (int c = 0; c < 3; ++c)
      grid_volume *= std::max(static_cast<double>(ghi[c]) - static_cast<double>(glo[c]), 1.0);
    choose_block_edge(grid_volume, npts);
    classify_radii(initial_bucket_edge(grid_volume, static_cast<double>(copies_.size())));

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
      for_each_site(ci, [&](const site& s) {
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
    // One class takes the whole table; with more, class 0 takes half and
    // the others share the other half.
    for (std::size_t l = 0; l < nclasses; ++l) {
      for (int c = 0; c < 3; ++c)
        if (box[l][c] > box[l][c + 3]) box[l][c] = box[l][c + 3] = 0.0f;
      const double entries = nclasses == 1 ? max_buckets
                             : l == 0     ? max_buckets / 2
                                          : max_buckets / 2 / static_cast<double>(nclasses - 1);
      classes_[l].choose(&box[l][0], &box[l][3], grid_volume, static_cast<double>(class_copies[l]),
                        entries);
      fill_buckets(l);
    }
  }

  // The sites of class l after those of the classes before it, in bucket
  // order, and its table; sites that can never win are dropped.
  void fill_buckets(std::size_t l) {
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

  // The buckets of cb that hold every site within `reach` of the block.
  void bucket_range(const site_buckets& cb, const point_block& b, float reach, int32_t lob[3],
                    int32_t hib[3]) const {
    cb.range(b.blo, b.bhi, reach, slack_, lob, hib);
  }

  static bool overlaps(const site& s, const int32_t lo[3], const int32_t hi[3]) {
    return s.lo[0] <= hi[0] && s.hi[0] >= lo[0] && s.lo[1] <= hi[1] && s.hi[1] >= lo[1] &&
           s.lo[2] <= hi[2] && s.hi[2] >= lo[2];
  }
  static bool applies_at(const site& s, int32_t i, int32_t j, int32_t k) {
    return s.lo[0] <= i && i <= s.hi[0] && s.lo[1] <= j && j <= s.hi[1] && s.lo[2] <= k &&
           k <= s.hi[2];
  }

  // An upper bound of every point's distance in the block from the sites of
  // one copy that apply to the whole block: the direct site, and the image
  // whose shift is the same at both ends of the block on every axis (the
  // shift never decreases along an axis, so it holds in between).
  float copy_bound(int32_t ci, const point_block& b) const {
    const atom_copy& cp = copies_[static_cast<std::size_t>(ci)];
    float whole = farthest_in_box(cp.x, b.blo, b.bhi) - cp.r;
    int32_t h[3];
    for (int c = 0; c < 3; ++c) {
      h[c] = image_shift(cp.f[c], b.ilo[c], n_[c]);
      if (h[c] != image_shift(cp.f[c], b.ihi[c], n_[c])) return whole;
    }
    if (h[0] == 0 && h[1] == 0 && h[2] == 0) return whole;
    float xi[3];
    image_position(frame_, cp.f, h, xi);
    return std::min(whole, farthest_in_box(xi, b.blo, b.bhi) - cp.r);
  }

  // The copy of class 0 whose direct position lies nearest (surface
  // distance) to x, by shells of buckets around it; shells without sites are
  // passed over, and the search ends where no copy could come within the
  // start distance.
  int32_t nearest_direct_copy(const float x[3]) const {
    const site_buckets& cb = classes_[0];
    int32_t b[3];
    for (int c = 0; c < 3; ++c) b[c] = cb.coord(x[c], c);
    float best = std::numeric_limits<float>::max();
    int32_t best_copy = -1;
    const int32_t kmax = std::max({cb.nbin[0], cb.nbin[1], cb.nbin[2]});
    uint32_t inside = 0;  // sites within the shells searched so far
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
          const site& s = binned_[t];
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

  point_block make_block(int32_t bi, int32_t bj, int32_t bk) const {
    point_block b{};
    const int32_t at[3] = {bi, bj, bk};
    for (int c = 0; c < 3; ++c) {
      b.ilo[c] = at[c] * block_edge_;
      b.ihi[c] = std::min(b.ilo[c] + block_edge_ - 1, n_[c]);
      b.blo[c] = std::numeric_limits<float>::max();
      b.bhi[c] = -std::numeric_limits<float>::max();
    }
    for (int32_t i = b.ilo[0]; i <= b.ihi[0]; ++i) {
      for (int32_t j = b.ilo[1]; j <= b.ihi[1]; ++j) {
        for (int32_t k = b.ilo[2]; k <= b.ihi[2]; ++k) {
          const std::size_t p = gridi_.index(i, j, k);
          const float v[3] = {gridi_.x[p], gridi_.y[p], gridi_.z[p]};
          for (int c = 0; c < 3; ++c) {
            b.blo[c] = std::min(b.blo[c], v[c]);
            b.bhi[c] = std::max(b.bhi[c], v[c]);
          }
        }
      }
    }
    for (int c = 0; c < 3; ++c)
      b.finite = b.finite && std::isfinite(b.blo[c]) && std::isfinite(b.bhi[c]);
    return b;
  }

  // Whether any site can come within the start distance of a point of the
  // block; when none can, every point keeps the start distance.
  bool within_reach(const point_block& b) const {
    for (const site_buckets& cb : classes_) {
      int32_t lob[3], hib[3];
      bucket_range(cb, b, no_atom_distance + cb.rmax, lob, hib);
      if (cb.sites_in(lob, hib) > 0) return true;
    }
    return false;
  }

  // Upper bound of the block's distances from the winners of the blocks
  // before it, or from the copy nearest to its centre.
  float block_bound(const point_block& b, std::size_t bidx, int32_t bi, int32_t bj, int32_t bk) {
    float bound = no_atom_distance;
    const int32_t seeds[3] = {
        bk > 0 ? block_winner_[bidx - 1] : -1,
        bj > 0 ? block_winner_[bidx - static_cast<std::size_t>(nb_[2])] : -1,
        bi > 0 ? block_winner_[bidx - static_cast<std::size_t>(nb_[2]) * nb_[1]] : -1};
    bool seeded = false;
    for (int32_t ci : seeds) {
      if (ci < 0) continue;
      bound = std::min(bound, copy_bound(ci, b));
      seeded = true;
    }
    if (!seeded) {
      float centre[3];
      for (int c = 0; c < 3; ++c) centre[c] = 0.5f * (b.blo[c] + b.bhi[c]);
      const int32_t ci = nearest_direct_copy(centre);
      if (ci >= 0) bound = std::min(bound, copy_bound(ci, b));
    }
    return bound;
  }

  // Lists binned site t as a candidate of the block when it applies to a
  // point of the block and its lower bound over the block is within `bound`.
  void consider(const point_block& b, uint32_t t, float bound) {
    const site& s = binned_[t];
    if (!overlaps(s, b.ilo, b.ihi)) return;
    const float lb = nearest_in_box(s.x, b.blo, b.bhi) - s.r;
    if (lb <= bound) cand_.push_back((static_cast<uint64_t>(float_order(lb)) << 32) | t);
  }

  // The sites that can reach the bound, sorted by their lower bound over
  // the block, from the buckets around it of the classes from `from` on.
  void gather_candidates(const point_block& b, float bound, std::size_t from) {
    for (std::size_t l = from; l < classes_.size(); ++l) {
      const site_buckets& cb = classes_[l];
      int32_t lob[3], hib[3];
      bucket_range(cb, b, bound + cb.rmax, lob, hib);
      if (lob[0] > hib[0]) continue;
      for (int32_t z = lob[2]; z <= hib[2]; ++z) {
        for (int32_t y = lob[1]; y <= hib[1]; ++y) {
          const uint32_t t0 = cb.start[cb.index(lob[0], y, z)];
          const uint32_t t1 = cb.start[cb.index(hib[0], y, z) + 1];
          for (uint32_t t = t0; t < t1; ++t) consider(b, t, bound);
        }
      }
    }
    std::sort(cand_.begin(), cand_.end());
  }

  // The tree over every site of class 0 with finite coordinates (the others
  // are never nearer than anything): boxes split at the median of their
  // widest axis. Returns false, leaving no tree, when it would not fit the
  // memory limit.
  bool build_tree() {
    const int64_t nsites = static_cast<int64_t>(binned_.size());
    const int64_t tree_bytes =
        nsites * 4 + (2 * nsites / (tree_leaf_sites / 2) + 1) * int64_t{sizeof(tree_node)};
    if (map_memory_bytes(static_cast<int64_t>(copies_.size()), nsites,
                         static_cast<int64_t>(gridi_.points())) +
            tree_bytes >
        map_memory_limit)
      return false;
    for (uint32_t t = classes_[0].first; t < classes_[0].end; ++t) {
      const float* x = binned_[t].x;
      if (std::isfinite(x[0]) && std::isfinite(x[1]) && std::isfinite(x[2]))
        tree_order_.push_back(t);
    }
    tree_.reserve(2 * tree_order_.size() / (tree_leaf_sites / 2) + 1);
    build_node(0, static_cast<uint32_t>(tree_order_.size()));
    return true;
  }

  uint32_t build_node(uint32_t begin, uint32_t end) {
    const auto at = static_cast<uint32_t>(tree_.size());
    tree_node node{{0, 0, 0}, {0, 0, 0}, 0.0f, begin, end, 0};
    for (int c = 0; c < 3; ++c) {
      node.lo[c] = std::numeric_limits<float>::max();
      node.hi[c] = -std::numeric_limits<float>::max();
    }
    for (uint32_t t = begin; t < end; ++t) {
      const site& st = binned_[tree_order_[t]];
      node.rmax = std::max(node.rmax, st.r);
      for (int c = 0; c < 3; ++c)
        node.lo[c] = std::min(node.lo[c], st.x[c]), node.hi[c] = std::max(node.hi[c], st.x[c]);
    }
    tree_.push_back(node);
    if (end - begin <= tree_leaf_sites) return at;
    int axis = 0;
    for (int c = 1; c < 3; ++c)
      if (node.hi[c] - node.lo[c] > node.hi[axis] - node.lo[axis]) axis = c;
    const uint32_t mid = begin + (end - begin) / 2;
    std::nth_element(
        tree_order_.begin() + begin, tree_order_.begin() + mid, tree_order_.begin() + end,
        [&](uint32_t a, uint32_t b) { return binned_[a].x[axis] < binned_[b].x[axis]; });
    build_node(begin, mid);
    const uint32_t right = build_node(mid, end);
    tree_[at].right = right;
    return at;
  }

  // Offers binned site t to the point's search.
  void offer(point_search& q, uint32_t t) {
    if (static_cast<int64_t>(t) == q.best_site) return;
    const site& s = binned_[t];
    if (!applies_at(s, q.i, q.j, q.k)) return;
    const float d = surface_distance(q.x[0], q.x[1], q.x[2], s.x, s.r);
    ++evaluations_;
    if (d < q.best || (d == q.best && s.key < q.best_key)) {
      q.best = d, q.best_key = s.key, q.best_site = t;
      q.stop = float_order(q.best);
    }
  }

  // The point's search through the tree, nearer boxes first; boxes that
  // cannot hold a site as near as the best (or the block's bound) are passed
  // over.
  // A box is passed over when its squared gap to the point exceeds the
  // square of the best distance plus the box's largest radius, widened by a
  // relative 1e-5 and 1e-6 Å: the comparison of squares rounds differently
  // from the square root of a site's distance, and the widening keeps it
  // short of any site that could still tie. A sum below zero (a best
  // distance inside a larger atom of another class) passes the box over:
  // no site of it comes nearer than minus its radius.
  void search_tree(point_search& q, float bound) {
    struct pending {
      uint32_t node;
      float gap2;  // squared distance from the point to the box
    };
    pending stack[2 * 64];  // two per level of a tree of at most 2^32 sites
    int depth = 0;
    auto gap2 = [&](uint32_t n) {
      float s = 0.0f;
      for (int c = 0; c < 3; ++c) {
        const float d = std::max({0.0f, tree_[n].lo[c] - q.x[c], q.x[c] - tree_[n].hi[c]});
        s += d * d;
      }
      return pending{n, s};
    };
    auto beyond = [&](const pending& p) {
      const float reach = (std::min(q.best, bound) + tree_[p.node].rmax) * (1.0f + 1.0e-5f) + 1.0e-6f;
      return reach < 0.0f || p.gap2 > reach * reach;
    };
    stack[depth++] = gap2(0);
    while (depth > 0) {
      const pending top = stack[--depth];
      if (beyond(top)) continue;
      const tree_node& node = tree_[top.node];
      if (node.right == 0) {
        for (uint32_t t = node.begin; t < node.end; ++t) offer(q, tree_order_[t]);
        continue;
      }
      const pending left = gap2(top.node + 1), right = gap2(node.right);
      const bool left_nearer = left.gap2 <= right.gap2;  // the nearer box is opened first
      const pending& first = left_nearer ? left : right;
      const pending& second = left_nearer ? right : left;
      if (!beyond(second)) stack[depth++] = second;
      if (!beyond(first)) stack[depth++] = first;
    }
  }

  // Each point of the block: the smallest distance, ties to the smallest
  // key, starting from the site that won the point before it. Returns a copy
  // that won a point, or -1.
  int32_t scan_points(const point_block& b, float bound) {
    int64_t seed_site = -1;
    int32_t winner = -1;
    for (int32_t i = b.ilo[0]; i <= b.ihi[0]; ++i) {
      for (int32_t j = b.ilo[1]; j <= b.ihi[1]; ++j) {
        for (int32_t k = b.ilo[2]; k <= b.ihi[2]; ++k) {
          const std::size_t p = gridi_.index(i, j, k);
          point_search q{{gridi_.x[p], gridi_.y[p], gridi_.z[p]}, i, j, k};
          q.stop = float_order(q.best);
          if (seed_site >= 0) offer(q, static_cast<uint32_t>(seed_site));
          if (tree_block_) search_tree(q, bound);  // no site beyond the bound can win
          // The listed sites: all of them, or in a tree block those of the
          // classes of larger radii.
          for (uint64_t c : cand_) {
            // The lower bound of this and every later site is beyond the best.
            if (static_cast<uint32_t>(c >> 32) > q.stop) break;
            offer(q, static_cast<uint32_t>(c & 0xffffffffu));
          }
          gridi_.dist[p] = q.best;
          if (q.best_key >= 0) {
            const atom_copy& cp = copies_[static_cast<std::size_t>(q.best_key / 2)];
            gridi_.iatom[p] = cp.a;
            gridi_.incs[p] = cp.n;
            gridi_.isym[p] = cp.s;
            winner = static_cast<int32_t>(q.best_key / 2);
            seed_site = q.best_site;
          }
        }
      }
    }
    return winner;
  }

  // Whether the block's neighbourhood within `bound` holds so many sites of
  // class 0 that its points are better searched one by one in the tree.
  bool wants_tree(const point_block& b, float bound) {
    const site_buckets& cb = classes_[0];
    int32_t lob[3], hib[3];
    bucket_range(cb, b, bound + cb.rmax, lob, hib);
    int64_t points = 1;
    for (int c = 0; c < 3; ++c) points *= b.ihi[c] - b.ilo[c] + 1;
    const int64_t nearby = cb.sites_in(lob, hib);
    if (nearby <= tree_sites_per_point * points) return false;
    if (tree_.empty() && !tree_failed_) {
      listed_ += nearby;
      if (listed_ <= tree_payback * static_cast<int64_t>(cb.end - cb.first)) return false;
      tree_failed_ = !build_tree();
    }
    return !tree_.empty();
  }

  void do_block(int32_t bi, int32_t bj, int32_t bk) {
    const point_block b = make_block(bi, bj, bk);
    const std::size_t bidx =
        static_cast<std::size_t>(bk) +
        static_cast<std::size_t>(nb_[2]) *
            (static_cast<std::size_t>(bj) + static_cast<std::size_t>(nb_[1]) * bi);
    cand_.clear();
    tree_block_ = false;
    float bound = no_atom_distance;
    if (b.finite && !copies_.empty() && within_reach(b)) {
      bound = block_bound(b, bidx, bi, bj, bk);
      tree_block_ = wants_tree(b, bound);
      gather_candidates(b, bound, tree_block_ ? 1 : 0);  // class 0 of a tree block is in the tree
    }
    block_winner_[bidx] = scan_points(b, bound);
  }
};

}  // namespace

fast_map_stats distance_map_fast(const cell_frame& frame, const std::vector<atom_copy>& copies,
                                 grid_store& gridi, int32_t sample_rows) {
  const float t0 = processor_seconds();
  fast_map fm(frame, copies, gridi);
  const float t1 = processor_seconds();
  fast_map_stats st = fm.run(sample_rows);
  st.setup_seconds = t1 - t0;
  st.block_seconds = processor_seconds() - t1;
  return st;
}

}  // namespace porvane
