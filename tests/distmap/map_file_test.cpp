// The map file: its 1024-byte header and data read here without the library,
// and the round trip through read_distance_map.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <numeric>

#include "common/run_stop.hpp"
#include "distmap/map_file.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "distmap_test_support.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
const std::vector<double> cell = {40.0, 60.0, 80.0, 90, 95, 90};

// Word n (1-based) of a map file of this machine's byte order.
template <class T = int32_t>
T word(const std::string& bytes, std::size_t n) {
  T v;
  std::memcpy(&v, bytes.data() + 4 * (n - 1), 4);
  return v;
}

void write_map(const crystal_record& celli, const grid_store& g, const std::string& name) {
  run_state state;
  std::copy(g.n, g.n + 3, state.gridmax);
  state.mapname = name;
  EXPECT_EQ(test::quiet([&] { write_distance_map(celli, g, state); }),
            " Writing map...\n Writing header...\n Writing map...\n Closing map...\n");
}

// Reads a map; returns the exit status of a stop (the file named in its
// message), else -1 and the read grid counts in `gridmax`.
int read_map(const std::string& name, crystal_record& celli, grid_store& back, run_params params = {},
             int32_t* gridmax = nullptr) {
  run_flags flags;
  run_state state;
  state.mapfile = name;
  try {
    test::quiet([&] { read_distance_map(params, flags, celli, back, state); });
  } catch (const run_stop& stop) {
    EXPECT_NE(stop.message.find(name), std::string::npos) << stop.message;
    return stop.status;
  }
  if (gridmax != nullptr) std::copy(state.gridmax, state.gridmax + 3, gridmax);
  return -1;
}

// Writes and reads back grids up to full 251 × 251 sections, under a plain
// name, a name longer than 80 characters and a name from the environment.
TEST(MapFile, HeaderEveryValueAndReadBack) {
  const fs::path dir = porvane::testing::fresh_directory("distmap_map");
  const auto tc = test::make_crystal(cell, "P 1");
  std::mt19937 rng(31);
  const fs::path deep = dir / std::string(50, 'd') / "a_rather_long_base_name_channel_2.0.map";
  fs::create_directories(deep.parent_path());
  ASSERT_TRUE(deep.string().size() > 80 && deep.string().size() <= 132) << deep;
  setenv("PORVANE_DISTMAP_TEST_MAP", (dir / "from_env.map").c_str(), 1);
  for (const auto& [nx, ny, nz, name, path] :
       {std::tuple<int32_t, int32_t, int32_t, std::string, std::string>{20, 30, 40, dir / "1abc_channel_2.0.map", ""},
        {250, 250, 3, deep, ""}, {250, 250, 0, "PORVANE_DISTMAP_TEST_MAP", dir / "from_env.map"}}) {
    grid_store g, back;
    g.resize(nx, ny, nz);
    std::uniform_real_distribution<float> u(nz == 40 ? 0.5f : -1.9f, 25.0f);  // all above zero, or not
    for (float& d : g.dist) d = u(rng);
    write_map(*tc, g, name);
    const std::string m = porvane::testing::read_file(path.empty() ? name : path);
    const std::size_t data = 1024u + word(m, 24);
    ASSERT_EQ(m.size(), data + 4 * g.points()) << name;
    // Columns, rows, sections; mode 2; first column, row, section 0; sampling; cell; axes 1 2 3;
    // the true minimum and maximum.
    std::vector<int32_t> head = {nx + 1, ny + 1, nz + 1, 2, 0, 0, 0, nx, ny, nz};
    for (float c : tc->cell) head.push_back(std::bit_cast<int32_t>(c));
    const auto [lo, hi] = std::minmax_element(g.dist.begin(), g.dist.end());
    head.insert(head.end(), {1, 2, 3, std::bit_cast<int32_t>(*lo), std::bit_cast<int32_t>(*hi)});
    for (std::size_t w = 1; w <= 21; ++w) EXPECT_EQ(word(m, w), head[w - 1]) << w;
    EXPECT_NEAR(word<float>(m, 22), std::accumulate(g.dist.begin(), g.dist.end(), 0.0) / g.dist.size(), 1e-3);
    EXPECT_EQ(word(m, 23), 1);  // space group
    EXPECT_EQ(m.substr(4 * 52, 4), "MAP ");
    EXPECT_GE(word(m, 56), 1);
    EXPECT_EQ(m.substr(4 * 56, 7), "testmap");
    // Every value: columns fastest, then rows, then sections, as the grid holds them.
    EXPECT_EQ(0, std::memcmp(m.data() + data, g.dist.data(), 4 * g.points())) << name;

    const auto other = test::make_crystal(cell, "P 1");
    other->cell[0] = 1.0f;  // the read map's cell replaces it
    run_params params;
    params.gridsize = 1.5f;
    int32_t gridmax[3];
    ASSERT_EQ(read_map(name, *other, back, params, gridmax), -1);
    EXPECT_EQ(std::vector<int32_t>(gridmax, gridmax + 3), std::vector<int32_t>({nx, ny, nz}));
    EXPECT_EQ(std::vector<float>(other->cell, other->cell + 6), std::vector<float>(tc->cell, tc->cell + 6));
    ASSERT_EQ(back.points(), g.points());
    EXPECT_EQ(0, std::memcmp(back.dist.data(), g.dist.data(), g.dist.size() * sizeof(float)));
    float xyz[3];  // positions at the assumed grid size
    grid_point_position(*other, params.gridsize, nx, 3, nz, xyz);
    const std::size_t p = back.index(nx, 3, nz);
    EXPECT_EQ(std::vector<float>({back.x[p], back.y[p], back.z[p]}), std::vector<float>(xyz, xyz + 3));
  }
  unsetenv("PORVANE_DISTMAP_TEST_MAP");
  fs::remove_all(dir);
}

// A map of 10 × 2 × 2 ones written here, its header words 1-10 then changed:
// columns, rows, sections, mode, first column, row, section, sampling.
TEST(MapFile, MapsThatDoNotFitStopCleanly) {
  const fs::path dir = porvane::testing::fresh_directory("distmap_odd");
  const auto tc = test::make_crystal(cell, "P 1");
  grid_store g, back;
  g.resize(9, 1, 1);
  std::fill(g.dist.begin(), g.dist.end(), 1.0f);
  write_map(*tc, g, dir / "ones.map");
  const std::string ones = porvane::testing::read_file(dir / "ones.map");
  for (const auto& words : {std::vector<int32_t>{10, 2, 2, 2, 245, 0, 0, 250, 1, 1},  // columns 245..254
                            {5, 2, 2, 2, 0, 0, 0, 299, 1, 1},                        // sampling above 250
                            {5, 2, 2, 2, -1, 0, 0, 4, 1, 1},                         // starts below 0
                            {2, 5, 2, 2, 0, 0, 0, 4, 3, 1},                          // rows beyond the sampling
                            {3, 2, 2, 0, 0, 0, 0, 2, 1, 1},                          // bytes, not reals
                            {3, 2, 2, 2, 2, 3, 0, 4, 4, 1}}) {                       // fits: from (2, 3, 0)
    std::string m = ones;
    std::memcpy(m.data(), words.data(), 40);
    std::ofstream(dir / "odd.map", std::ios::binary) << m;
    EXPECT_EQ(read_map(dir / "odd.map", *tc, back), words[4] == 2 ? -1 : library_fatal) << words[0] << " " << words[4];
  }
  // The map that fits fills only its own points.
  EXPECT_EQ(std::vector<float>({back.dist[back.index(2, 3, 0)], back.dist[back.index(4, 4, 1)],
                                 back.dist[back.index(1, 3, 0)]}), std::vector<float>({1.0f, 1.0f, 0.0f}));
  fs::remove_all(dir);
}

// A missing file, a file that is not a map, and a map that cannot be created.
TEST(MapFileDeathTest, MissingOrForeignFileIsTheLibrarysFatalError) {
  const fs::path dir = porvane::testing::fresh_directory("distmap_fatal");
  std::ofstream(dir / "junk.map", std::ios::binary) << std::string(2000, 'x');
  const auto tc = test::make_crystal(cell, "P 1");
  grid_store back;
  EXPECT_EXIT(read_map(dir / "missing.map", *tc, back), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(read_map(dir / "junk.map", *tc, back), ::testing::ExitedWithCode(1), "");
  back.resize(2, 2, 2);
  EXPECT_EXIT(write_map(*tc, back, dir / "no" / "such.map"), ::testing::ExitedWithCode(1), "");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
