// The map file: what the file holds (read here without the library) and the
// round trip through read_distance_map.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <ccp4/ccp4_sysdep.h>
#include <ccp4/cmaplib.h>

#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "distmap/map_file.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "distmap_test_support.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;

// The 1024-byte header and the data of a map file of this machine's byte
// order, addressed by 1-based word numbers.
struct raw_map {
  std::vector<char> bytes;
  int32_t word(int n) const {
    int32_t v;
    std::memcpy(&v, bytes.data() + 4 * (n - 1), 4);
    return v;
  }
  float real(int n) const {
    float v;
    std::memcpy(&v, bytes.data() + 4 * (n - 1), 4);
    return v;
  }
  std::string labels() const { return std::string(bytes.data() + 4 * 56, 800); }
  // Value number t (0-based) of the data after the header and symmetry block.
  float value(std::size_t t) const {
    float v;
    std::memcpy(&v, bytes.data() + 1024 + word(24) + 4 * t, 4);
    return v;
  }
};

raw_map read_raw(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  raw_map m;
  m.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return m;
}

fs::path temp_dir(const std::string& name) {
  fs::path dir = fs::temp_directory_path() / ("porvane_distmap_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// A grid of the given counts with distinct distances, including negatives.
void fill_test_grid(grid_store& g, int32_t nx, int32_t ny, int32_t nz) {
  g.resize(nx, ny, nz);
  std::mt19937 rng(31);
  std::uniform_real_distribution<float> u(-1.9f, 25.0f);
  for (float& d : g.dist) d = u(rng);
}

template <class F>
std::string quiet(F&& f) {
  ::testing::internal::CaptureStdout();
  try {
    f();
  } catch (...) {
    report().flush();
    ::testing::internal::GetCapturedStdout();
    throw;
  }
  report().flush();
  return ::testing::internal::GetCapturedStdout();
}

const double cell20[6] = {40.0, 60.0, 80.0, 90, 95, 90};
const double no_shift[3] = {0, 0, 0};

TEST(MapFile, HeaderAndValuesAsWritten) {
  const fs::path dir = temp_dir("header");
  test::test_crystal tc(cell20, no_shift, test::ops_p1());
  grid_store g;
  fill_test_grid(g, 20, 30, 40);
  run_state state;
  state.gridmax[0] = 20;
  state.gridmax[1] = 30;
  state.gridmax[2] = 40;
  state.mapname = (dir / "1abc_channel_2.0.map").string();
  const std::string out = quiet([&] { write_distance_map(*tc.celli, g, state); });
  EXPECT_EQ(out, " Writing map...\n Writing header...\n Writing map...\n Closing map...\n");

  const raw_map m = read_raw(dir / "1abc_channel_2.0.map");
  ASSERT_EQ(m.bytes.size(), 1024u + static_cast<std::size_t>(m.word(24)) + 4u * 21 * 31 * 41);
  EXPECT_EQ(m.word(1), 21);  // columns
  EXPECT_EQ(m.word(2), 31);  // rows
  EXPECT_EQ(m.word(3), 41);  // sections
  EXPECT_EQ(m.word(4), 2);   // 32-bit reals
  EXPECT_EQ(m.word(5), 0);
  EXPECT_EQ(m.word(6), 0);
  EXPECT_EQ(m.word(7), 0);
  EXPECT_EQ(m.word(8), 20);  // sampling
  EXPECT_EQ(m.word(9), 30);
  EXPECT_EQ(m.word(10), 40);
  for (int c = 0; c < 6; ++c) EXPECT_EQ(m.real(11 + c), tc.celli->cell[c]);
  EXPECT_EQ(m.word(17), 1);  // columns along a, rows along b, sections along c
  EXPECT_EQ(m.word(18), 2);
  EXPECT_EQ(m.word(19), 3);
  float lo = g.dist[0], hi = g.dist[0];
  double sum = 0;
  for (float d : g.dist) {
    lo = std::min(lo, d);
    hi = std::max(hi, d);
    sum += d;
  }
  EXPECT_EQ(m.real(20), lo);  // true minimum, below zero
  EXPECT_EQ(m.real(21), hi);
  EXPECT_NEAR(m.real(22), sum / static_cast<double>(g.dist.size()), 1e-3);
  EXPECT_EQ(m.word(23), 1);  // space group
  EXPECT_EQ(std::string(m.bytes.data() + 4 * 52, 4), "MAP ");
  EXPECT_GE(m.word(56), 1);
  EXPECT_EQ(m.labels().substr(0, 7), "testmap");
  // Column i, row j, section k at ((k · 31) + j) · 21 + i.
  for (int32_t k : {0, 17, 40}) {
    for (int32_t j : {0, 30}) {
      for (int32_t i : {0, 5, 20}) {
        EXPECT_EQ(std::bit_cast<uint32_t>(m.value(static_cast<std::size_t>((k * 31 + j) * 21 + i))),
                  std::bit_cast<uint32_t>(g.dist[g.index(i, j, k)]));
      }
    }
  }
  fs::remove_all(dir);
}

TEST(MapFile, ReadBackRestoresEverything) {
  const fs::path dir = temp_dir("readback");
  test::test_crystal tc(cell20, no_shift, test::ops_p1());
  // The largest section, 251 × 251 values.
  for (int32_t nz : {3, 0}) {
    grid_store g;
    fill_test_grid(g, 250, 250, nz);
    run_state state;
    state.gridmax[0] = 250;
    state.gridmax[1] = 250;
    state.gridmax[2] = nz;
    state.mapname = (dir / "big.map").string();
    quiet([&] { write_distance_map(*tc.celli, g, state); });

    test::test_crystal other(cell20, no_shift, test::ops_p1());
    other.celli->cell[0] = 1.0f;  // the read map's cell replaces it
    run_params params;
    params.gridsize = 1.5f;
    run_flags flags;
    flags.vb = 1;
    run_state rstate;
    rstate.mapfile = state.mapname.view();
    grid_store back;
    const std::string out =
        quiet([&] { read_distance_map(params, flags, *other.celli, back, rstate); });
    EXPECT_EQ(out.rfind(" Reading previously written distance map...Assuming a gridsize of"
                        "    1.50000000    \n",
                        0),
              0u)
        << out;
    EXPECT_NE(out.find(" Map calculation completed in:         0.00 seconds (      0.00 minutes).\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("           0  atoms were near"), std::string::npos) << out;
    EXPECT_EQ(rstate.gridmax[0], 250);
    EXPECT_EQ(rstate.gridmax[1], 250);
    EXPECT_EQ(rstate.gridmax[2], nz);
    for (int c = 0; c < 6; ++c) EXPECT_EQ(other.celli->cell[c], tc.celli->cell[c]);
    ASSERT_EQ(back.points(), g.points());
    EXPECT_EQ(0, std::memcmp(back.dist.data(), g.dist.data(), g.dist.size() * sizeof(float)));
    // Positions of the read grid at the assumed grid size.
    float xyz[3];
    grid_point_position(params, *other.celli, 250, 3, nz, xyz);
    const std::size_t p = back.index(250, 3, nz);
    EXPECT_EQ(back.x[p], xyz[0]);
    EXPECT_EQ(back.y[p], xyz[1]);
    EXPECT_EQ(back.z[p], xyz[2]);
  }
  fs::remove_all(dir);
}

// A name longer than 80 characters is used whole.
TEST(MapFile, LongNameIsNotCut) {
  const fs::path dir = temp_dir("long") / std::string(50, 'd');
  fs::create_directories(dir);
  test::test_crystal tc(cell20, no_shift, test::ops_p1());
  grid_store g;
  fill_test_grid(g, 2, 3, 4);
  run_state state;
  state.gridmax[0] = 2;
  state.gridmax[1] = 3;
  state.gridmax[2] = 4;
  const fs::path path = dir / "a_rather_long_base_name_channel_2.0.map";
  ASSERT_GT(path.string().size(), 80u);
  ASSERT_LE(path.string().size(), 132u);
  state.mapname = path.string();
  quiet([&] { write_distance_map(*tc.celli, g, state); });
  EXPECT_TRUE(fs::exists(path));
  run_params params;
  run_flags flags;
  run_state rstate;
  rstate.mapfile = path.string();
  grid_store back;
  quiet([&] { read_distance_map(params, flags, *tc.celli, back, rstate); });
  EXPECT_EQ(back.dist, g.dist);
  fs::remove_all(dir.parent_path());
}

TEST(MapFile, NameFromEnvironment) {
  const fs::path dir = temp_dir("env");
  test::test_crystal tc(cell20, no_shift, test::ops_p1());
  grid_store g;
  fill_test_grid(g, 4, 5, 6);
  run_state state;
  state.gridmax[0] = 4;
  state.gridmax[1] = 5;
  state.gridmax[2] = 6;
  setenv("PORVANE_DISTMAP_TEST_MAP", (dir / "from_env.map").c_str(), 1);
  state.mapname = "PORVANE_DISTMAP_TEST_MAP";
  quiet([&] { write_distance_map(*tc.celli, g, state); });
  unsetenv("PORVANE_DISTMAP_TEST_MAP");
  EXPECT_TRUE(fs::exists(dir / "from_env.map"));
  EXPECT_EQ(read_raw(dir / "from_env.map").word(3), 7);
  fs::remove_all(dir);
}

// Writes a map with the library directly, with header values this program
// would never write.
void write_odd_map(const fs::path& path, const int dim[3], const int origin[3], const int grid[3],
                   unsigned int mode) {
  auto* mf = static_cast<CMap_io::CMMFile*>(CMap_io::ccp4_cmap_open(path.c_str(), O_WRONLY));
  ASSERT_NE(mf, nullptr);
  const float cell[6] = {30, 30, 30, 90, 90, 90};
  const int order[3] = {1, 2, 3};
  CMap_io::ccp4_cmap_set_cell(mf, cell);
  CMap_io::ccp4_cmap_set_grid(mf, grid);
  CMap_io::ccp4_cmap_set_order(mf, order);
  CMap_io::ccp4_cmap_set_dim(mf, dim);
  CMap_io::ccp4_cmap_set_origin(mf, origin);
  CMap_io::ccp4_cmap_set_spacegroup(mf, 1);
  CMap_io::ccp4_cmap_set_datamode(mf, mode);
  std::vector<float> section(static_cast<std::size_t>(dim[0]) * dim[1], 1.0f);
  for (int k = 0; k < dim[2]; ++k) CMap_io::ccp4_cmap_write_section(mf, section.data());
  CMap_io::ccp4_cmap_close(mf);
}

int read_status(const fs::path& path, grid_store& back) {
  run_params params;
  run_flags flags;
  run_state state;
  state.mapfile = path.string();
  test::test_crystal tc(cell20, no_shift, test::ops_p1());
  try {
    quiet([&] { read_distance_map(params, flags, *tc.celli, back, state); });
  } catch (const run_stop& stop) {
    EXPECT_NE(stop.message.find(path.string()), std::string::npos) << stop.message;
    return stop.status;
  }
  return -1;
}

TEST(MapFile, MapsThatDoNotFitStopCleanly) {
  const fs::path dir = temp_dir("odd");
  grid_store back;
  struct odd {
    int dim[3], origin[3], grid[3];
    unsigned int mode;
  };
  const odd cases[] = {
      {{10, 2, 2}, {245, 0, 0}, {250, 1, 1}, FLOAT32},   // columns 245..254
      {{300, 2, 2}, {0, 0, 0}, {299, 1, 1}, FLOAT32},    // sampling above 250
      {{5, 2, 2}, {-1, 0, 0}, {4, 1, 1}, FLOAT32},       // starts below 0
      {{5, 9, 2}, {0, 0, 0}, {4, 4, 1}, FLOAT32},        // rows beyond the sampling
      {{5, 5, 5}, {0, 0, 0}, {4, 4, 4}, 0},              // bytes, not reals
  };
  int n = 0;
  for (const odd& c : cases) {
    const fs::path path = dir / ("odd" + std::to_string(n++) + ".map");
    write_odd_map(path, c.dim, c.origin, c.grid, c.mode);
    EXPECT_EQ(read_status(path, back), library_fatal) << path;
  }
  // A map that fits but starts inside the grid fills only its own points.
  const int dim[3] = {3, 2, 2}, origin[3] = {2, 3, 0}, grid[3] = {4, 4, 1};
  write_odd_map(dir / "part.map", dim, origin, grid, FLOAT32);
  EXPECT_EQ(read_status(dir / "part.map", back), -1);
  EXPECT_EQ(back.dist[back.index(2, 3, 0)], 1.0f);
  EXPECT_EQ(back.dist[back.index(4, 4, 1)], 1.0f);
  EXPECT_EQ(back.dist[back.index(1, 3, 0)], 0.0f);
  fs::remove_all(dir);
}

TEST(MapFileDeathTest, MissingOrForeignFileIsTheLibrarysFatalError) {
  const fs::path dir = temp_dir("fatal");
  {
    std::ofstream junk(dir / "junk.map", std::ios::binary);
    junk << std::string(2000, 'x');
  }
  grid_store back;
  EXPECT_EXIT(read_status(dir / "missing.map", back), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(read_status(dir / "junk.map", back), ::testing::ExitedWithCode(1), "");
  // A map that cannot be created: its directory does not exist.
  test::test_crystal tc(cell20, no_shift, test::ops_p1());
  grid_store g;
  fill_test_grid(g, 2, 2, 2);
  run_state state;
  state.gridmax[0] = state.gridmax[1] = state.gridmax[2] = 2;
  state.mapname = (dir / "no" / "such.map").string();
  EXPECT_EXIT(write_distance_map(*tc.celli, g, state), ::testing::ExitedWithCode(1), "");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
