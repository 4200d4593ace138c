// Cells, synthetic grids and stage runs for the Reeb-graph tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"
#include "common/run_stop.hpp"
#include "reeb/reeb_stage.hpp"
#include "support/captured_report.hpp"
#include "support/run_program.hpp"

namespace porvane::test {

// A cell with a along x and b in the xy plane; the matrices in double,
// rounded, with a fractional offset.
inline cell_frame make_frame(double a, double b, double c, double al, double be, double ga,
                             std::array<float, 3> shift = {0, 0, 0}) {
  const double rad = std::acos(-1.0) / 180.0, ca = std::cos(al * rad), cb = std::cos(be * rad),
               cg = std::cos(ga * rad), sg = std::sin(ga * rad);
  const double o12 = c * (ca - cb * cg) / sg, o22 = c * std::sqrt(1 - cb * cb - (ca - cb * cg) * (ca - cb * cg) / (sg * sg));
  const double o[3][3] = {{a, b * cg, c * cb}, {0, b * sg, o12}, {0, 0, o22}};
  const double s[3][3] = {{1 / a, -cg / (a * sg), (o[0][1] * o12 - o[0][2] * o[1][1]) / (a * o[1][1] * o22)},
                          {0, 1 / o[1][1], -o12 / (o[1][1] * o22)},
                          {0, 0, 1 / o22}};
  cell_frame f;
  const double cell[6] = {a, b, c, al, be, ga};
  for (int i = 0; i < 6; ++i) f.cell[i] = static_cast<float>(cell[i]);
  for (int r = 0; r < 3; ++r) {
    f.fracshift[r] = shift[r];
    for (int q = 0; q < 3; ++q) f.orthmat[r][q] = static_cast<float>(o[r][q]), f.fracmat[r][q] = static_cast<float>(s[r][q]);
  }
  return f;
}

// A grid of counts n with every label -1 and stale patch labels 77.
inline grid_store empty_grid(int32_t nx, int32_t ny, int32_t nz) {
  grid_store g;
  g.resize(nx, ny, nz);
  std::fill(g.clust.begin(), g.clust.end(), -1);
  std::fill(g.patch.begin(), g.patch.end(), 77);
  return g;
}

// Random cluster labels 1..nlabels: single points at density `sprinkle`,
// then blobs grown by random walks.
inline void random_channels(grid_store& g, std::mt19937& rng, int nwalks, int steps, int nlabels, double sprinkle) {
  std::uniform_real_distribution<double> u(0, 1);
  std::uniform_int_distribution<int> label(1, nlabels), dir(0, 5);
  for (std::size_t p = 0; p < g.points(); ++p)
    if (u(rng) < sprinkle) g.clust[p] = label(rng);
  for (int w = 0; w < nwalks; ++w) {
    int32_t at[3], l = label(rng);
    for (int c = 0; c < 3; ++c) at[c] = std::uniform_int_distribution<int32_t>(0, g.n[c])(rng);
    for (int s = 0; s < steps; ++s) {
      g.clust[g.index(at[0], at[1], at[2])] = l;
      const int m = dir(rng);
      at[m % 3] = std::clamp(at[m % 3] + (m < 3 ? 1 : -1), 0, g.n[m % 3]);
    }
  }
}

// Labels of grid g: `label` at the listed points, -1 elsewhere.
inline std::vector<int32_t> labels_at(const grid_store& g, const std::vector<std::array<int32_t, 3>>& points,
                                      int32_t label = 1) {
  std::vector<int32_t> clust(g.points(), -1);
  for (const auto& p : points) clust[g.index(p[0], p[1], p[2])] = label;
  return clust;
}

// What one run of the stage left: its stop, report and script, the cutoffs
// the cluster analysis was asked for, the graph and the settings after it.
struct stage_result {
  int status = 0;
  std::string message, report, script;  // script: empty when there is none
  std::vector<float> cutoffs;
  reeb_graph graph;
  run_params params;
};

// Runs the stage in a fresh directory (holding `existing` as reeb_graph.py
// when given) on a copy of `grid`. The stand-in cluster analysis writes
// `labels` into gridi.clust and prints one line with the cutoff.
inline stage_result run_stage(const grid_store& grid, const std::vector<int32_t>& labels, const run_params& params,
                              const run_flags& flags, const cell_frame& frame, float maxrad3d = 0.0f,
                              const std::string& existing = "") {
  namespace fs = std::filesystem;
  stage_result res;
  res.params = params;
  grid_store g = grid;
  const fs::path dir = testing::fresh_directory("reeb_stage"), home = fs::current_path();
  if (!existing.empty()) std::ofstream(dir / "reeb_graph.py") << existing;
  fs::current_path(dir);
  res.report = testing::captured_report([&] {
    try {
      reeb_graph_stage(res.params, flags, frame, g, maxrad3d, res.graph, [&](float cutoff) {
        res.cutoffs.push_back(cutoff);
        g.clust = labels;
        report().free("stand-in cluster analysis at", cutoff);
      });
    } catch (const run_stop& stop) {
      res.status = stop.status;
      res.message = stop.message;
    }
  });
  fs::current_path(home);
  if (fs::exists(dir / "reeb_graph.py")) res.script = testing::read_file(dir / "reeb_graph.py");
  fs::remove_all(dir);
  return res;
}

}  // namespace porvane::test
