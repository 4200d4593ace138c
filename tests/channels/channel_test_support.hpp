// Constructed grids for the channel tests and one analysis of them.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

#include "channels/analyze_clusters.hpp"
#include "channels/channel_stages.hpp"
#include "channels/cluster_slices.hpp"
#include "channels/find_clusters.hpp"
#include "distmap/distmap_test_support.hpp"

namespace porvane::test {

// A grid of counts n whose point (i, j, k) holds dist(i, j, k).
inline grid_store make_grid(const std::array<int32_t, 3>& n,
                            const std::function<float(int32_t, int32_t, int32_t)>& dist) {
  grid_store g;
  g.resize(n[0], n[1], n[2]);
  for (int32_t i = 0; i <= n[0]; ++i)
    for (int32_t j = 0; j <= n[1]; ++j)
      for (int32_t k = 0; k <= n[2]; ++k) g.dist[g.index(i, j, k)] = dist(i, j, k);
  return g;
}

// What one analysis at `cutoff` of the channel points of g prints and leaves.
struct outcome {
  std::string text;
  channel_context chan;
};

inline outcome analyse(const grid_store& g, const crystal_record& celli, const run_flags& flags,
                       const run_params& params, float cutoff) {
  channel_points points;
  points.load(g);
  outcome o;
  channel_context& c = o.chan;
  o.text = testing::captured_report([&] {
    find_clusters(flags, params, cutoff, points, c.chinfo, c.nclust);
    analysis_setup s;
    for (int a = 0; a < 3; ++a) s.grid.n[a] = g.n[a];
    s.grid.frame = &celli;
    s.grid.gridsize = params.gridsize;
    s.facearea = celli.facearea;
    s.basename = "test";
    cluster_slices geometry(points, s.grid);
    analyze_clusters(flags, params, cutoff, s, geometry, c.chinfo, c.nclust, c.counts, c.results, c.files);
  });
  return o;
}

}  // namespace porvane::test
