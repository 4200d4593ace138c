// Cells, synthetic grids and stage runs for the Reeb-graph tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "common/cell_frame.hpp"
#include "distmap/distmap_test_support.hpp"
#include "common/grid_store.hpp"
#include "reeb/reeb_stage.hpp"
#include "support/captured_report.hpp"
#include "support/run_program.hpp"

namespace porvane::test {

// The frame of a crystal of that cell, with a fractional offset.
inline cell_frame make_frame(double a, double b, double c, double al, double be, double ga,
                             std::array<float, 3> shift = {0, 0, 0}) {
  return *make_crystal({a, b, c, al, be, ga}, "P 1", {}, {shift[0], shift[1], shift[2]});
}

// A grid of counts n with every label -1 and stale patch labels 77.
inline grid_store empty_grid(int32_t nx, int32_t ny, int32_t nz) {
  grid_store g;
  g.resize(nx, ny, nz);
  std::fill(g.clust.begin(), g.clust.end(), -1);
  std::fill(g.patch.begin(), g.patch.end(), 77);
  return g;
}

// Labels of grid g: `label` at the listed points, -1 elsewhere.
inline std::vector<int32_t> labels_at(const grid_store& g, const std::vector<std::array<int32_t, 3>>& points,
                                      int32_t label = 1) {
  std::vector<int32_t> clust(g.points(), -1);
  for (const auto& p : points) clust[g.index(p[0], p[1], p[2])] = label;
  return clust;
}

// What one run of the stage left: its report and script, the graph and the
// settings after it.
struct stage_result {
  std::string report, script;
  reeb_graph graph;
  run_params params;
};

// Runs the stage in a fresh directory on a copy of `grid`. The stand-in
// cluster analysis writes `labels` into gridi.clust and prints one line
// with the cutoff.
inline stage_result run_stage(const grid_store& grid, const std::vector<int32_t>& labels, const run_params& params,
                              const run_flags& flags, const cell_frame& frame) {
  namespace fs = std::filesystem;
  stage_result res;
  res.params = params;
  grid_store g = grid;
  const fs::path dir = testing::fresh_directory("reeb_stage"), home = fs::current_path();
  fs::current_path(dir);
  struct back_home {  // also when the stage stops the run
    fs::path home, dir;
    ~back_home() { fs::current_path(home), fs::remove_all(dir); }
  } guard{home, dir};
  res.report = testing::captured_report([&] {
    reeb_graph_stage(res.params, flags, frame, g, 0.0f, res.graph, [&](float cutoff) {
      g.clust = labels;
      report().free("stand-in cluster analysis at", cutoff);
    });
  });
  res.script = testing::read_file(dir / "reeb_graph.py");
  return res;
}

// Runs `script` in PyMOL (tests/reeb/check_reeb_script.py) in a fresh
// directory: one state per direction it loads, with a sphere per node and
// two line vertices per edge it lists.
inline testing::program_result check_in_pymol(const std::string& script) {
  namespace fs = std::filesystem;
  const fs::path dir = testing::fresh_directory("reeb_pymol");
  std::ofstream(dir / "reeb_graph.py", std::ios::binary) << script;
  testing::program_result run = testing::run_program(
      "/usr/bin/python3", {std::string(PORVANE_TEST_DATA) + "/../reeb/check_reeb_script.py", "reeb_graph.py"}, dir);
  if (run.status == 127) run.err += "\n(is python3-pymol installed? scripts/setup.sh installs it)";
  fs::remove_all(dir);
  return run;
}

}  // namespace porvane::test
