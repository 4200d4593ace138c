// The Reeb-graph stage end to end on synthetic grids: report lines and
// script text (one case checked by hand line by line), the order of the
// cluster rerun, colours, trimming, centring, a direction without nodes,
// overflowing report fields and the stop on an existing script.
#include <gtest/gtest.h>

#include <fstream>

#include "reeb_test_support.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using test::labels_at;
using test::run_stage;
using testing::read_file;

const std::string data = std::string(PORVANE_TEST_DATA) + "/reeb/";

// A channel along a in a 10 Å cube at grid 2 Å (points 0..5, positions
// 2·index): slices i = 0..5 hold a 3×3 block, the same, a 2×2 block and a
// lone point, two points, two points, a 2×2 block; plus one point of
// cluster 2.
grid_store tube_grid() { return test::empty_grid(5, 5, 5); }
std::vector<int32_t> tube_labels(const grid_store& g) {
  std::vector<std::array<int32_t, 3>> pts;
  for (int32_t i = 0; i <= 1; ++i)
    for (int32_t j = 1; j <= 3; ++j)
      for (int32_t k = 1; k <= 3; ++k) pts.push_back({i, j, k});
  for (int32_t i : {2, 5})
    for (int32_t j = 1; j <= 2; ++j)
      for (int32_t k = 1; k <= 2; ++k) pts.push_back({i, j, k});
  for (const std::array<int32_t, 3> p : {std::array<int32_t, 3>{2, 4, 0}, {3, 1, 1}, {3, 4, 4}, {4, 1, 1}, {4, 4, 4}})
    pts.push_back(p);
  std::vector<int32_t> clust = labels_at(g, pts);
  clust[g.index(0, 0, 5)] = 2;
  return clust;
}
const cell_frame cube = test::make_frame(10, 10, 10, 90, 90, 90);
const run_flags verbose = [] {
  run_flags f;
  f.vb = 2;
  return f;
}();

run_params reeb_params(int32_t dir, float cutoff, int32_t trim = 1, int32_t cluster = 1) {
  run_params p;
  p.gridsize = 2.0f;
  p.reebdir = dir;
  p.reebcutoff = cutoff;
  p.trimlevel = trim;
  p.clusternum = cluster;
  return p;
}

// The script lines between "edges<d> = [" and its "]" that set a colour.
std::vector<std::string> colours(const std::string& script) {
  std::vector<std::string> out;
  std::istringstream in(script);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("COLOR", 0) == 0) out.push_back(line == "COLOR, 1.0,0.0,0.0," ? "red" : line == "COLOR, 0.0,1.0,0.0," ? "green" : "blue");
  return out;
}

TEST(ReebStageEndToEnd, HandCheckedTube) {
  const fs::path dir = testing::fresh_directory("reeb_tube");
  const grid_store g = tube_grid();
  const test::stage_result r = run_stage(dir, g, tube_labels(g), reeb_params(1, 1.5f), run_flags{}, cube);
  EXPECT_EQ(r.status, 0) << r.message;
  EXPECT_EQ(r.report, read_file(data + "tube_dir1.txt"));
  EXPECT_EQ(r.script, read_file(data + "tube_dir1_trim1.py"));
  EXPECT_EQ(r.params.reebdir, 1);
  EXPECT_EQ(r.params.reebcutoff, 1.5f);

  // Trim 0 adds the lone point of slice 2 (node 4) and nothing else; trim 2
  // also hides the two interior dead ends (6.00, 8.00, 8.00 and
  // 8.00, 8.00, 8.00) and the edge between them; trim 3 shows nothing.
  fs::remove(dir / "reeb_graph.py");
  const std::string all = run_stage(dir, g, tube_labels(g), reeb_params(1, 1.5f, 0), run_flags{}, cube).script;
  std::string expected = read_file(data + "tube_dir1_trim1.py");
  expected.insert(expected.find("SPHERE,    6.00,    2.00"), "SPHERE,    4.00,    8.00,    0.00,0.5,\n");
  EXPECT_EQ(all, expected);
  for (int32_t trim : {2, 3}) {
    fs::remove(dir / "reeb_graph.py");
    const std::string s = run_stage(dir, g, tube_labels(g), reeb_params(1, 1.5f, trim), run_flags{}, cube).script;
    EXPECT_EQ(s.find("    8.00,    8.00"), std::string::npos) << trim;
    EXPECT_EQ(s.find("    6.00,    8.00"), std::string::npos) << trim;
    EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), trim == 2 ? 36 : 10) << s;
  }
  fs::remove_all(dir);
}

// All three directions: the cutoff line, then the rerun, then each
// direction; the 3D radius replaces a cutoff of 0.0, a given one stays.
TEST(ReebStageEndToEnd, AllDirectionsAndTheRerun) {
  const fs::path dir = testing::fresh_directory("reeb_all");
  const grid_store g = tube_grid();
  for (float cutoff : {0.0f, 1.8f}) {
    fs::remove(dir / "reeb_graph.py");
    const test::stage_result r = run_stage(dir, g, tube_labels(g), reeb_params(4, cutoff), verbose, cube, 2.25f);
    const float used = cutoff == 0.0f ? 2.25f : cutoff;
    EXPECT_EQ(r.cutoffs, std::vector<float>{used});
    EXPECT_EQ(r.params.reebdir, 3);
    const std::string rerun = free_format_text({"stand-in cluster analysis at", used});
    const std::string all = free_format_text({" Reeb graph analysis will be done in all three directions with a cutoff of:", used});
    EXPECT_EQ(r.report.find(all + "\n" + rerun + "\n" + free_format_text({" Calculating reeb graph along direction ", int32_t(1),
                            " from largest cluster from distance map contoured at ", used})), 0u)
        << r.report;
    for (int32_t d = 1; d <= 3; ++d) {
      EXPECT_NE(r.report.find(free_format_text({" Calculating reeb graph along direction ", d})), std::string::npos);
      const std::string name = "reebgraph" + std::to_string(d);
      EXPECT_NE(r.script.find("nodes" + std::to_string(d) + " = [\n"), std::string::npos);
      EXPECT_NE(r.script.find("cmd.load_cgo(" + name + ",'reebgraph'," + std::to_string(d) + ")\n"), std::string::npos);
    }
    // Direction 1 is the hand-checked graph, whatever the other directions hold.
    EXPECT_EQ(r.graph.along(1).nnodes(), 9);
    EXPECT_EQ(r.graph.along(1).nedges(), 6);
  }
  // A single direction keeps a cutoff of 0.0 and prints no cutoff line.
  fs::remove(dir / "reeb_graph.py");
  const test::stage_result two = run_stage(dir, g, tube_labels(g), reeb_params(2, 0.0f), run_flags{}, cube, 2.25f);
  EXPECT_EQ(two.cutoffs, std::vector<float>{0.0f});
  EXPECT_EQ(two.report.find(" Reeb graph analysis"), std::string::npos);
  EXPECT_EQ(two.script.find("nodes1"), std::string::npos);
  EXPECT_NE(two.script.find("cmd.load_cgo(reebgraph2,'reebgraph',2)"), std::string::npos);
  fs::remove_all(dir);
}

// Edge m joins slices 2m and 2m+1 (direction 3) through a row of size_m
// columns at j = m; colour by f = (max - size) / (max - min) in single
// precision: red below 0.5, green below 0.9, else blue.
TEST(ReebStageEndToEnd, EdgeColours) {
  struct colour_case {
    std::vector<int32_t> sizes;
    std::vector<std::string> expected;
  };
  const std::vector<colour_case> cases = {
      // f = 1.0, 0.9f (exactly: blue), 0.8, 0.5 (green), 0.4, 0.1, 0.0
      {{1, 2, 3, 6, 7, 10, 11}, {"blue", "blue", "green", "green", "red", "red", "red"}},
      {{5}, {"blue"}},           // max = min: 0/0, blue
      {{4, 4, 4}, {"blue", "blue", "blue"}},
      {{3, 1}, {"red", "blue"}},
  };
  const fs::path dir = testing::fresh_directory("reeb_colours");
  for (const colour_case& c : cases) {
    const int32_t m = static_cast<int32_t>(c.sizes.size());
    const grid_store g = test::empty_grid(10, m, 2 * m - 1);
    std::vector<std::array<int32_t, 3>> pts;
    for (int32_t e = 0; e < m; ++e)
      for (int32_t i = 0; i < c.sizes[e]; ++i) pts.push_back({i, e, 2 * e}), pts.push_back({i, e, 2 * e + 1});
    fs::remove(dir / "reeb_graph.py");
    const test::stage_result r = run_stage(dir, g, labels_at(g, pts), reeb_params(3, 1.0f, 0), run_flags{},
                                           test::make_frame(20, 20, 40, 90, 90, 90));
    EXPECT_EQ(colours(r.script), c.expected) << c.sizes.size();
  }
  EXPECT_EQ(static_cast<float>(11 - 2) / static_cast<float>(11 - 1), 0.9f);
  EXPECT_LT(static_cast<float>(11 - 2) / static_cast<float>(11 - 1), 0.9);  // a double 0.9 would make it green
  fs::remove_all(dir);
}

TEST(ReebStage, TrimLevelsAndCentringShifts) {
  struct trim_case {
    int32_t nconn;
    float level;
    bool shown[4];  // trim levels 0, 1, 2, 3
  };
  const int32_t top = 7;
  const std::vector<trim_case> trims = {
      {0, 0.0f, {true, false, false, false}},  {0, 3.0f, {true, false, false, false}},
      {1, 0.0f, {true, true, true, false}},    {1, 7.0f, {true, true, true, false}},
      {1, 3.0f, {true, true, false, false}},   {1, 6.0f, {true, true, false, false}},
      {2, 3.0f, {true, true, true, false}},    {5, 0.0f, {true, true, true, false}},
  };
  for (const trim_case& t : trims)
    for (int32_t level = 0; level <= 3; ++level) {
      reeb_node n;
      n.nconn = t.nconn, n.level = t.level;
      EXPECT_EQ(node_shown(n, level, top), t.shown[level]) << t.nconn << " " << t.level << " " << level;
    }
  const std::vector<std::pair<float, int32_t>> shifts = {{0.3f, 0}, {1.7f, -1}, {-0.2f, 1}, {-1.0f, 2}, {0.0f, 0},
                                                         {0.9999f, 0}, {1.0f, -1}, {2.0f, -2}, {-0.5f, 1}, {-1.5f, 2}};
  for (const auto& [t, shift] : shifts) EXPECT_EQ(centring_shift(t), shift) << t;
}

// Two nodes in the plane i = 5, at (10, 2, 3) and (10, 4, 4): the centre
// lies at fractional a = 1.0, so the graph moves by -a, to x = 0, and the
// verbose lines show the centre and the shift.
TEST(ReebStageEndToEnd, CentringMovesTheGraph) {
  const fs::path dir = testing::fresh_directory("reeb_centre");
  const grid_store g = tube_grid();
  const test::stage_result r = run_stage(dir, g, labels_at(g, {{5, 1, 1}, {5, 1, 2}, {5, 2, 2}}), reeb_params(2, 1.0f, 0),
                                         verbose, cube);
  EXPECT_NE(r.report.find(free_format_text({"Average fractional coordinate for reebgraph: ", 1.0f, 0.3f, 0.35f,
                                            int32_t(1), int32_t(0), int32_t(0)})),
            std::string::npos)
      << r.report;
  EXPECT_NE(r.report.find(free_format_text({"Translating by ", int32_t(-1), int32_t(0), int32_t(0)})), std::string::npos);
  EXPECT_NE(r.script.find("SPHERE,    0.00,    2.00,    3.00,0.5,\nSPHERE,    0.00,    4.00,    4.00,0.5,\n"),
            std::string::npos)
      << r.script;
  fs::remove_all(dir);
}

// No point of the chosen cluster: nothing to centre; the centre shows as 0
// with no shift, the minimum edge size overflows its field.
TEST(ReebStageEndToEnd, DirectionsWithoutNodes) {
  const fs::path dir = testing::fresh_directory("reeb_empty");
  const grid_store g = tube_grid();
  const test::stage_result r = run_stage(dir, g, tube_labels(g), reeb_params(4, 1.0f, 1, 5), verbose, cube);
  const std::string centre =
      free_format_text({"Average fractional coordinate for reebgraph: ", 0.0f, 0.0f, 0.0f, int32_t(0), int32_t(0), int32_t(0)}) +
      "\n" + free_format_text({"Translating by ", int32_t(0), int32_t(0), int32_t(0)}) + "\n" +
      "    The channel structure of cluster   5 can be represented by   0 nodes and    0 edges.\n"
      "    Edge size min: ****  Edge size max:    0\n";
  std::size_t count = 0;
  for (std::size_t at = r.report.find(centre); at != std::string::npos; at = r.report.find(centre, at + 1)) ++count;
  EXPECT_EQ(count, 3u) << r.report;
  std::string expected = "from pymol.cgo import *\nfrom pymol import cmd\n";
  for (char d : {'1', '2', '3'})
    expected += std::string("nodes") + d + " = [\n]\nedges" + d + " = [\nLINEWIDTH,1.0,\nBEGIN,LINES,\n]\n" +
                "reebgraph" + d + " = nodes" + d + " + edges" + d + "\ncmd.load_cgo(reebgraph" + d + ",'reebgraph'," + d +
                ")\n";
  EXPECT_EQ(r.script, expected);
  fs::remove_all(dir);
}

// More than 999 nodes, and a cluster number of 1000, print as *** in I3.
TEST(ReebStageEndToEnd, WideCountsOverflowTheirFields) {
  const fs::path dir = testing::fresh_directory("reeb_wide");
  const grid_store g = test::empty_grid(70, 70, 0);
  std::vector<std::array<int32_t, 3>> pts;
  for (int32_t i = 0; i <= 70; i += 2)
    for (int32_t j = 0; j <= 70; j += 2) pts.push_back({i, j, 0});
  const test::stage_result r = run_stage(dir, g, labels_at(g, pts, 1000), reeb_params(3, 1.0f, 0, 1000), run_flags{},
                                         test::make_frame(140, 140, 2, 90, 90, 90));
  EXPECT_NE(r.report.find("    The channel structure of cluster *** can be represented by *** nodes and    0 edges.\n"),
            std::string::npos)
      << r.report;
  EXPECT_EQ(r.graph.along(3).nnodes(), 36 * 36);
  fs::remove_all(dir);
}

// An existing script stops the run before any line of the stage and is
// left as it was; the cluster analysis is not rerun.
TEST(ReebStageEndToEnd, ExistingScriptStopsTheRun) {
  const fs::path dir = testing::fresh_directory("reeb_exists");
  std::ofstream(dir / "reeb_graph.py") << "keep me\n";
  const grid_store g = tube_grid();
  const test::stage_result r = run_stage(dir, g, tube_labels(g), reeb_params(4, 0.0f), run_flags{}, cube, 2.0f);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.message.find("reeb_graph.py"), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("File exists"), std::string::npos) << r.message;
  EXPECT_EQ(r.report, "");
  EXPECT_TRUE(r.cutoffs.empty());
  EXPECT_EQ(r.script, "keep me\n");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
