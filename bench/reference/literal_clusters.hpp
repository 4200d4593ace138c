// Straight transcriptions of the cluster procedures on the grid store, with
// their full-grid rescans: the yardstick the benchmark times the fast procedures against.
// Provisional labels, kept clusters and loop rows are not limited (the fast
// procedures mend those limits); the temporary label of the size sort is -2
// so that it never meets a cluster number.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "channels/cluster_geometry.hpp"
#include "channels/find_clusters.hpp"
#include "channels/pipe_center.hpp"
#include "common/grid_store.hpp"
#include "common/report_writer.hpp"
#include "common/run_params.hpp"

namespace porvane::literal {

// The 27 wrapped neighbours of (i, j, k) in the order i' outer, k' inner;
// indices that cannot be wrapped into 0..n (an axis of count 0) are skipped.
template <class F>
void for_neighbours(const grid_store& g, int32_t i, int32_t j, int32_t k, F&& f) {
  for (int32_t a = i - 1; a <= i + 1; ++a)
    for (int32_t b = j - 1; b <= j + 1; ++b)
      for (int32_t c = k - 1; c <= k + 1; ++c) {
        const int32_t t[3] = {wrap_index(a, g.n[0]), wrap_index(b, g.n[1]), wrap_index(c, g.n[2])};
        if (t[0] >= 0 && t[0] <= g.n[0] && t[1] >= 0 && t[1] <= g.n[1] && t[2] >= 0 && t[2] <= g.n[2])
          f(g.index(t[0], t[1], t[2]));
      }
}

template <class F>
void for_points(const grid_store& g, F&& f) {
  for (int32_t i = 0; i <= g.n[0]; ++i)
    for (int32_t j = 0; j <= g.n[1]; ++j)
      for (int32_t k = 0; k <= g.n[2]; ++k) f(i, j, k, g.index(i, j, k));
}

inline void find_clusters(const run_flags& flags, const run_params& params, float r, grid_store& g,
                          cluster_table& chinfo, int32_t& nclust) {
  report_writer& out = report();
  nclust = 0;
  if (flags.vb > 0) out.line("(A35,f8.2)", "Finding clusters...with cutoff of ", r);
  std::vector<int32_t>& clust = g.clust;
  std::fill(clust.begin(), clust.end(), -1);
  auto channel = [&](std::size_t p) { return g.dist[p] > r; };

  int32_t created = 0, total = 0;
  for_points(g, [&](int32_t i, int32_t j, int32_t k, std::size_t p) {
    if (!channel(p)) return;
    int32_t l = -1;
    for_neighbours(g, i, j, k, [&](std::size_t q) {
      if (channel(q) && clust[q] != -1) l = clust[q];
    });
    if (l == -1) {
      l = ++created;
      if (flags.vb > 1) out.free("New cluster...", l, "near ", i, j, k);
    }
    for_neighbours(g, i, j, k, [&](std::size_t q) {
      if (channel(q) && clust[q] == -1) clust[q] = l, ++total;
    });
  });

  for (bool changed = true; changed;) {
    changed = false;
    if (flags.vb > 1) out.free("Checking for multiply labeled clusters...");
    for_points(g, [&](int32_t i, int32_t j, int32_t k, std::size_t p) {
      const int32_t l = clust[p];
      if (l == -1) return;
      for_neighbours(g, i, j, k, [&](std::size_t q) {
        const int32_t m = clust[q];
        if (m == l || m == -1) return;
        if (flags.vb > 1) out.free("Clusters ", l, " and ", m, " are identical.");
        for (int32_t& c : clust)
          if (c == m) c = l;
        changed = true;
      });
    });
  }
  if (flags.vb > 2) out.free("Renumbering clusters and counting cluster sizes");

  const int32_t base = std::max(20000, created);
  int32_t next = base, found = 0, rejected = 0;
  std::vector<cluster_record> kept(1);
  for_points(g, [&](int32_t, int32_t, int32_t, std::size_t p0) {
    const int32_t l = clust[p0];
    if (l == -1 || l > base) return;
    ++next;
    ++found;
    float n = 0.0f, s = 0.0f, q = 0.0f, m = 0.0f;
    for_points(g, [&](int32_t, int32_t, int32_t, std::size_t p) {
      if (clust[p] != l) return;
      clust[p] = next;
      const float d = g.dist[p];
      n = n + 1.0f;
      s = s + d;
      q = q + d * d;
      m = std::max(m, d);
    });
    if (n / static_cast<float>(total) > params.clustcountcut) {
      cluster_record rec;
      rec.npts = static_cast<int32_t>(n);
      rec.avgdist = s / n;
      rec.sddist = distance_spread(n, s, q);
      rec.maxdist = m;
      kept.push_back(rec);
    } else {
      for (int32_t& c : clust)
        if (c == next) c = -1;
      --next;
      ++rejected;
    }
  });
  for_points(g, [&](int32_t i, int32_t j, int32_t k, std::size_t p) {
    if (clust[p] == -1) return;
    clust[p] -= base;
    if (clust[p] > next - base) out.free(i, j, k, clust[p]);
  });
  nclust = next - base;
  if (flags.vb > 1) {
    out.free("There were ", nclust, " clusters kept of ", found);
    out.free("There were ", rejected, " clusters rejected because they were too small.");
  }
  constexpr int32_t temporary = -2;
  for (int32_t a = 1; a < nclust; ++a) {
    for (int32_t b = a + 1; b <= nclust; ++b) {
      if (!(kept[a].npts < kept[b].npts)) continue;
      for (int32_t& c : clust) {
        if (c == b) c = temporary;
        if (c == a) c = b;
      }
      for (int32_t& c : clust)
        if (c == temporary) c = a;
      std::swap(kept[a], kept[b]);
    }
  }
  chinfo = kept;
  if (flags.vb > 0) out.free("   There are ", nclust, " total clusters.");
}

// The point (p, q) of slice s along axis d.
inline std::size_t slice_point(const grid_store& g, int d, int32_t s, int32_t p, int32_t q) {
  int32_t t[3];
  t[d] = s, t[plane_p[d]] = p, t[plane_q[d]] = q;
  return g.index(t[0], t[1], t[2]);
}

// Faces, sweeps, slice profiles and open lines scanned over the whole grid.
class geometry final : public cluster_geometry {
 public:
  geometry(grid_store& g, const analysis_grid& grid) : g_(g), grid_(grid), path_(g.points(), 0) {}

  void mark_faces(cluster_table& chinfo, int32_t) override {
    const int32_t* n = g_.n;
    for_points(g_, [&](int32_t i, int32_t j, int32_t k, std::size_t p) {
      const int32_t l = g_.clust[p];
      if (l == -1) return;
      cluster_record& rec = chinfo[static_cast<std::size_t>(l)];
      auto span = [&](int c, int32_t a0, int32_t b0) {  // the opposite face of axis c around (a0, b0)
        const int a = c == 0 ? 1 : 0, b = c == 2 ? 1 : 2;
        for (int32_t x = a0 - 1; x <= a0 + 1; ++x) {
          for (int32_t y = b0 - 1; y <= b0 + 1; ++y) {
            int32_t t[3];
            t[c] = n[c];
            t[a] = wrap_index(x, n[a]);
            t[b] = wrap_index(y, n[b]);
            if (t[a] < 0 || t[a] > n[a] || t[b] < 0 || t[b] > n[b]) continue;
            if (g_.clust[g_.index(t[0], t[1], t[2])] == l) rec.spans[c] = 1;
          }
        }
      };
      if (i == 0) rec.facetouch[0] = 1, span(0, j, k);
      if (i == n[0]) rec.facetouch[1] = 1;
      if (j == 0) rec.facetouch[2] = 1, span(1, i, k);
      if (j == n[1]) rec.facetouch[3] = 1;
      if (k == 0) rec.facetouch[4] = 1, span(2, i, j);
      if (k == n[2]) rec.facetouch[5] = 1;
    });
  }

  sweep_outcome sweep(int32_t k, int d, bool wrap) override {
    const int ap = plane_p[d], aq = plane_q[d];
    const int32_t nd = g_.n[d], np = g_.n[ap], nq = g_.n[aq];
    std::fill(path_.begin(), path_.end(), 0);
    auto at = [&](int32_t s, int32_t p, int32_t q) { return slice_point(g_, d, s, p, q); };
    auto in_plane = [&](int32_t t, int32_t n, int32_t& out) {
      out = wrap ? wrap_index(t, n) : t;
      return out >= 0 && out <= n;
    };
    for (int32_t p = 0; p <= np; ++p)
      for (int32_t q = 0; q <= nq; ++q)
        if (g_.clust[at(0, p, q)] == k) path_[at(0, p, q)] = 1;
    bool exit_flag = false;
    for (int32_t step = 1; step <= nd + 1; ++step) {
      const int32_t s = step <= nd ? step : 0, prev = step <= nd ? step - 1 : nd;
      bool any = false;
      for (int32_t p = 0; p <= np; ++p) {
        for (int32_t q = 0; q <= nq; ++q) {
          if (g_.clust[at(s, p, q)] != k) continue;
          for (int32_t p1 = p - 1; p1 <= p + 1; ++p1) {
            for (int32_t q1 = q - 1; q1 <= q + 1; ++q1) {
              int32_t pp, qq;
              if (!in_plane(p1, np, pp) || !in_plane(q1, nq, qq)) continue;
              if (g_.clust[at(prev, pp, qq)] != k || path_[at(prev, pp, qq)] != 1) continue;
              any = true;
              path_[at(s, p, q)] = 1;
              for (int32_t p2 = p - 1; p2 <= p + 1; ++p2) {
                for (int32_t q2 = q - 1; q2 <= q + 1; ++q2) {
                  int32_t p3, q3;
                  if (in_plane(p2, np, p3) && in_plane(q2, nq, q3) && g_.clust[at(s, p3, q3)] == k)
                    path_[at(s, p3, q3)] = 1;
                }
              }
              if (step == nd + 1) exit_flag = true;
            }
          }
        }
      }
      if (step <= nd && !any) return sweep_outcome::no_result;
    }
    return exit_flag ? sweep_outcome::crossed : sweep_outcome::no_exit;
  }

  slice_centre profile_slice(int32_t k, int d, int32_t s, cluster_axis_block& block) override {
    const int ap = plane_p[d], aq = plane_q[d];
    const int32_t np = g_.n[ap], nq = g_.n[aq];
    const std::size_t si = static_cast<std::size_t>(s);
    slice_centre ctr;
    int32_t n = 0;
    float m = 0.0f, mp = 0.0f, mq = 0.0f;
    auto triple = [&](float vs, float vp, float vq, float out[3]) { out[d] = vs, out[ap] = vp, out[aq] = vq; };
    for (int32_t p = 0; p <= np; ++p) {
      for (int32_t q = 0; q <= nq; ++q) {
        const std::size_t at = slice_point(g_, d, s, p, q);
        if (g_.clust[at] != k) continue;
        const float v = g_.dist[at];
        block.sliceavg[si] = block.sliceavg[si] + v;
        if (n == 0) mp = static_cast<float>(p), mq = static_cast<float>(q);
        float mean[3], best = 100000.0f, chosen[3];
        triple(static_cast<float>(s), mp, mq, mean);
        triple(static_cast<float>(s), static_cast<float>(p), static_cast<float>(q), chosen);
        for (int u = -1; u <= 1; ++u) {
          for (int w = -1; w <= 1; ++w) {
            float cand[3];
            triple(static_cast<float>(s), static_cast<float>(p + u * np), static_cast<float>(q + w * nq), cand);
            const float dist = grid_to_grid_distance(grid_, cand, mean);
            if (dist < best) best = dist, std::copy(cand, cand + 3, chosen);
          }
        }
        float x[3];
        grid_to_real(*grid_.frame, grid_.gridsize, chosen, x);
        for (int c = 0; c < 3; ++c) {
          ctr.ctr_grid[0][c] = ctr.ctr_grid[0][c] + chosen[c];
          ctr.ctr_A[0][c] = ctr.ctr_A[0][c] + x[c];
        }
        ++n;
        const float fn = static_cast<float>(n), fn1 = static_cast<float>(n - 1);
        mp = chosen[ap] / fn + (mp * fn1) / fn;
        mq = chosen[aq] / fn + (mq * fn1) / fn;
        if (v > m) {
          m = v;
          triple(static_cast<float>(s), static_cast<float>(p), static_cast<float>(q), ctr.ctr_grid[1]);
          grid_to_real(*grid_.frame, grid_.gridsize, ctr.ctr_grid[1], ctr.ctr_A[1]);
          block.slicemax[si] = v;
        }
      }
    }
    ctr.count = n;
    block.slicecount[si] = static_cast<float>(n);
    if (n > 0) {
      block.sliceavg[si] = block.sliceavg[si] / static_cast<float>(n);
      for (int c = 0; c < 3; ++c) {
        ctr.ctr_grid[0][c] = ctr.ctr_grid[0][c] / static_cast<float>(n);
        ctr.ctr_A[0][c] = ctr.ctr_A[0][c] / static_cast<float>(n);
      }
    }
    return ctr;
  }

  int32_t open_lines(int32_t k, int d) override {
    const int ap = plane_p[d], aq = plane_q[d];
    int32_t open = 0;
    for (int32_t p = 1; p <= g_.n[ap]; ++p) {
      for (int32_t q = 1; q <= g_.n[aq]; ++q) {
        bool inside = true;
        for (int32_t t = 1; t <= g_.n[d]; ++t) inside = inside && g_.clust[slice_point(g_, d, t, p, q)] == k;
        if (inside) ++open;
      }
    }
    return open;
  }

 private:
  grid_store& g_;
  analysis_grid grid_;
  std::vector<int32_t> path_;
};

}  // namespace porvane::literal
