// Grids for the channel tests (random, constructed, and maps of real
// structures) and the comparison of the fast analysis with the literal one.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "channels/analyze_clusters.hpp"
#include "channels/channel_stages.hpp"
#include "channels/cluster_slices.hpp"
#include "channels/find_clusters.hpp"
#include "channels/literal_clusters.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/distmap_test_support.hpp"
#include "support/loaded_structure.hpp"
#include "input/atom_reader.hpp"
#include "input/structure_report.hpp"

namespace porvane::test {

// A grid of counts n whose point (i, j, k) holds dist(i, j, k).
inline grid_store make_grid(const std::array<int32_t, 3>& n,
                            const std::function<float(int32_t, int32_t, int32_t)>& dist) {
  grid_store g;
  g.resize(n[0], n[1], n[2]);
  literal::for_points(g, [&](int32_t i, int32_t j, int32_t k, std::size_t p) { g.dist[p] = dist(i, j, k); });
  return g;
}

// A periodic field (plane n repeats plane 0) of tubes along the axes and
// along diagonals, and blobs, with a little noise: clusters that wrap across
// faces, cross the cell straight and obliquely, and pockets. With `rough`
// the noise is strong and differs on the planes n, so that many small
// clusters of equal size appear and pipes may fail to meet themselves.
inline grid_store random_field(const std::array<int32_t, 3>& n, std::mt19937& rng, int shapes, bool rough = false) {
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  struct shape {
    float c[3], dir[3], r;
    bool tube;
  };
  const float directions[][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, -1, 0}, {1, 0, 1},
                                 {0, 1, 1}, {1, 1, 1}, {2, 1, 0}, {1, 0, -2}};
  std::vector<shape> list;
  for (int s = 0; s < shapes; ++s) {
    shape sh{};
    for (int a = 0; a < 3; ++a) sh.c[a] = u(rng) * static_cast<float>(n[a]);
    const auto& d = directions[static_cast<std::size_t>(u(rng) * 10) % 10];
    const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    for (int a = 0; a < 3; ++a) sh.dir[a] = d[a] / len;
    sh.r = 0.8f + 2.2f * u(rng);
    sh.tube = u(rng) < 0.7f;
    list.push_back(sh);
  }
  const float noise = rough ? 2.0f : 0.3f;
  return make_grid(n, [&](int32_t i, int32_t j, int32_t k) {
    const int32_t g[3] = {n[0] ? i % n[0] : 0, n[1] ? j % n[1] : 0, n[2] ? k % n[2] : 0};
    float best = -2.0f;
    for (const shape& sh : list) {
      for (int image = 0; image < 27; ++image) {  // the nearest periodic image of the point
        float x[3], along = 0.0f, d2 = 0.0f;
        for (int a = 0; a < 3; ++a) {
          const int shift = (a == 0 ? image / 9 : a == 1 ? image / 3 % 3 : image % 3) - 1;
          x[a] = static_cast<float>(g[a] + shift * n[a]) - sh.c[a];
          along += x[a] * sh.dir[a];
        }
        for (int a = 0; a < 3; ++a) {
          const float e = sh.tube ? x[a] - along * sh.dir[a] : x[a];
          d2 += e * e;
        }
        best = std::max(best, sh.r - std::sqrt(d2));
      }
    }
    const int32_t own[3] = {i, j, k};
    const int32_t* h = rough ? own : g;
    const uint32_t hash = static_cast<uint32_t>(h[0] * 73856093) ^ static_cast<uint32_t>(h[1] * 19349663) ^
                          static_cast<uint32_t>(h[2] * 83492791);
    return best + noise * static_cast<float>(hash % 1000) / 1000.0f;
  });
}

// Everything one analysis leaves behind.
struct outcome {
  std::string text;
  std::vector<int32_t> labels;
  cluster_table chinfo;
  cluster_counts counts;
  channel_results results;
  int32_t nclust = 0;
};

inline analysis_setup setup_for(const grid_store& g, const crystal_record& celli, float gridsize) {
  analysis_setup s;
  for (int c = 0; c < 3; ++c) s.grid.n[c] = g.n[c];
  s.grid.frame = &celli;
  s.grid.gridsize = gridsize;
  s.facearea = celli.facearea;
  s.basename = "test";
  return s;
}

// The fast analysis at one cutoff on points loaded from g (kept loaded
// across calls, so that rising cutoffs filter the previous set).
inline outcome run_fast(channel_points& points, grid_store g, const crystal_record& celli,
                        const run_flags& flags, const run_params& params, float cutoff) {
  outcome o;
  centre_line_files files;
  o.text = quiet([&] {
    find_clusters(flags, params, cutoff, points, o.chinfo, o.nclust);
    const analysis_setup s = setup_for(g, celli, params.gridsize);
    cluster_slices geometry(points, s.grid);
    analyze_clusters(flags, params, cutoff, s, geometry, o.chinfo, o.nclust, o.counts, o.results, files);
  });
  points.store_labels(g);
  o.labels = g.clust;
  return o;
}

inline outcome run_literal(grid_store g, const crystal_record& celli, const run_flags& flags,
                           const run_params& params, float cutoff) {
  outcome o;
  centre_line_files files;
  o.text = quiet([&] {
    literal::find_clusters(flags, params, cutoff, g, o.chinfo, o.nclust);
    const analysis_setup s = setup_for(g, celli, params.gridsize);
    literal::geometry geometry(g, s.grid);
    analyze_clusters(flags, params, cutoff, s, geometry, o.chinfo, o.nclust, o.counts, o.results, files);
  });
  o.labels = g.clust;
  return o;
}

inline std::vector<uint32_t> bits(const float* v, std::size_t n) {
  std::vector<uint32_t> out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = std::bit_cast<uint32_t>(v[i]);
  return out;
}
inline std::vector<uint32_t> bits(const std::vector<float>& v) { return bits(v.data(), v.size()); }

// Fields of one cluster record, bit for bit.
inline std::vector<uint32_t> record_bits(const cluster_record& r) {
  std::vector<uint32_t> out = bits(&r.avgdist, 1);
  for (float f : {r.sddist, r.maxdist}) out.push_back(std::bit_cast<uint32_t>(f));
  out.push_back(static_cast<uint32_t>(r.npts));
  for (int32_t f : r.facetouch) out.push_back(static_cast<uint32_t>(f));
  for (int32_t f : r.spans) out.push_back(static_cast<uint32_t>(f));
  for (const auto& row : r.contour) for (float f : row) out.push_back(std::bit_cast<uint32_t>(f));
  for (const cluster_axis_block& b : r.axis) {
    for (const auto* v : {&b.slicecount, &b.slicemax, &b.sliceavg}) {
      const auto vb = bits(*v);
      out.insert(out.end(), vb.begin(), vb.end());
    }
    for (const auto* v : {&b.avercentre, &b.deeppoint})
      for (const auto& x : *v) for (float f : x) out.push_back(std::bit_cast<uint32_t>(f));
    for (float f : {b.slicemaxhi, b.slicemaxlo, b.slicecounthi, b.slicecountlo, b.tortdeep, b.tortarea,
                    b.wvdeep, b.wvarea})
      out.push_back(std::bit_cast<uint32_t>(f));
  }
  return out;
}

inline std::vector<uint32_t> results_bits(const channel_results& r) {
  std::vector<uint32_t> out = bits(&r.btensor[0][0], 9);
  for (float f : {r.maxrad3d, r.maxrad2d, r.maxrad1d, r.projarea[0], r.projarea[1], r.projarea[2],
                  r.projradius[0], r.projradius[1], r.projradius[2]})
    out.push_back(std::bit_cast<uint32_t>(f));
  for (char c : r.dir1d.c) out.push_back(static_cast<uint32_t>(c));
  return out;
}

inline void expect_same(const outcome& fast, const outcome& lit, const std::string& what) {
  EXPECT_EQ(fast.text, lit.text) << what;
  EXPECT_EQ(fast.nclust, lit.nclust) << what;
  EXPECT_TRUE(fast.labels == lit.labels) << what << ": labels differ";
  ASSERT_EQ(fast.chinfo.size(), lit.chinfo.size()) << what;
  for (std::size_t k = 1; k < fast.chinfo.size(); ++k) {
    const cluster_record &a = fast.chinfo[k], &b = lit.chinfo[k];
    EXPECT_EQ(record_bits(a), record_bits(b)) << what << ": cluster " << k;
    EXPECT_EQ(a.clustype.view(), b.clustype.view()) << what << ": cluster " << k;
    EXPECT_EQ(a.facepattern.view(), b.facepattern.view()) << what << ": cluster " << k;
    EXPECT_EQ(a.spanpattern.view(), b.spanpattern.view()) << what << ": cluster " << k;
  }
  const cluster_counts &c = fast.counts, &d = lit.counts;
  EXPECT_EQ(std::vector<int32_t>({c.ntotal, c.npocketpts, c.npipepts, c.npipes, c.npockets}),
            std::vector<int32_t>({d.ntotal, d.npocketpts, d.npipepts, d.npipes, d.npockets}))
      << what;
  EXPECT_EQ(bits(&c.avgtort, 1), bits(&d.avgtort, 1)) << what;
  EXPECT_EQ(bits(&c.avgwv, 1), bits(&d.avgwv, 1)) << what;
  EXPECT_EQ(results_bits(fast.results), results_bits(lit.results)) << what;
}

// A real structure read as a run reads it, with its distance map on the grid
// of `gridsize`.
struct real_map {
  std::unique_ptr<crystal_record> celli;
  atom_store atoms;
  run_params params;
  grid_store gridi;
};

inline std::unique_ptr<real_map> load_real_map(const std::string& pdb, float gridsize, run_flags flags = {},
                                               const run_params& params = {}) {
  auto s = testing::load_structure(pdb, flags, params, [](auto&& f) { quiet(f); });
  auto m = std::make_unique<real_map>();
  m->celli = std::move(s->celli);
  m->atoms = std::move(s->atoms);
  m->params = s->params;
  m->params.gridsize = gridsize;
  int32_t gridmax[3], moved = 0;
  set_gridmax(m->params, *m->celli, gridmax);
  coord_range range;
  fill_grid_positions(m->params, *m->celli, gridmax, m->gridi, range);
  const auto copies = collect_atom_copies(s->flags, *m->celli, m->atoms, false, moved);
  distance_map_fast(*m->celli, copies, m->gridi);
  return m;
}

}  // namespace porvane::test
