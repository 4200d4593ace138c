// The nearest channel point against measuring every point and every image;
// the three files through their stage functions at their edges.
#include <gtest/gtest.h>

#include <array>
#include <bit>

#include "common/coordinate_record.hpp"
#include "common/run_stop.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/distmap_test_support.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "endfiles/expanded_file.hpp"
#include "endfiles/grid_point_file.hpp"
#include "endfiles/nearest_channel_file.hpp"
#include "endfiles/nearest_channel_search.hpp"
#include "coordinate_files_literal.hpp"
#include "support/loaded_structure.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using test::make_crystal;
using test::nearest_literal;

TEST(NearestChannel, EqualsMeasuringEveryPointAndImage) {
  std::mt19937 rng(4242);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  struct crystal {
    std::string what;
    std::vector<double> cell;
    std::vector<float> shift;
  };
  std::vector<crystal> crystals = {{"orthogonal", {31, 24.5, 19, 90, 90, 90}, {0, 0, 0}},
                                   {"triclinic, fracshift", {26, 29, 23, 74, 96, 111}, {0.25f, -0.5f, 0.125f}},
                                   {"hexagonal", {23, 23, 31, 90, 90, 120}, {0, 0, 0}},
                                   {"monoclinic", {28, 22, 33, 90, 104.5, 90}, {0.1f, 0, -0.2f}}};
  for (int t = 0; t < 16; ++t)
    crystals.push_back({"random " + std::to_string(t),
                        {12 + 25 * u(rng), 12 + 25 * u(rng), 12 + 25 * u(rng), 70 + 40 * u(rng), 70 + 40 * u(rng),
                         70 + 40 * u(rng)},
                        {u(rng) - 0.5f, u(rng) - 0.5f, u(rng) - 0.5f}});
  int compared = 0, channel_atoms = 0;
  for (const crystal& c : crystals) {
    for (float density : {0.0f, 0.002f, 0.05f, 0.5f, 1.0f}) {
      auto celli = make_crystal(c.cell, "P 1", {}, c.shift);
      grid_store gridi;
      const run_params params{.gridsize = 1.3f + 1.5f * u(rng)};
      int32_t n[3];
      set_gridmax(params, *celli, n);
      gridi.resize(n[0], n[1], n[2]);
      for (auto& label : gridi.clust) label = u(rng) < density ? 1 + static_cast<int32_t>(u(rng) * 4) : -1;
      const channel_point_index index(*celli, params.gridsize, gridi);
      // Atoms inside, near the faces and up to one and a half cells outside;
      // atoms on grid points and half way between two of them tie.
      std::vector<std::array<float, 3>> atoms;
      for (int a = 0; a < 30; ++a) atoms.push_back({-1.5f + 4 * u(rng), -1.5f + 4 * u(rng), -1.5f + 4 * u(rng)});
      for (int a = 0; a < 6; ++a) {
        const float h = 0.5f * static_cast<float>(static_cast<int>(u(rng) * 2 * n[0]));
        atoms.push_back({h * params.gridsize / celli->cell[0], 0.5f * params.gridsize / celli->cell[1], 0.0f});
      }
      for (const auto& f : atoms) {
        float x[3];
        frac_to_real(*celli, f.data(), x);
        float dist = 0;
        int32_t clust = 0;
        index.nearest(x, dist, clust);
        const auto [w, b] = nearest_literal(*celli, params.gridsize, gridi, x);
        ASSERT_EQ(std::make_pair(std::bit_cast<uint32_t>(static_cast<float>(clust)), std::bit_cast<uint32_t>(dist)),
                  std::make_pair(std::bit_cast<uint32_t>(w), std::bit_cast<uint32_t>(b)))
            << c.what << " density " << density << ": " << clust << " " << dist << " against " << w << " " << b;
        ++compared;
        channel_atoms += clust != -1;
      }
    }
  }
  EXPECT_EQ(compared, 20 * 5 * 36);
  EXPECT_GT(channel_atoms, compared / 2);
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
  EXPECT_EQ(nearest_literal(*celli, 2.0f, gridi, std::array{21.0f, 10.0f, 10.0f}.data()).second, 1.0f);
}

// No CRYST line in the header: one CRYST1 line in the grid-point file, none in
// the expanded file. No channel point: W -1.00 and a B of asterisks. No
// atoms: blank names and zeros on every grid line. The files of
// real runs: coordinate_files_real_runs_test.cpp.
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

}  // namespace
}  // namespace porvane
