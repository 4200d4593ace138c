// Scripts of the stage run in PyMOL (Debian's python3-pymol, no window): the
// object 'reebgraph' must hold one state per direction built with as many
// spheres and line vertices as the trimmed graph has shown nodes and drawn
// edges. The checker reads the CGO back from PyMOL.
#include <gtest/gtest.h>

#include "reeb_test_support.hpp"

namespace porvane {
namespace {

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
    const auto [run, spheres, lines] = test::check_in_pymol(r.script, r.graph, c.dir == 4 ? "123" : std::to_string(c.dir));
    EXPECT_EQ(spheres + lines > 0, c.cluster != 7) << c.what;
    EXPECT_EQ(run.status, 0) << c.what << "\n" << run.out << run.err;
  }
}

}  // namespace
}  // namespace porvane
