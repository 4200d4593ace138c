// The Reeb-graph stage end to end on synthetic grids: report lines and
// script text (one case checked by hand line by line), colours, trimming,
// centring, directions without nodes, overflowing report fields. The cutoff
// rule, the rerun and PyMOL: reeb_real_runs_test.cpp; the stop on an
// existing script: the stops table.
#include <gtest/gtest.h>

#include "common/run_stop.hpp"
#include "reeb_test_support.hpp"

namespace porvane {
namespace {

using test::labels_at;
using test::run_stage;
using testing::read_file;

const std::string data = std::string(PORVANE_TEST_DATA) + "/reeb/";
const cell_frame cube = test::make_frame(10, 10, 10, 90, 90, 90);
const run_flags verbose = [] {
  run_flags f;
  f.vb = 2;
  return f;
}();

// A channel along a in a 10 Å cube at grid 2 Å (points 0..5, positions
// 2·index): slices i = 0..5 hold a 3×3 block, the same, a 2×2 block and a
// lone point, two points, two points, a 2×2 block; one point of cluster 2.
const grid_store tube = test::empty_grid(5, 5, 5);
std::vector<int32_t> tube_labels() {
  std::vector<std::array<int32_t, 3>> pts = {{2, 4, 0}, {3, 1, 1}, {3, 4, 4}, {4, 1, 1}, {4, 4, 4}};
  for (int32_t i = 0; i <= 5; ++i)
    for (int32_t j = 1; j <= 3; ++j)
      for (int32_t k = 1; k <= 3; ++k)
        if (i <= 1 || ((i == 2 || i == 5) && j <= 2 && k <= 2)) pts.push_back({i, j, k});
  std::vector<int32_t> clust = labels_at(tube, pts);
  clust[tube.index(0, 0, 5)] = 2;
  return clust;
}

run_params reeb_params(int32_t dir, float cutoff, int32_t trim = 1, int32_t cluster = 1) {
  run_params p;
  p.gridsize = 2.0f;
  p.reebdir = dir, p.reebcutoff = cutoff, p.trimlevel = trim, p.clusternum = cluster;
  return p;
}

TEST(ReebStageEndToEnd, HandCheckedTube) {
  const test::stage_result r = run_stage(tube, tube_labels(), reeb_params(1, 1.5f), run_flags{}, cube);
  EXPECT_EQ(r.report, read_file(data + "tube_dir1.txt"));
  EXPECT_EQ(r.script, read_file(data + "tube_dir1_trim1.py"));
  EXPECT_EQ(r.params.reebdir, 1);
  EXPECT_EQ(r.params.reebcutoff, 1.5f);

  // Trim 0 adds the lone point of slice 2; trim 2 also hides the interior
  // dead ends (6, 8, 8) and (8, 8, 8) and the edge between them (6 lines);
  // trim 3 shows nothing.
  std::string all = read_file(data + "tube_dir1_trim1.py");
  all.insert(all.find("SPHERE,    6.00,    2.00"), "SPHERE,    4.00,    8.00,    0.00,0.5,\n");
  EXPECT_EQ(run_stage(tube, tube_labels(), reeb_params(1, 1.5f, 0), run_flags{}, cube).script, all);
  for (int32_t trim : {2, 3}) {
    const std::string s = run_stage(tube, tube_labels(), reeb_params(1, 1.5f, trim), run_flags{}, cube).script;
    EXPECT_EQ(s.find("    8.00,    8.00"), std::string::npos) << trim;
    EXPECT_EQ(s.find("    6.00,    8.00"), std::string::npos) << trim;
    EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), trim == 2 ? 42 - 6 : 10) << s;
  }
}

// Edge m joins slices 2m and 2m+1 (direction 3) through a row of size_m
// columns at j = m; f = (max - size) / (max - min) in single precision:
// red below 0.5, green below 0.9, else blue.
TEST(ReebStageEndToEnd, EdgeColours) {
  const std::vector<std::pair<std::vector<int32_t>, std::string>> cases = {
      // f = 1.0, 0.9f (exactly: blue), 0.8, 0.5 (green), 0.4, 0.1, 0.0
      {{1, 2, 3, 6, 7, 10, 11}, "BBGGRRR"},
      {{5}, "B"},  // max = min: 0/0, blue
      {{4, 4, 4}, "BBB"},
      {{3, 1}, "RB"},
  };
  for (const auto& [sizes, expected] : cases) {
    const int32_t m = static_cast<int32_t>(sizes.size());
    const grid_store g = test::empty_grid(10, m, 2 * m - 1);
    std::vector<std::array<int32_t, 3>> pts;
    for (int32_t e = 0; e < m; ++e)
      for (int32_t i = 0; i < sizes[e]; ++i) pts.push_back({i, e, 2 * e}), pts.push_back({i, e, 2 * e + 1});
    const std::string s =
        run_stage(g, labels_at(g, pts), reeb_params(3, 1.0f, 0), run_flags{}, test::make_frame(20, 20, 40, 90, 90, 90)).script;
    std::string got;
    for (std::size_t at = s.find("COLOR, "); at != std::string::npos; at = s.find("COLOR, ", at + 1))
      got += s.compare(at, 19, "COLOR, 1.0,0.0,0.0,") == 0 ? 'R' : s.compare(at, 19, "COLOR, 0.0,1.0,0.0,") == 0 ? 'G' : 'B';
    EXPECT_EQ(got, expected) << m;
  }
  EXPECT_EQ(9.0f / 10.0f, 0.9f);
  EXPECT_LT(9.0f / 10.0f, 0.9);  // against a double 0.9 it would be green
}

TEST(ReebStage, TrimLevelsAndCentringShifts) {
  struct trim_case {
    int32_t nconn;
    float level;
    const char* shown;  // at trim levels 0, 1, 2, 3; the last slice is 7
  };
  const std::vector<trim_case> trims = {{0, 0.0f, "1000"}, {0, 3.0f, "1000"}, {1, 0.0f, "1110"}, {1, 7.0f, "1110"},
                                        {1, 3.0f, "1100"}, {1, 6.0f, "1100"}, {2, 3.0f, "1110"}, {5, 0.0f, "1110"}};
  for (const trim_case& t : trims)
    for (int32_t level = 0; level <= 3; ++level) {
      reeb_node n;
      n.nconn = t.nconn, n.level = t.level;
      EXPECT_EQ(node_shown(n, level, 7), t.shown[level] == '1') << t.nconn << " " << t.level << " " << level;
    }
  const std::vector<std::pair<float, int32_t>> shifts = {{0.3f, 0},    {1.7f, -1}, {-0.2f, 1}, {-1.0f, 2}, {0.0f, 0},
                                                         {0.9999f, 0}, {1.0f, -1}, {2.0f, -2}, {-0.5f, 1}, {-1.5f, 2}};
  for (const auto& [t, shift] : shifts) EXPECT_EQ(centring_shift(t), shift) << t;
}

// Two nodes in the plane i = 5, at (10, 2, 3) and (10, 4, 4): the centre
// lies at fractional a = 1.0, so the graph moves by -a, to x = 0.
TEST(ReebStageEndToEnd, CentringMovesTheGraph) {
  const test::stage_result r =
      run_stage(tube, labels_at(tube, {{5, 1, 1}, {5, 1, 2}, {5, 2, 2}}), reeb_params(2, 1.0f, 0), verbose, cube);
  EXPECT_NE(r.report.find(free_format_text({"Average fractional coordinate for reebgraph: ", 1.0f, 0.3f, 0.35f, int32_t(1),
                                            int32_t(0), int32_t(0)}) +
                          "\n" + free_format_text({"Translating by ", int32_t(-1), int32_t(0), int32_t(0)})),
            std::string::npos)
      << r.report;
  EXPECT_NE(r.script.find("SPHERE,    0.00,    2.00,    3.00,0.5,\nSPHERE,    0.00,    4.00,    4.00,0.5,\n"),
            std::string::npos)
      << r.script;
}

// A frame that places the centre of the graph but not its node once moved
// by a whole cell: the one point, in the plane i = 5 (a = 10/9), lies at
// 1.12e37 * (10/9 - 31), the centre's a of 10/9 moves it by -1 to
// 1.12e37 * (1/9 - 31), beyond single precision. No whole run reaches this
// past the header's check of the lengths across the cell; the stage still
// refuses it.
TEST(ReebStageEndToEnd, NodesMovedBeyondSinglePrecision) {
  cell_frame frame = test::make_frame(9, 10, 10, 90, 90, 90);
  frame.fracmat[0][0] = 1.0f / 1.12e37f, frame.orthmat[0][0] = 1.12e37f, frame.fracshift[0] = 31.0f;
  try {
    run_stage(tube, labels_at(tube, {{5, 1, 1}}), reeb_params(1, 1.0f, 0), run_flags{}, frame);
    ADD_FAILURE() << "the graph was drawn";
  } catch (const run_stop& stop) {
    EXPECT_EQ(stop.status, library_fatal);
    EXPECT_EQ(stop.message, "Reeb graph along direction 1: its node positions are not finite numbers; the scale "
                            "matrix of the header does not give a usable frame");
  }
}

// Positions past the f8.2 field (the tube at 40000 Å spacing, its cell shifted
// by half an edge along a) are written whole with two decimals: PyMOL runs it.
TEST(ReebStageEndToEnd, WidePositionsWrittenWhole) {
  run_params p = reeb_params(1, 1.5f, 0);
  p.gridsize = 40000.0f;
  const test::stage_result r =
      run_stage(tube, tube_labels(), p, run_flags{}, test::make_frame(99999, 99999, 99999, 90, 90, 90, {0.5f, 0, 0}));
  EXPECT_NE(r.script.find("\nSPHERE,-69998.51,160000.03,    0.00,0.5,\n"), std::string::npos) << r.script;
  EXPECT_EQ(test::check_in_pymol(r.script).status, 0) << r.script;
}

// No point of the chosen cluster: nothing to centre, the centre shows as 0
// with no shift, the minimum edge size overflows its field, the lists are
// empty. More than 999 nodes, and cluster number 1000, print as ***.
TEST(ReebStageEndToEnd, EmptyAndWideGraphs) {
  const test::stage_result r = run_stage(tube, tube_labels(), reeb_params(4, 1.0f, 1, 5), verbose, cube);
  const std::string empty =
      free_format_text({"Average fractional coordinate for reebgraph: ", 0.0f, 0.0f, 0.0f, int32_t(0), int32_t(0), int32_t(0)}) +
      "\n" + free_format_text({"Translating by ", int32_t(0), int32_t(0), int32_t(0)}) + "\n" +
      "    The channel structure of cluster   5 can be represented by   0 nodes and    0 edges.\n"
      "    Edge size min: ****  Edge size max:    0\n";
  std::string expected = "from pymol.cgo import *\nfrom pymol import cmd\n";
  for (const std::string d : {"1", "2", "3"}) {
    EXPECT_NE(r.report.find(free_format_text({"Finding edges along level", int32_t(4), " along axis number ", std::stoi(d)}) +
                            "\n" + empty),
              std::string::npos)
        << r.report;
    expected += "nodes" + d + " = [\n]\nedges" + d + " = [\nLINEWIDTH,1.0,\nBEGIN,LINES,\n]\nreebgraph" + d + " = nodes" + d +
                " + edges" + d + "\ncmd.load_cgo(reebgraph" + d + ",'reebgraph'," + d + ")\n";
  }
  EXPECT_EQ(r.script, expected);

  const grid_store g = test::empty_grid(70, 70, 0);
  std::vector<std::array<int32_t, 3>> pts;
  for (int32_t i = 0; i <= 70; i += 2)
    for (int32_t j = 0; j <= 70; j += 2) pts.push_back({i, j, 0});
  const test::stage_result wide = run_stage(g, labels_at(g, pts, 1000), reeb_params(3, 1.0f, 0, 1000), run_flags{},
                                            test::make_frame(140, 140, 2, 90, 90, 90));
  EXPECT_NE(wide.report.find("    The channel structure of cluster *** can be represented by *** nodes and    0 edges.\n"),
            std::string::npos)
      << wide.report;
  EXPECT_EQ(wide.graph.along(3).nnodes(), 36 * 36);
}

}  // namespace
}  // namespace porvane
