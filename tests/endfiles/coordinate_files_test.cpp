// The nearest channel point through the cell faces; the three files through
// their stage functions at their edges; the files of whole runs.
#include <gtest/gtest.h>

#include <array>

#include "common/coordinate_record.hpp"
#include "common/run_stop.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/distmap_test_support.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "endfiles/expanded_file.hpp"
#include "endfiles/grid_point_file.hpp"
#include "endfiles/nearest_channel_file.hpp"
#include "endfiles/nearest_channel_search.hpp"
#include "support/loaded_structure.hpp"
#include "support/report_cases.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using test::make_crystal;

// A grid of nx × ny × nz intervals whose only channel points are `points`,
// each {i, j, k, cluster}.
grid_store channel_grid(int32_t nx, int32_t ny, int32_t nz, const std::vector<std::array<int32_t, 4>>& points) {
  grid_store gridi;
  gridi.resize(nx, ny, nz);
  std::fill(gridi.clust.begin(), gridi.clust.end(), -1);
  for (const auto& [i, j, k, cluster] : points) gridi.clust[gridi.index(i, j, k)] = cluster;
  return gridi;
}

// An atom 1 Å outside the cell beside a channel on the cell face x = 0 is 1 Å
// from it through the periodic image, not 21 Å across the cell; images reach
// one cell on each side, so an atom at 45 Å is 25 Å from the image at 20 Å.
TEST(NearestChannel, MeasuresThroughTheCellFaces) {
  auto celli = make_crystal({20, 20, 20, 90, 90, 90}, "P 1");
  grid_store gridi;
  gridi.resize(10, 10, 10);
  std::fill(gridi.clust.begin(), gridi.clust.end(), -1);
  for (int32_t j = 0; j <= 10; ++j)
    for (int32_t k = 0; k <= 10; ++k) gridi.clust[gridi.index(0, j, k)] = 2;
  const channel_point_index index(*celli, 2.0f, gridi);
  for (const auto& [x, depth] : std::vector<std::pair<float, float>>{{21.0f, 1.0f}, {-3.0f, 3.0f}, {14.0f, 6.0f}, {45.0f, 25.0f}}) {
    const float c[3] = {x, 10.0f, 10.0f};
    float dist = 0;
    int32_t clust = 0;
    index.nearest(c, dist, clust);
    EXPECT_EQ(std::make_pair(dist, clust), std::make_pair(depth, 2)) << x;
  }
  // A lone channel point at (10, 12, 14): its bins span no length.
  std::fill(gridi.clust.begin(), gridi.clust.end(), -1);
  gridi.clust[gridi.index(5, 6, 7)] = 3;
  const channel_point_index lone(*celli, 2.0f, gridi);
  for (const auto& [x, depth] : std::vector<std::pair<float, float>>{{10.0f, 0.0f}, {12.0f, 2.0f}, {31.0f, 1.0f}, {-3.0f, 7.0f}}) {
    const float c[3] = {x, 12.0f, 14.0f};
    float dist = 0;
    int32_t clust = 0;
    lone.nearest(c, dist, clust);
    EXPECT_EQ(std::make_pair(dist, clust), std::make_pair(depth, 3)) << x;
  }
}

// An atom on the face x = 0 of a 31 x 24.5 x 19 Å cell lies 1.0455544 Å from
// the channel point (15, 12, 9) through the image (-1, -1, -1), a hair nearer
// than (15, 1, 0) through (-1, 0, 0): the search keeps the ring of the first.
TEST(NearestChannel, NearerThroughAFartherRing) {
  auto celli = make_crystal({31, 24.5, 19, 90, 90, 90}, "P 1");
  const grid_store gridi = channel_grid(15, 12, 9, {{12, 0, 9, 2}, {15, 1, 0, 4}, {15, 12, 9, 1}});
  const float f[3] = {0.0f, 0.0419067033f, 0.0f};
  float x[3], dist = 0;
  frac_to_real(*celli, f, x);
  int32_t clust = 0;
  channel_point_index(*celli, 2.05342841f, gridi).nearest(x, dist, clust);
  EXPECT_EQ(std::make_pair(dist, clust), std::make_pair(1.0455544f, 1));
}

// Channel points of clusters 5 and 2 at x = 6 and 14 Å, and of cluster 7 at
// x = 2 Å: an atom as far from two of them takes the cluster of the one
// earlier in grid order (i outer), whichever the search meets first.
TEST(NearestChannel, EqualDistancesTheEarlierPointInGridOrder) {
  auto celli = make_crystal({20, 20, 20, 90, 90, 90}, "P 1");
  const channel_point_index index(*celli, 2.0f, channel_grid(10, 10, 10, {{3, 5, 5, 5}, {7, 5, 5, 2}, {1, 5, 5, 7}}));
  for (const auto& [x, depth, cluster] : std::vector<std::array<float, 3>>{{10.0f, 4.0f, 5}, {18.0f, 4.0f, 7}, {4.0f, 2.0f, 7}}) {
    const float c[3] = {x, 10.0f, 10.0f};
    float dist = 0;
    int32_t clust = 0;
    index.nearest(c, dist, clust);
    EXPECT_EQ(std::make_pair(dist, clust), std::make_pair(depth, static_cast<int32_t>(cluster))) << x;
  }
}

// No CRYST line in the header: one CRYST1 line in the grid-point file, none in
// the expanded file. No channel point: W -1.00 and a B of asterisks. No
// atoms: blank names and zeros on every grid line.
TEST(CoordinateFiles, NoCrystLineNoChannelNoAtoms) {
  const fs::path dir = testing::fresh_directory("coordinate_edges");
  testing::loaded_structure run;
  run.celli = make_crystal({20, 20, 20, 90, 90, 90}, "P 1");
  for (int a = 0; a < 3; ++a) {
    test::add_atom(run.atoms, std::array{5.0f * a, 1.0f, 2.0f}.data(), 1.5f);
    atom_record& rec = run.atoms.pdbdata.back();
    rec.recname = "ATOM  ", rec.serial = a + 1, rec.altloc = " ", rec.resseq = a + 1;
  }
  run.atoms.count.natoms = 3;
  run.params.gridsize = 5.0f;
  testing::compute_map(*run.celli, run.atoms, run.flags, run.params, run.gridi);
  std::copy(run.gridi.n, run.gridi.n + 3, run.state.gridmax);
  run.state.gridname = (dir / "e_grid.pdb").string();
  run.state.ncname = (dir / "e_nc.pdb").string();
  run.state.expandedname = (dir / "e_expanded.pdb").string();
  run.header.push_back(fixed_text<132>("REMARK   2 NO CELL HERE"));
  run.state.nheader = 1;
  const auto no_channel = [&] { std::fill(run.gridi.clust.begin(), run.gridi.clust.end(), -1); };
  testing::captured_report([&] {
    const auto header = kept_header(run.header, run.state.nheader);
    write_grid_point_file(run.state.gridname, *run.celli, run.params.gridsize, header, run.atoms, run.gridi, no_channel);
    write_nearest_channel_file(run.state.ncname, *run.celli, run.params.gridsize, run.flags, run.atoms, run.gridi, no_channel);
    write_expanded_file(run.state.expandedname, run.flags, *run.celli, header, run.atoms);
  });
  const auto file = [](const std::string& name) { return testing::lines_of(testing::read_file(name)); };
  const auto grid_lines = file(run.state.gridname);
  EXPECT_EQ(grid_lines[0], "CRYST1   20.000   20.000   20.000  90.00  90.00  90.00     P 1   ");
  EXPECT_EQ(grid_lines[1].substr(0, 30), "ATOM      1  O   HOH Z   1    ");
  EXPECT_EQ(grid_lines[1].substr(54), " -1.00" + grid_lines[1].substr(60, 6));
  for (const std::string& l : file(run.state.ncname)) EXPECT_EQ(l.substr(54), " -1.00******");
  EXPECT_EQ(file(run.state.expandedname)[0], padded("REMARK   2 NO CELL HERE", 80));

  grid_store gridi = run.gridi;
  run.state.gridname = (dir / "none_grid.pdb").string();
  testing::captured_report(
      [&] { write_grid_point_file(run.state.gridname, *run.celli, run.params.gridsize,
                                    kept_header(run.header, run.state.nheader), atom_store{}, gridi, {}); });
  EXPECT_EQ(file(run.state.gridname)[1].substr(0, 30), "          0  O   HOH Z   0    ");  // blanks, no zero bytes
  fs::remove_all(dir);
}

TEST(CoordinateFiles, WholeRuns) {
  testing::expect_reports("coordinate_files", testing::report_table("cases/endfiles.txt"));
}

}  // namespace
}  // namespace porvane
