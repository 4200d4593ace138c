// Grids for the channel tests (random and constructed), one analysis by the
// fast and by the literal procedures, and their comparison bit for bit.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "channels/analyze_clusters.hpp"
#include "channels/channel_stages.hpp"
#include "channels/cluster_slices.hpp"
#include "channels/find_clusters.hpp"
#include "channels/literal_clusters.hpp"
#include "distmap/distmap_test_support.hpp"
#include "support/bit_list.hpp"
#include "support/loaded_structure.hpp"

namespace porvane::test {

using testing::captured_report;

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
  const float directions[][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, -1, 0}, {1, 0, 1},
                                 {0, 1, 1}, {1, 1, 1}, {2, 1, 0}, {1, 0, -2}};
  struct shape {
    float c[3], dir[3], r;
    bool tube;
  };
  std::vector<shape> list(static_cast<std::size_t>(shapes));
  for (shape& sh : list) {
    for (int a = 0; a < 3; ++a) sh.c[a] = u(rng) * static_cast<float>(n[a]);
    const auto& d = directions[static_cast<std::size_t>(u(rng) * 10) % 10];
    const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    for (int a = 0; a < 3; ++a) sh.dir[a] = d[a] / len;
    sh.r = 0.8f + 2.2f * u(rng);
    sh.tube = u(rng) < 0.7f;
  }
  return make_grid(n, [&](int32_t i, int32_t j, int32_t k) {
    const int32_t g[3] = {n[0] ? i % n[0] : 0, n[1] ? j % n[1] : 0, n[2] ? k % n[2] : 0}, own[3] = {i, j, k};
    float best = -2.0f;
    for (const shape& sh : list)
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
    const int32_t* h = rough ? own : g;
    const uint32_t hash = static_cast<uint32_t>(h[0] * 73856093) ^ static_cast<uint32_t>(h[1] * 19349663) ^
                          static_cast<uint32_t>(h[2] * 83492791);
    return best + (rough ? 2.0f : 0.3f) * static_cast<float>(hash % 1000) / 1000.0f;
  });
}

inline analysis_setup setup_for(const grid_store& g, const crystal_record& celli, float gridsize) {
  analysis_setup s;
  for (int c = 0; c < 3; ++c) s.grid.n[c] = g.n[c];
  s.grid.frame = &celli;
  s.grid.gridsize = gridsize;
  s.facearea = celli.facearea;
  s.basename = "test";
  return s;
}

}  // namespace porvane::test

namespace porvane::literal {

// The analysis at one cutoff by the literal labelling and geometry.
inline void analysis(const run_flags& flags, const run_params& params, const crystal_record& celli, grid_store& g,
                     float cutoff, channel_context& chan) {
  find_clusters(flags, params, cutoff, g, chan.chinfo, chan.nclust);
  const analysis_setup s = test::setup_for(g, celli, params.gridsize);
  geometry shapes(g, s.grid);
  analyze_clusters(flags, params, cutoff, s, shapes, chan.chinfo, chan.nclust, chan.counts, chan.results, chan.files);
}

}  // namespace porvane::literal

namespace porvane::test {

// What one analysis leaves behind.
struct outcome {
  std::string text;
  std::vector<int32_t> labels;
  channel_context chan;
};

// The fast analysis at one cutoff on points loaded from g (kept loaded
// across calls, so that rising cutoffs filter the previous set).
inline outcome run_fast(channel_points& points, grid_store g, const crystal_record& celli,
                        const run_flags& flags, const run_params& params, float cutoff) {
  outcome o;
  channel_context& c = o.chan;
  o.text = captured_report([&] {
    find_clusters(flags, params, cutoff, points, c.chinfo, c.nclust);
    const analysis_setup s = setup_for(g, celli, params.gridsize);
    cluster_slices geometry(points, s.grid);
    analyze_clusters(flags, params, cutoff, s, geometry, c.chinfo, c.nclust, c.counts, c.results, c.files);
  });
  points.store_labels(g);
  o.labels = g.clust;
  return o;
}

inline outcome run_literal(grid_store g, const crystal_record& celli, const run_flags& flags,
                           const run_params& params, float cutoff) {
  outcome o;
  o.text = captured_report([&] { literal::analysis(flags, params, celli, g, cutoff, o.chan); });
  o.labels = g.clust;
  return o;
}

using testing::bit_list;

// Every field of a cluster record, bit for bit.
inline bit_list record_bits(const cluster_record& r) {
  bit_list b;
  for (float f : {r.avgdist, r.sddist, r.maxdist}) b.add(f);
  b.add(r.npts), b.add(r.facetouch), b.add(r.spans), b.add(r.contour);
  for (const cluster_axis_block& x : r.axis) {
    b.add(x.slicecount), b.add(x.slicemax), b.add(x.sliceavg), b.add(x.avercentre), b.add(x.deeppoint);
    for (float f : {x.slicemaxhi, x.slicemaxlo, x.slicecounthi, x.slicecountlo, x.tortdeep, x.tortarea, x.wvdeep,
                    x.wvarea})
      b.add(f);
  }
  return b;
}

inline void expect_same(const outcome& fast, const outcome& lit, const std::string& what) {
  const channel_context &f = fast.chan, &l = lit.chan;
  EXPECT_EQ(fast.text, lit.text) << what;
  EXPECT_EQ(f.nclust, l.nclust) << what;
  EXPECT_TRUE(fast.labels == lit.labels) << what << ": labels differ";
  ASSERT_EQ(f.chinfo.size(), l.chinfo.size()) << what;
  for (std::size_t k = 1; k < f.chinfo.size(); ++k) {
    const cluster_record &a = f.chinfo[k], &b = l.chinfo[k];
    EXPECT_EQ(record_bits(a), record_bits(b)) << what << ": cluster " << k;
    const auto patterns = [](const cluster_record& r) {
      return std::string(r.clustype.view()) + "," + std::string(r.facepattern.view()) + "," +
             std::string(r.spanpattern.view());
    };
    EXPECT_EQ(patterns(a), patterns(b))
        << what << ": cluster " << k;
  }
  const auto counts = [](const channel_context& c) {
    const cluster_counts& n = c.counts;
    const channel_results& r = c.results;
    bit_list b;
    for (int32_t i : {n.ntotal, n.npocketpts, n.npipepts, n.npipes, n.npockets}) b.add(i);
    for (float x : {n.avgtort, n.avgwv, r.maxrad3d, r.maxrad2d, r.maxrad1d}) b.add(x);
    b.add(r.btensor), b.add(r.projarea), b.add(r.projradius);
    return std::make_pair(b, std::string(r.dir1d.view()));
  };
  EXPECT_EQ(counts(f), counts(l)) << what;
}

}  // namespace porvane::test
