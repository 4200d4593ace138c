// The distance map by a spatial search instead of the grid × copies loop:
// the search over blocks of grid points.
//
// The sites of the copies lie in bucket grids (site_grid). The grid is taken
// in small blocks of points, and for each block the sites that can still
// beat an upper bound of the block's distances are sorted by a lower bound
// of their distance to the block. Each point then scans them in that order
// until no further site can win. A block farther than the start distance
// from every site keeps the start distance without a search. Where a list
// would be long, or its order says little about each point (points far
// from a compact group of atoms, all of whose sites are about equally far
// from the whole block), the block's points are searched together in a
// tree of site boxes (site_tree) instead.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "distmap/distance_kernel.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/site_grid.hpp"
#include "distmap/site_tree.hpp"

namespace porvane {

// Sizes that steer the search. None of them changes a result, only the
// time it takes.
namespace {

constexpr float block_span = 4.0f;      // aimed-for block edge (Å), about an atom spacing
constexpr long min_block_edge = 2;      // grid points per block edge, at least
constexpr long max_block_edge = 6;      // and at most
static_assert(max_block_edge * max_block_edge * max_block_edge <= site_tree::max_batch);
// A block whose neighbourhood holds more sites than this many per point
// (points far from a compact group of atoms, where a sorted list of them
// costs more than it saves) is searched in a tree of site boxes instead.
constexpr int64_t tree_sites_per_point = 64;
// A block whose points offered more listed sites than this many each, the
// points so far taken together, leaves the rest of its points to the tree,
// and so does the next block while the tree costs no more than this a
// point (a site offered, or tree_tests_per_offer box tests, counting one).
constexpr int64_t list_budget = 48;
constexpr int64_t tree_tests_per_offer = 8;
// The tree is built once blocks that wanted it have gathered or offered,
// from lists, this many times as many sites as there are: by then its cost
// is repaid.
constexpr int64_t tree_payback = 16;
// The bounds are exact in single precision: a lower bound over a box takes
// per axis a gap no larger than the point's own coordinate difference, and
// squares, sums in the same order, square roots and the radius subtraction
// all round monotonically, so a bound never passes the distance it bounds
// and a site is pruned only when it cannot even tie. Only the bucket ranges
// (bucket_span) and the tree's box test, which compares squares (site_tree),
// are widened.

using site = map_site;

// Sort key of a float that orders like the float.
inline uint32_t float_order(float v) {
  uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  return (u & 0x80000000u) ? ~u : (u | 0x80000000u);
}

// The search for the nearest site of one grid point.
struct point_search {
  float x[3];       // the point's position (Å)
  int32_t i, j, k;  // its grid indices
  float best = no_atom_distance;
  int64_t best_key = -1;  // the start value: a copy must be strictly nearer
  int64_t best_site = -1;
  uint32_t stop = 0;  // sites whose lower bound orders above this cannot win
};

// The searches of the points of one block, with their positions and best
// distances also side by side, as the tree takes them together.
struct block_points {
  static constexpr int most = site_tree::max_batch;
  int n = 0;
  point_search q[most];
  std::size_t at[most];               // index in the grid store
  float x[most], y[most], z[most];    // positions (Å)
  float best[most];                   // q[p].best
};

// A box of grid indices and the box of its points' positions.
struct point_block {
  int32_t ilo[3], ihi[3];  // grid indices
  float blo[3], bhi[3];    // positions (Å)
  bool finite = true;      // every position is a finite number
};

class block_search {
 public:
  block_search(const cell_frame& frame, const std::vector<atom_copy>& copies, grid_store& gridi)
      : frame_(frame), copies_(copies), gridi_(gridi), sites_(frame, copies, gridi) {
    for (int c = 0; c < 3; ++c) n_[c] = gridi.n[c];
    choose_block_edge(sites_.grid_volume(), gridi.points());
  }

  fast_map_stats run(int32_t sample_rows) {
    fast_map_stats st;
    st.sites = static_cast<int64_t>(sites_.sites().size());
    for (int c = 0; c < 3; ++c) nb_[c] = (n_[c] + block_edge_) / block_edge_;
    st.blocks = static_cast<int64_t>(nb_[0]) * nb_[1] * nb_[2];
    block_winner_.assign(static_cast<std::size_t>(st.blocks), -1);
    std::fill(std::begin(slot_seed_), std::end(slot_seed_), int64_t{-1});
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
    st.tree_seconds = tree_seconds_;
    return st;
  }

 private:
  const cell_frame frame_;
  const std::vector<atom_copy>& copies_;
  grid_store& gridi_;
  site_grid sites_;
  int32_t n_[3];
  // Blocks of block_edge_ points per axis, about block_span across.
  int32_t block_edge_ = 4;
  int32_t nb_[3] = {0, 0, 0};
  std::vector<int32_t> block_winner_;  // a copy that won a point of the block
  std::vector<uint64_t> cand_;         // (lower bound, binned site) of the block
  bool tree_block_ = false;            // the block's points are searched in the tree
  bool tree_cheaper_ = false;          // the block at hand found the tree the cheaper
  bool prefer_tree_ = false;           // the block before it did
  site_tree tree_;                     // built when a block first needs it
  bool tree_failed_ = false;           // the tree would not fit the memory limit
  int64_t listed_ = 0;                 // sites gathered or offered by blocks that wanted the tree
  float tree_seconds_ = 0.0f;          // processor time of building the tree
  block_points pts_;                   // the points of the block at hand
  int64_t slot_seed_[block_points::most];  // the site that won each point of the block before
  int64_t evaluations_ = 0;

  // Blocks of about block_span across, from the mean spacing of the points.
  void choose_block_edge(double grid_volume, std::size_t npts) {
    const double spacing = std::cbrt(grid_volume / static_cast<double>(npts));
    const double points = std::clamp(block_span / spacing, 0.0, 1000.0);
    block_edge_ =
        static_cast<int32_t>(std::clamp(std::lround(points), min_block_edge, max_block_edge));
  }

  // The buckets of cb that hold every site within `reach` of the block.
  void bucket_range(const site_buckets& cb, const point_block& b, float reach, int32_t lob[3],
                    int32_t hib[3]) const {
    sites_.bucket_range(cb, b.blo, b.bhi, reach, lob, hib);
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
    for (const site_buckets& cb : sites_.classes()) {
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
      const int32_t ci = sites_.nearest_direct_copy(centre);
      if (ci >= 0) bound = std::min(bound, copy_bound(ci, b));
    }
    return bound;
  }

  // Lists binned site t as a candidate of the block when it applies to a
  // point of the block and its lower bound over the block is within `bound`.
  void consider(const point_block& b, uint32_t t, float bound) {
    const site& s = sites_.sites()[t];
    if (!overlaps(s, b.ilo, b.ihi)) return;
    const float lb = nearest_in_box(s.x, b.blo, b.bhi) - s.r;
    if (lb <= bound) cand_.push_back((static_cast<uint64_t>(float_order(lb)) << 32) | t);
  }

  // The sites that can reach the bound, sorted by their lower bound over
  // the block, from the buckets around it of the classes from `from` on.
  void gather_candidates(const point_block& b, float bound, std::size_t from) {
    for (std::size_t l = from; l < sites_.classes().size(); ++l) {
      const site_buckets& cb = sites_.classes()[l];
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
  // are never nearer than anything). Returns false, leaving no tree, when
  // it would not fit the memory limit.
  bool build_tree() {
    const int64_t nsites = static_cast<int64_t>(sites_.sites().size());
    if (map_memory_bytes(static_cast<int64_t>(copies_.size()), nsites,
                         static_cast<int64_t>(gridi_.points())) +
            site_tree::bytes(nsites) >
        map_memory_limit)
      return false;
    const float t0 = processor_seconds();
    tree_.build(sites_.sites(), sites_.classes()[0].first, sites_.classes()[0].end);
    tree_seconds_ += processor_seconds() - t0;
    return true;
  }

  // Offers binned site t to the point's search.
  void offer(point_search& q, uint32_t t) {
    if (static_cast<int64_t>(t) == q.best_site) return;
    const site& s = sites_.sites()[t];
    if (!applies_at(s, q.i, q.j, q.k)) return;
    const float d = surface_distance(q.x[0], q.x[1], q.x[2], s.x, s.r);
    ++evaluations_;
    if (d < q.best || (d == q.best && s.key < q.best_key)) {
      q.best = d, q.best_key = s.key, q.best_site = t;
      q.stop = float_order(q.best);
    }
  }

  // The listed sites offered to the point in the order of their lower
  // bound over the block, up to the first that cannot win. Returns the
  // number offered.
  int64_t scan_list(point_search& q) {
    int64_t offered = 0;
    for (uint64_t c : cand_) {
      // The lower bound of this and every later site is beyond the best.
      if (static_cast<uint32_t>(c >> 32) > q.stop) break;
      offer(q, static_cast<uint32_t>(c & 0xffffffffu));
      ++offered;
    }
    return offered;
  }

  // The point's result into the grid; returns the copy that won it, or -1.
  int32_t store(const point_search& q, std::size_t at) {
    gridi_.dist[at] = q.best;
    if (q.best_key < 0) return -1;
    const atom_copy& cp = copies_[static_cast<std::size_t>(q.best_key / 2)];
    gridi_.iatom[at] = cp.a;
    gridi_.incs[at] = cp.n;
    gridi_.isym[at] = cp.s;
    return static_cast<int32_t>(q.best_key / 2);
  }

  // Whether the tree is there, building it once blocks that wanted it have
  // repaid its cost.
  bool tree_ready() {
    if (tree_.empty() && !tree_failed_ &&
        listed_ > tree_payback * static_cast<int64_t>(sites_.classes()[0].end - sites_.classes()[0].first))
      tree_failed_ = !build_tree();
    return !tree_.empty();
  }

  // The rest of the block's points go to the tree: the listed sites of
  // class 0, which the tree holds, are dropped from the list.
  void leave_list_for_tree() {
    tree_block_ = true;
    const site_buckets& c0 = sites_.classes()[0];
    std::erase_if(cand_, [&](uint64_t c) {
      const auto t = static_cast<uint32_t>(c & 0xffffffffu);
      return t >= c0.first && t < c0.end;
    });
  }

  // The points set aside in pts_ searched together in the tree, each first
  // offered the site that won its place in the block before, and then the
  // listed sites of the other classes. Returns the cost (sites offered, box
  // tests at tree_tests_per_offer to one).
  int64_t search_tree(const point_block& b, float bound) {
    block_points& bp = pts_;
    for (int p = 0; p < bp.n; ++p) {
      point_search& q = bp.q[p];
      if (slot_seed_[p] >= 0) offer(q, static_cast<uint32_t>(slot_seed_[p]));
      bp.x[p] = q.x[0], bp.y[p] = q.x[1], bp.z[p] = q.x[2], bp.best[p] = q.best;
    }
    float centre[3];
    for (int c = 0; c < 3; ++c) centre[c] = 0.5f * (b.blo[c] + b.bhi[c]);
    int64_t offered = 0;
    // No site beyond the bound can win.
    const int64_t tests =
        tree_.search(0, bp.n, bp.x, bp.y, bp.z, bp.best, bound, centre, [&](int p, uint32_t t) {
          offer(bp.q[p], t);
          bp.best[p] = bp.q[p].best;
          ++offered;
        });
    for (int p = 0; p < bp.n; ++p) {
      scan_list(bp.q[p]);
      slot_seed_[p] = bp.q[p].best_site;
    }
    return offered + tests / tree_tests_per_offer;
  }

  // Each point of the block: the smallest distance, ties to the smallest
  // key. From the sorted list, starting from the site that won the point
  // before it, until the points have offered more than list_budget sites
  // each and the tree is there; the rest are set aside and searched in the
  // tree. Returns a copy that won a point, or -1.
  int32_t scan_points(const point_block& b, float bound) {
    int64_t seed_site = -1, offered = 0, listed_points = 0;
    int32_t winner = -1;
    block_points& bp = pts_;
    bp.n = 0;
    for (int32_t i = b.ilo[0]; i <= b.ihi[0]; ++i) {
      for (int32_t j = b.ilo[1]; j <= b.ihi[1]; ++j) {
        for (int32_t k = b.ilo[2]; k <= b.ihi[2]; ++k) {
          const std::size_t p = gridi_.index(i, j, k);
          point_search q{{gridi_.x[p], gridi_.y[p], gridi_.z[p]}, i, j, k};
          q.stop = float_order(q.best);
          if (tree_block_) {
            bp.at[bp.n] = p;
            bp.q[bp.n++] = q;
            continue;
          }
          if (seed_site >= 0) offer(q, static_cast<uint32_t>(seed_site));
          const int64_t now = scan_list(q);
          offered += now;
          ++listed_points;
          const int32_t w = store(q, p);
          if (w >= 0) winner = w, seed_site = q.best_site;
          if (offered > list_budget * listed_points) {
            listed_ += now;
            if (tree_ready()) leave_list_for_tree();
          }
        }
      }
    }
    tree_cheaper_ = false;
    if (bp.n > 0) {
      tree_cheaper_ = search_tree(b, bound) <= list_budget * bp.n;
      for (int p = 0; p < bp.n; ++p) {
        const int32_t w = store(bp.q[p], bp.at[p]);
        if (w >= 0) winner = w;
      }
    }
    return winner;
  }

  // Whether the block's points are searched in the tree: when its
  // neighbourhood within `bound` holds so many sites of class 0 that a list
  // of them costs more than it saves, or when the block before found the
  // tree the cheaper.
  bool wants_tree(const point_block& b, float bound) {
    const site_buckets& cb = sites_.classes()[0];
    int32_t lob[3], hib[3];
    bucket_range(cb, b, bound + cb.rmax, lob, hib);
    int64_t points = 1;
    for (int c = 0; c < 3; ++c) points *= b.ihi[c] - b.ilo[c] + 1;
    const int64_t nearby = cb.sites_in(lob, hib);
    if (nearby <= tree_sites_per_point * points) return prefer_tree_ && tree_ready();
    if (tree_.empty()) listed_ += nearby;
    return tree_ready();
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
    const bool searched = b.finite && !copies_.empty() && within_reach(b);
    if (searched) {
      bound = block_bound(b, bidx, bi, bj, bk);
      tree_block_ = wants_tree(b, bound);
      gather_candidates(b, bound, tree_block_ ? 1 : 0);  // class 0 of a tree block is in the tree
    }
    block_winner_[bidx] = scan_points(b, bound);
    if (searched) prefer_tree_ = tree_cheaper_;
  }
};

}  // namespace

fast_map_stats distance_map_fast(const cell_frame& frame, const std::vector<atom_copy>& copies,
                                 grid_store& gridi, int32_t sample_rows) {
  const float t0 = processor_seconds();
  block_search search(frame, copies, gridi);
  const float t1 = processor_seconds();
  fast_map_stats st = search.run(sample_rows);
  st.setup_seconds = t1 - t0;
  st.block_seconds = processor_seconds() - t1;
  return st;
}

}  // namespace porvane
