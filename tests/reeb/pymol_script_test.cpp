// Scripts of the stage run in PyMOL (Debian's python3-pymol, no window): the
// object 'reebgraph' must hold one state per direction built with as many
// spheres and line vertices as the trimmed graph has shown nodes and drawn
// edges. The checker reads the CGO back from PyMOL and also derives the
// counts from the run's verbose report.
#include <gtest/gtest.h>

#include <fstream>

#include "reeb_test_support.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;

const std::string checker = std::string(PORVANE_TEST_DATA) + "/../reeb/check_reeb_script.py";

struct pymol_case {
  const char* what;
  int32_t dir, trim, cluster;
  int nwalks;                  // random channels in a 24 × 20 × 28 grid; 0: the drawn tube
};

TEST(ReebPymolEndToEnd, ScriptsLoadWithTheExpectedCounts) {
  const std::vector<pymol_case> cases = {
      {"tube, all directions", 4, 1, 1, 0},  {"tube, direction 2 alone", 2, 1, 1, 0},
      {"tube, direction 3 alone", 3, 0, 1, 0}, {"no node anywhere", 4, 1, 7, 0},
      {"random channels, trim 2", 4, 2, 1, 12}, {"random channels, every cluster", 1, 1, 0, 20},
  };
  const cell_frame tube_frame = test::make_frame(10, 10, 10, 90, 90, 90);
  const cell_frame random_frame = test::make_frame(48, 40, 56, 80, 95, 105, {0.1f, 0.2f, -0.3f});
  std::mt19937 rng(7);
  for (const pymol_case& c : cases) {
    grid_store g = c.nwalks == 0 ? test::empty_grid(5, 5, 5) : test::empty_grid(24, 20, 28);
    std::vector<int32_t> labels(g.points(), -1);
    if (c.nwalks == 0) {
      for (int32_t i = 0; i <= 5; ++i)
        for (int32_t j = 1 + i % 2; j <= 3; ++j) labels[g.index(i, j, 2 + i / 3)] = 1, labels[g.index(i, 4, i % 4)] = 1;
    } else {
      test::random_channels(g, rng, c.nwalks, 300, 3, 0.02);
      labels = g.clust;
    }
    run_params params;
    params.gridsize = 2.0f;
    params.reebdir = c.dir;
    params.reebcutoff = 1.2f;
    params.trimlevel = c.trim;
    params.clusternum = c.cluster;
    run_flags flags;
    flags.vb = 2;
    const test::stage_result r = test::run_stage(g, labels, params, flags, c.nwalks == 0 ? tube_frame : random_frame);
    ASSERT_EQ(r.status, 0) << r.message;
    const fs::path dir = testing::fresh_directory("reeb_pymol");
    std::ofstream(dir / "reeb_graph.py", std::ios::binary) << r.script;
    std::ofstream(dir / "report.txt", std::ios::binary) << r.report;

    std::vector<std::string> args = {checker, "reeb_graph.py", "--trim", std::to_string(c.trim), "--report",
                                     "report.txt", "--expect"};
    int32_t drawn = 0;
    for (int32_t d = (c.dir == 4 ? 1 : c.dir); d <= (c.dir == 4 ? 3 : c.dir); ++d) {
      const reeb_direction& graph = r.graph.along(d);
      int32_t spheres = 0, lines = 0;
      for (const reeb_node& n : graph.nodes) spheres += n.shown;
      for (const reeb_edge& e : graph.edges) lines += graph.node(e.node1).shown && graph.node(e.node2).shown;
      args.push_back(std::to_string(d) + ":" + std::to_string(spheres) + ":" + std::to_string(2 * lines));
      drawn += spheres + lines;
    }
    EXPECT_EQ(drawn > 0, c.cluster != 7) << c.what;
    const testing::program_result run = testing::run_program("/usr/bin/python3", args, dir);
    EXPECT_EQ(run.status, 0) << c.what << "\n" << run.out << run.err
                             << (run.status == 127 ? "\n(is python3-pymol installed? scripts/setup.sh installs it)" : "");
    EXPECT_NE(run.out.find("reebgraph: state"), std::string::npos) << c.what << "\n" << run.out << run.err;
    fs::remove_all(dir);
  }
}

}  // namespace
}  // namespace porvane
