// The distance map by a spatial search instead of the grid × copies loop.
//
// Each copy becomes a few "sites": its direct position, valid at every grid
// point, and one image position per combination of per-axis image shifts,
// valid on the box of grid indices where check_next_atom would apply exactly
// that shift. The sites are bucketed in space; the grid is taken in small
// blocks of points, and for each block the sites that can still beat an
// upper bound of the block's distances are sorted by a lower bound of their
// distance to the block. Each point then scans them in that order until no
// further site can win.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "distmap/distance_kernel.hpp"
#include "distmap/distance_map.hpp"

namespace porvane {
namespace {

constexpr float no_atom_distance = 10000.0f;  // distance before any copy is applied
constexpr float block_span = 4.0f;            // aimed-for block edge (Å)


struct site {
  float x[3];        // orthogonal position (Å)
  float r;           // atom radius (Å)
  int32_t key;       // 2 × copy + (0 direct, 1 image): the order of the literal loops
  int32_t lo[3];     // grid-index box on which the site applies
  int32_t hi[3];
};

// Sort key of a float that orders like the float.
inline uint32_t float_order(float v) {
  uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  return (u & 0x80000000u) ? ~u : (u | 0x80000000u);
}

class fast_map {
 public:
  fast_map(const cell_frame& frame, const std::vector<atom_copy>& copies, grid_store& gridi)
      : copies_(copies), gridi_(gridi) {
    for (int c = 0; c < 3; ++c) n_[c] = gridi.n[c];
    build_sites(frame);
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
        }
      }
    }
    st.evaluations = evaluations_;
    return st;
  }

 private:
  const std::vector<atom_copy>& copies_;
  grid_store& gridi_;
  int32_t n_[3];
  std::vector<shift_run> runs_[3];      // image-shift runs of the copy at hand
  std::vector<uint32_t> copy_sites_;    // binned sites copy by copy, direct first
  std::vector<std::size_t> copy_first_; // first entry of each copy (and the end)
  float rmax_ = 0.0f;                   // largest radius of a copy
  // Buckets: sites in bucket order, bucket b holding binned_[start_[b] .. start_[b+1]).
  float origin_[3] = {0, 0, 0};
  float bin_ = 4.0f;
  int32_t nbin_[3] = {1, 1, 1};
  std::vector<uint32_t> start_;
  std::vector<site> binned_;
  // Blocks of block_edge_ points per axis, about block_span across.
  int32_t block_edge_ = 4;
  int32_t nb_[3] = {0, 0, 0};
  std::vector<int32_t> block_winner_;   // a copy that won a point of the block
  std::vector<uint64_t> cand_;          // (lower bound, binned site) of the block
  int64_t evaluations_ = 0;
  float slack_ = 1.0e-3f;               // rounding allowance of a distance (Å)

  // Slack added to every bound so that rounding in the bounds and distances
  // can never prune a site whose distance equals the best one: a few units
  // in the last place of the largest coordinate, of the distance itself, and
  // 0.001 Å besides.
  float margin(float v) const { return slack_ + 1.0e-6f * std::fabs(v); }

  // Calls emit(site) for the direct site of copy ci and then for each of
  // its image sites, in that order.
  template <class F>
  void for_each_site(const cell_frame& frame, std::size_t ci, F&& emit) {
    const atom_copy& cp = copies_[ci];
    const int32_t key = static_cast<int32_t>(2 * ci);
    emit(site{{cp.x[0], cp.x[1], cp.x[2]}, cp.r, key, {0, 0, 0}, {n_[0], n_[1], n_[2]}});
    for (int c = 0; c < 3; ++c) image_shift_runs(cp.f[c], n_[c], runs_[c]);
    for (const shift_run& ra : runs_[0]) {
      for (const shift_run& rb : runs_[1]) {
        for (const shift_run& rc : runs_[2]) {
          if (ra.h == 0 && rb.h == 0 && rc.h == 0) continue;
          const int32_t h[3] = {ra.h, rb.h, rc.h};
          site img{{0, 0, 0}, cp.r, key + 1, {ra.lo, rb.lo, rc.lo}, {ra.hi, rb.hi, rc.hi}};
          image_position(frame, cp.f, h, img.x);
          emit(img);
        }
      }
    }
  }

  // Sites are generated three times (extent, bucket counts, filling) rather
  // than held twice: generating one costs less than storing it.
  void build_sites(const cell_frame& frame) {
    // The buckets cover every grid point and every site.
    float lo[3], hi[3];
    for (int c = 0; c < 3; ++c) {
      lo[c] = std::numeric_limits<float>::max();
      hi[c] = -std::numeric_limits<float>::max();
    }
    auto widen = [&](const float v[3]) {
      for (int c = 0; c < 3; ++c) {
        if (!std::isfinite(v[c])) continue;
        lo[c] = std::min(lo[c], v[c]);
        hi[c] = std::max(hi[c], v[c]);
      }
    };
    const std::size_t npts = gridi_.points();
    for (std::size_t p = 0; p < npts; ++p) {
      const float v[3] = {gridi_.x[p], gridi_.y[p], gridi_.z[p]};
      widen(v);
    }
    float grid_volume = 1.0f;
    for (int c = 0; c < 3; ++c) grid_volume *= std::max(hi[c] - lo[c], 1.0f);
    const float spacing = std::cbrt(grid_volume / static_cast<float>(npts));
    block_edge_ = static_cast<int32_t>(std::clamp(std::lround(block_span / spacing), 1L, 6L));

    std::size_t nsites = 0;
    for (std::size_t ci = 0; ci < copies_.size(); ++ci) {
      rmax_ = std::max(rmax_, copies_[ci].r);
      for_each_site(frame, ci, [&](const site& s) {
        widen(s.x);
        ++nsites;
      });
    }
    float largest = 0.0f;
    for (int c = 0; c < 3; ++c) {
      if (lo[c] > hi[c]) lo[c] = hi[c] = 0.0f;
      largest = std::max({largest, std::fabs(lo[c]), std::fabs(hi[c])});
    }
    slack_ = 1.0e-3f + 16.0f * largest * std::numeric_limits<float>::epsilon();
    // About a few direct positions per bucket where the atoms are.
    const double ndirect = std::max<double>(1.0, static_cast<double>(copies_.size()));
    double b = std::max(4.0, 1.6 * std::cbrt(static_cast<double>(grid_volume) / ndirect));
    for (;;) {
      double total = 1.0;
      for (int c = 0; c < 3; ++c) total *= std::floor((hi[c] - lo[c]) / b) + 1.0;
      if (total <= 8.0e6) break;
      b *= 1.25;
    }
    bin_ = static_cast<float>(b);
    for (int c = 0; c < 3; ++c) {
      origin_[c] = lo[c];
      nbin_[c] = static_cast<int32_t>(std::floor((hi[c] - lo[c]) / bin_)) + 1;
    }

    const std::size_t nb = static_cast<std::size_t>(nbin_[0]) * nbin_[1] * nbin_[2];
    start_.assign(nb + 1, 0);
    for (std::size_t ci = 0; ci < copies_.size(); ++ci) {
      for_each_site(frame, ci, [&](const site& s) { ++start_[bucket_of(s.x) + 1]; });
    }
    for (std::size_t i = 0; i < nb; ++i) start_[i + 1] += start_[i];

    binned_.resize(nsites);
    copy_sites_.resize(nsites);
    copy_first_.resize(copies_.size() + 1);
    std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
    std::size_t t = 0;
    for (std::size_t ci = 0; ci < copies_.size(); ++ci) {
      copy_first_[ci] = t;
      for_each_site(frame, ci, [&](const site& s) {
        const uint32_t at = fill[bucket_of(s.x)]++;
        binned_[at] = s;
        copy_sites_[t++] = at;
      });
    }
    copy_first_[copies_.size()] = t;
  }

  int32_t bucket_coord(float v, int c) const {
    const float t = std::floor((v - origin_[c]) / bin_);
    if (!(t >= 0.0f)) return 0;
    if (t >= static_cast<float>(nbin_[c] - 1)) return nbin_[c] - 1;
    return static_cast<int32_t>(t);
  }
  std::size_t bucket_of(const float x[3]) const {
    return static_cast<std::size_t>(bucket_coord(x[0], 0)) +
           static_cast<std::size_t>(nbin_[0]) *
               (static_cast<std::size_t>(bucket_coord(x[1], 1)) +
                static_cast<std::size_t>(nbin_[1]) * static_cast<std::size_t>(bucket_coord(x[2], 2)));
  }

  static bool covers(const site& s, const int32_t lo[3], const int32_t hi[3]) {
    return s.lo[0] <= lo[0] && s.hi[0] >= hi[0] && s.lo[1] <= lo[1] && s.hi[1] >= hi[1] &&
           s.lo[2] <= lo[2] && s.hi[2] >= hi[2];
  }
  static bool overlaps(const site& s, const int32_t lo[3], const int32_t hi[3]) {
    return s.lo[0] <= hi[0] && s.hi[0] >= lo[0] && s.lo[1] <= hi[1] && s.hi[1] >= lo[1] &&
           s.lo[2] <= hi[2] && s.hi[2] >= lo[2];
  }

  // An upper bound of every point's distance in the block from the sites of
  // one copy that apply to the whole block (the direct site always does).
  float copy_bound(int32_t ci, const int32_t ilo[3], const int32_t ihi[3], const float blo[3],
                   const float bhi[3]) const {
    float whole = std::numeric_limits<float>::max();
    for (std::size_t t = copy_first_[ci]; t < copy_first_[ci + 1]; ++t) {
      const site& s = binned_[copy_sites_[t]];
      if (covers(s, ilo, ihi)) whole = std::min(whole, farthest_in_box(s.x, blo, bhi) - s.r);
    }
    return whole;
  }

  // The copy whose direct position lies nearest (surface distance) to x.
  int32_t nearest_direct_copy(const float x[3]) const {
    int32_t b[3];
    for (int c = 0; c < 3; ++c) b[c] = bucket_coord(x[c], c);
    float best = std::numeric_limits<float>::max();
    int32_t best_copy = -1;
    const int32_t kmax = std::max(nbin_[0], std::max(nbin_[1], nbin_[2]));
    for (int32_t k = 0; k <= kmax; ++k) {
      if (best_copy >= 0 && static_cast<float>(k - 1) * bin_ - rmax_ > best + margin(best))
        break;
      for_each_ring_bin(b, k, nbin_, [&](std::size_t bucket) {
        for (uint32_t t = start_[bucket]; t < start_[bucket + 1]; ++t) {
          const site& s = binned_[t];
          if (s.key & 1) continue;
          float dd = 0.0f;
          for (int c = 0; c < 3; ++c) dd += (x[c] - s.x[c]) * (x[c] - s.x[c]);
          const float d = std::sqrt(dd) - s.r;
          if (d < best) {
            best = d;
            best_copy = s.key / 2;
          }
        }
      });
    }
    return best_copy;
  }

  void do_block(int32_t bi, int32_t bj, int32_t bk) {
    const int32_t ilo[3] = {bi * block_edge_, bj * block_edge_, bk * block_edge_};
    const int32_t ihi[3] = {std::min(ilo[0] + block_edge_ - 1, n_[0]),
                            std::min(ilo[1] + block_edge_ - 1, n_[1]),
                            std::min(ilo[2] + block_edge_ - 1, n_[2])};
    // Box of the block's point positions.
    float blo[3], bhi[3];
    for (int c = 0; c < 3; ++c) {
      blo[c] = std::numeric_limits<float>::max();
      bhi[c] = -std::numeric_limits<float>::max();
    }
    for (int32_t i = ilo[0]; i <= ihi[0]; ++i) {
      for (int32_t j = ilo[1]; j <= ihi[1]; ++j) {
        for (int32_t k = ilo[2]; k <= ihi[2]; ++k) {
          const std::size_t p = gridi_.index(i, j, k);
          const float v[3] = {gridi_.x[p], gridi_.y[p], gridi_.z[p]};
          for (int c = 0; c < 3; ++c) {
            blo[c] = std::min(blo[c], v[c]);
            bhi[c] = std::max(bhi[c], v[c]);
          }
        }
      }
    }
    const bool finite_box = std::isfinite(blo[0]) && std::isfinite(blo[1]) &&
                            std::isfinite(blo[2]) && std::isfinite(bhi[0]) &&
                            std::isfinite(bhi[1]) && std::isfinite(bhi[2]);

    // Upper bound of the block's distances from a nearby copy.
    float bound = no_atom_distance;
    const std::size_t bidx =
        static_cast<std::size_t>(bk) +
        static_cast<std::size_t>(nb_[2]) *
            (static_cast<std::size_t>(bj) + static_cast<std::size_t>(nb_[1]) * bi);
    bool seeded = false;
    if (!copies_.empty() && finite_box) {
      const int32_t seeds[3] = {
          bk > 0 ? block_winner_[bidx - 1] : -1,
          bj > 0 ? block_winner_[bidx - static_cast<std::size_t>(nb_[2])] : -1,
          bi > 0 ? block_winner_[bidx - static_cast<std::size_t>(nb_[2]) * nb_[1]] : -1};
      for (int32_t ci : seeds) {
        if (ci < 0) continue;
        bound = std::min(bound, copy_bound(ci, ilo, ihi, blo, bhi));
        seeded = true;
      }
      if (!seeded) {
        float centre[3];
        for (int c = 0; c < 3; ++c) centre[c] = 0.5f * (blo[c] + bhi[c]);
        const int32_t ci = nearest_direct_copy(centre);
        if (ci >= 0) bound = std::min(bound, copy_bound(ci, ilo, ihi, blo, bhi));
      }
    }

    // Sites that can reach the bound, by their lower bound over the block.
    cand_.clear();
    if (finite_box && !copies_.empty()) {
      const float reach = bound + rmax_ + margin(bound);
      const float limit = bound + margin(bound);
      int32_t lob[3], hib[3];
      for (int c = 0; c < 3; ++c) {
        lob[c] = bucket_coord(blo[c] - reach, c);
        hib[c] = bucket_coord(bhi[c] + reach, c);
      }
      for (int32_t z = lob[2]; z <= hib[2]; ++z) {
        for (int32_t y = lob[1]; y <= hib[1]; ++y) {
          const std::size_t row =
              static_cast<std::size_t>(nbin_[0]) *
              (static_cast<std::size_t>(y) + static_cast<std::size_t>(nbin_[1]) * z);
          const uint32_t t0 = start_[row + static_cast<std::size_t>(lob[0])];
          const uint32_t t1 = start_[row + static_cast<std::size_t>(hib[0]) + 1];
          for (uint32_t t = t0; t < t1; ++t) {
            const site& s = binned_[t];
            if (!overlaps(s, ilo, ihi)) continue;
            const float lb = nearest_in_box(s.x, blo, bhi) - s.r;
            if (!(lb <= limit)) continue;
            cand_.push_back((static_cast<uint64_t>(float_order(lb)) << 32) | t);
          }
        }
      }
      std::sort(cand_.begin(), cand_.end());
    }

    // Each point: the smallest distance, ties to the smallest key.
    int64_t seed_site = -1;
    int32_t winner = -1;
    for (int32_t i = ilo[0]; i <= ihi[0]; ++i) {
      for (int32_t j = ilo[1]; j <= ihi[1]; ++j) {
        for (int32_t k = ilo[2]; k <= ihi[2]; ++k) {
          const std::size_t p = gridi_.index(i, j, k);
          const float px = gridi_.x[p], py = gridi_.y[p], pz = gridi_.z[p];
          float best = no_atom_distance;
          int32_t best_key = -1;  // the start value: a copy must be strictly nearer
          int64_t best_site = -1;
          if (seed_site >= 0) {
            const site& s = binned_[static_cast<std::size_t>(seed_site)];
            if (s.lo[0] <= i && i <= s.hi[0] && s.lo[1] <= j && j <= s.hi[1] && s.lo[2] <= k &&
                k <= s.hi[2]) {
              const float d = surface_distance(px, py, pz, s.x, s.r);
              ++evaluations_;
              if (d < best) {
                best = d;
                best_key = s.key;
                best_site = seed_site;
              }
            }
          }
          uint32_t stop = float_order(best + margin(best));
          for (uint64_t c : cand_) {
            // The lower bound of this and every later site is beyond the best.
            if (static_cast<uint32_t>(c >> 32) > stop) break;
            const uint32_t t = static_cast<uint32_t>(c & 0xffffffffu);
            if (static_cast<int64_t>(t) == best_site) continue;
            const site& s = binned_[t];
            if (i < s.lo[0] || i > s.hi[0] || j < s.lo[1] || j > s.hi[1] || k < s.lo[2] ||
                k > s.hi[2])
              continue;
            const float d = surface_distance(px, py, pz, s.x, s.r);
            ++evaluations_;
            if (d < best || (d == best && s.key < best_key)) {
              best = d;
              best_key = s.key;
              best_site = t;
              stop = float_order(best + margin(best));
            }
          }
          gridi_.dist[p] = best;
          if (best_key >= 0) {
            const atom_copy& cp = copies_[static_cast<std::size_t>(best_key / 2)];
            gridi_.iatom[p] = cp.a;
            gridi_.incs[p] = cp.n;
            gridi_.isym[p] = cp.s;
            winner = best_key / 2;
            seed_site = best_site;
          }
        }
      }
    }
    block_winner_[bidx] = winner;
  }
};

}  // namespace

fast_map_stats distance_map_fast(const cell_frame& frame,
                                 const std::vector<atom_copy>& copies, grid_store& gridi,
                                 int32_t sample_rows) {
  const float t0 = processor_seconds();
  fast_map fm(frame, copies, gridi);
  const float t1 = processor_seconds();
  fast_map_stats st = fm.run(sample_rows);
  st.setup_seconds = t1 - t0;
  st.block_seconds = processor_seconds() - t1;
  return st;
}

}  // namespace porvane
