// The grid-point and nearest-channel files through their stage functions,
// with a stand-in for the cluster analysis that labels the grid; the
// nearest channel point against measuring every point and every image; the
// three files' header lines and their stop on an existing file.
#include <gtest/gtest.h>

#include <array>
#include <bit>

#include "common/coordinate_record.hpp"
#include "common/run_stop.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/distmap_test_support.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "driver/expanded_file.hpp"
#include "driver/grid_point_file.hpp"
#include "driver/nearest_channel_file.hpp"
#include "driver/nearest_channel_search.hpp"
#include "nearest_channel_literal.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using test::make_crystal;
using test::nearest_literal;
using test::quiet;

// A crystal with atoms, its distance map on a grid and the header lines.
struct small_run {
  std::shared_ptr<crystal_record> celli;
  atom_store atoms;
  run_params params;
  run_flags flags;
  run_state state;
  header_store header;
  grid_store gridi;
};

std::unique_ptr<small_run> make_run(std::shared_ptr<crystal_record> celli, int natoms, float flo, float fhi,
                                    float gridsize, std::mt19937& rng) {
  auto run = std::make_unique<small_run>();
  run->celli = std::move(celli);
  std::uniform_real_distribution<float> uf(flo, fhi), ur(1.2f, 2.0f);
  for (int a = 0; a < natoms; ++a) {
    const float f[3] = {uf(rng), uf(rng), uf(rng)};
    float x[3];
    frac_to_real(*run->celli, f, x);
    test::add_atom(run->atoms, x, ur(rng), a % 2 ? " CA " : " N  ", a % 2 ? " C" : " N");
    atom_record& rec = run->atoms.pdbdata.back();
    rec.recname = "ATOM  ", rec.serial = a + 1, rec.resname = "GLY", rec.chainid = "B", rec.resseq = a / 2 + 1;
    rec.altloc = " ", rec.occupancy = 1.0f, rec.bfactor = 20.0f;
  }
  run->atoms.count.natoms = natoms;
  run->params.gridsize = gridsize;
  set_gridmax(run->params, *run->celli, run->state.gridmax);
  coord_range range;
  fill_grid_positions(run->params, *run->celli, run->state.gridmax, run->gridi, range);
  int32_t moved = 0;
  const auto copies = collect_atom_copies(run->flags, *run->celli, run->atoms, false, moved);
  distance_map_fast(*run->celli, copies, run->gridi);
  return run;
}

// Names the three files in `dir` after `stem`.
void name_files(small_run& run, const fs::path& dir, const std::string& stem) {
  run.state.gridname = (dir / (stem + "_grid.pdb")).string();
  run.state.ncname = (dir / (stem + "_nc.pdb")).string();
  run.state.expandedname = (dir / (stem + "_expanded.pdb")).string();
}

// The stand-in cluster analysis: points deeper than the cutoff are channel,
// numbered 1..3 by thirds of a; the rest -1.
std::function<void()> label_by_cutoff(grid_store& gridi, float cutoff, int* calls) {
  return [&gridi, cutoff, calls] {
    ++*calls;
    for (int32_t i = 0; i <= gridi.n[0]; ++i)
      for (int32_t j = 0; j <= gridi.n[1]; ++j)
        for (int32_t k = 0; k <= gridi.n[2]; ++k) {
          const std::size_t p = gridi.index(i, j, k);
          gridi.clust[p] = gridi.dist[p] > cutoff ? 1 + 3 * i / (gridi.n[0] + 1) : -1;
        }
  };
}

std::vector<std::string> lines_of(const fs::path& path) {
  std::vector<std::string> lines;
  std::istringstream in(testing::read_file(path));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string by_formatter(const atom_record& rec, std::string_view chain, const float x[3], float w, float b) {
  return formatted_text(coordinate_record_format, {rec.recname, rec.serial, rec.atname, rec.altloc, rec.resname,
                                                   chain, rec.resseq, x[0], x[1], x[2], w, b});
}

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

// The three files: header lines, every record, the stand-in analysis run
// once per stage at its place, -nc's values kept for -ex.
TEST(CoordinateFiles, GridNearestChannelAndExpandedThroughTheStages) {
  std::mt19937 rng(99);
  const fs::path dir = testing::fresh_directory("coordinate_stages");
  auto run = make_run(make_crystal({31, 24.5, 19, 90, 97, 90}, "P 1 21 1", {}, {0.1f, 0, 0.05f}), 40, 0, 1, 1.7f, rng);
  name_files(*run, dir, "s");
  for (const char* line : {"HEADER    TEST", "CRYST1   31.000   24.500   19.000  90.00  97.00  90.00 P 1 21 1",
                           "CRYSTAL LINES START WITH CRYST", "REMARK   1"})
    run->header.push_back(fixed_text<132>(line));
  run->state.nheader = 4;
  int calls = 0;
  bool existed_at_rerun = true;
  const auto label = label_by_cutoff(run->gridi, 1.4f, &calls);
  const std::string cm_out = quiet([&] {
    write_grid_point_file(run->params, *run->celli, run->header, run->atoms, run->gridi, run->state, [&] {
      existed_at_rerun = fs::exists(run->state.gridname);
      label();
    });
  });
  EXPECT_EQ(cm_out, " Writing each channel gridpoint...\n");
  EXPECT_FALSE(existed_at_rerun);  // the analysis runs before the file is created
  const auto grid_lines = lines_of(run->state.gridname);
  const std::string cryst = "CRYST1   31.000   24.500   19.000  90.00  97.00  90.00     P 1   ";
  ASSERT_EQ(grid_lines.size(), 3 + run->gridi.points());  // two CRYST lines in the header, and one more
  for (int l = 0; l < 3; ++l) EXPECT_EQ(grid_lines[l], cryst);
  std::size_t line = 3;
  atom_record first = run->atoms.pdbdata[0];
  first.atname = " O  ", first.resname = "HOH";
  for (int32_t i = 0; i <= run->gridi.n[0]; ++i)
    for (int32_t j = 0; j <= run->gridi.n[1]; ++j)
      for (int32_t k = 0; k <= run->gridi.n[2]; ++k, ++line) {
        float x[3];
        grid_point_position(*run->celli, run->params.gridsize, i, j, k, x);
        const std::size_t p = run->gridi.index(i, j, k);
        ASSERT_EQ(grid_lines[line], by_formatter(first, "Z", x, float(run->gridi.clust[p]), run->gridi.dist[p]))
            << i << " " << j << " " << k;
      }

  const std::string nc_out = quiet([&] {
    write_nearest_channel_file(run->params, run->flags, *run->celli, run->atoms, run->gridi, run->state, [&] {
      existed_at_rerun = fs::exists(run->state.ncname);
      label();
    });
  });
  EXPECT_EQ(nc_out, "  Writing atoms with B-factor field containing atom depth, or distance to nearest channel...\n");
  EXPECT_TRUE(existed_at_rerun);  // created first, then the analysis
  EXPECT_EQ(calls, 2);
  const auto nc_lines = lines_of(run->state.ncname);
  ASSERT_EQ(nc_lines.size(), 40u);
  for (int a = 0; a < 40; ++a) {
    const atom_record& rec = run->atoms.pdbdata[a];
    const auto [w, b] = nearest_literal(*run->celli, run->params.gridsize, run->gridi, &run->atoms.coords[3 * a]);
    EXPECT_EQ(std::make_pair(rec.occupancy, rec.bfactor), std::make_pair(w, b)) << a;
    EXPECT_EQ(nc_lines[a], by_formatter(rec, "A", rec.xyz, w, b));
  }

  const std::string ex_out = quiet([&] {
    write_expanded_file(run->flags, *run->celli, run->header, run->atoms, run->state);
  });
  EXPECT_EQ(ex_out, "  Writing atoms expanded to complete unit cell ...\n");
  const auto ex_lines = lines_of(run->state.expandedname);
  ASSERT_EQ(ex_lines.size(), 4u + 2 * 40);
  EXPECT_EQ(ex_lines[0], padded("HEADER    TEST", 80));
  EXPECT_EQ(ex_lines[1], "CRYST1   31.000   24.500   19.000  90.00  97.00  90.00 P 1          ");
  EXPECT_EQ(ex_lines[2], padded("CRYSTAL LINES START WITH CRYST", 80));  // not CRYST1: as it stands
  for (int a = 0; a < 80; ++a)  // both operators' copies carry the W and B columns of the nearest-channel file
    EXPECT_EQ(ex_lines[4 + a].substr(54), nc_lines[a % 40].substr(54)) << a;
  fs::remove_all(dir);
}

// No CRYST line in the header: one CRYST1 line in the grid-point file, none in
// the expanded file. No channel point: W -1.00 and a B of asterisks. No
// atoms: the first record's start values on every grid line.
TEST(CoordinateFiles, NoCrystLineNoChannelNoAtoms) {
  std::mt19937 rng(5);
  const fs::path dir = testing::fresh_directory("coordinate_edges");
  auto run = make_run(make_crystal({20, 20, 20, 90, 90, 90}, "P 1"), 3, 0, 1, 5.0f, rng);
  name_files(*run, dir, "e");
  run->header.push_back(fixed_text<132>("REMARK   2 NO CELL HERE"));
  run->state.nheader = 1;
  int calls = 0;
  quiet([&] {
    write_grid_point_file(run->params, *run->celli, run->header, run->atoms, run->gridi, run->state,
                          label_by_cutoff(run->gridi, 1000.0f, &calls));
    write_nearest_channel_file(run->params, run->flags, *run->celli, run->atoms, run->gridi, run->state,
                               label_by_cutoff(run->gridi, 1000.0f, &calls));
    write_expanded_file(run->flags, *run->celli, run->header, run->atoms, run->state);
  });
  const auto grid_lines = lines_of(run->state.gridname);
  EXPECT_EQ(grid_lines[0], "CRYST1   20.000   20.000   20.000  90.00  90.00  90.00     P 1   ");
  EXPECT_EQ(grid_lines[1].substr(0, 30), "ATOM      1  O   HOH Z   1    ");
  EXPECT_EQ(grid_lines[1].substr(54), " -1.00" + grid_lines[1].substr(60, 6));
  for (const std::string& l : lines_of(run->state.ncname)) EXPECT_EQ(l.substr(54), " -1.00******");
  EXPECT_EQ(lines_of(run->state.expandedname)[0], padded("REMARK   2 NO CELL HERE", 80));

  atom_store none;
  grid_store gridi = run->gridi;
  run->state.gridname = (dir / "none_grid.pdb").string();
  quiet([&] { write_grid_point_file(run->params, *run->celli, run->header, none, gridi, run->state, {}); });
  const std::string zero_record = std::string(6, '\0') + "    0  O  " + std::string(1, '\0') + "HOH Z   0    ";
  EXPECT_EQ(lines_of(run->state.gridname)[1].substr(0, 30), zero_record);
  fs::remove_all(dir);
}

// An existing file of each kind ends the run with status 2 and keeps its
// text; the grid-point stage has run its analysis before, the nearest-channel
// stage has not.
TEST(CoordinateFiles, ExistingFilesStopTheRunUnchanged) {
  std::mt19937 rng(17);
  const fs::path dir = testing::fresh_directory("coordinate_exists");
  auto run = make_run(make_crystal({20, 20, 20, 90, 90, 90}, "P 1"), 3, 0, 1, 4.0f, rng);
  name_files(*run, dir, "x");
  for (const auto& name : {run->state.gridname, run->state.ncname, run->state.expandedname})
    std::ofstream(name) << "kept\n";
  int calls = 0;
  const std::vector<std::pair<std::string, std::function<void()>>> stages = {
      {"grid", [&] { write_grid_point_file(run->params, *run->celli, run->header, run->atoms, run->gridi, run->state,
                                           label_by_cutoff(run->gridi, 1.4f, &calls)); }},
      {"nc", [&] { write_nearest_channel_file(run->params, run->flags, *run->celli, run->atoms, run->gridi, run->state,
                                              label_by_cutoff(run->gridi, 1.4f, &calls)); }},
      {"expanded", [&] { write_expanded_file(run->flags, *run->celli, run->header, run->atoms, run->state); }}};
  for (const auto& [what, stage] : stages) {
    int status = -1;
    std::string message;
    quiet([&] {
      try {
        stage();
      } catch (const run_stop& stop) {
        status = stop.status, message = stop.message;
      }
    });
    EXPECT_EQ(status, io_error) << what;
    EXPECT_NE(message.find("x_" + what + ".pdb': File exists"), std::string::npos) << message;
    EXPECT_EQ(testing::read_file(dir / ("x_" + what + ".pdb")), "kept\n") << what;
  }
  EXPECT_EQ(calls, 1);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
