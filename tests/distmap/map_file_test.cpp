// The map file: its 1024-byte header and data read here without the library,
// and the round trip through read_distance_map.
#include <gtest/gtest.h>

#include <cstring>

#include "common/run_stop.hpp"
#include "distmap/map_file.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "distmap_test_support.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;

using testing::map_word;

void write_map(const crystal_record& celli, const grid_store& g, const std::string& name) {
  run_state state;
  std::copy(g.n, g.n + 3, state.gridmax);
  state.mapname = name;
  EXPECT_EQ(testing::captured_report([&] { write_distance_map(celli, g, state); }),
            " Writing map...\n Writing header...\n Writing map...\n Closing map...\n");
}

// Reads a map; returns the exit status of a stop (the file named in its
// message, kept in `message`), else -1 and the read grid counts in `gridmax`.
int read_map(const std::string& name, crystal_record& celli, grid_store& back, run_params params = {},
             int32_t* gridmax = nullptr, std::string* message = nullptr) {
  run_flags flags;
  run_state state;
  state.mapfile = name;
  try {
    testing::captured_report([&] {
      const map_source map = check_distance_map(params, state);
      std::copy(map.header.cell, map.header.cell + 6, celli.cell);  // as the run takes a map's cell
      read_distance_map(map, params, flags, celli, back, state);
    });
  } catch (const run_stop& stop) {
    EXPECT_NE(stop.message.find(name), std::string::npos) << stop.message;
    if (message != nullptr) *message = stop.message;
    return stop.status;
  }
  if (gridmax != nullptr) std::copy(state.gridmax, state.gridmax + 3, gridmax);
  return -1;
}

// Writes and reads back grids up to full 251 × 251 sections, under a plain
// name, a name longer than 80 characters and, read back, the name of an
// environment variable that gives the file; the cells are those a grid size
// of 1.5 gives the grids in.
TEST(MapFile, HeaderEveryValueAndReadBack) {
  const fs::path dir = porvane::testing::fresh_directory("distmap_map");
  std::mt19937 rng(31);
  const fs::path deep = dir / std::string(50, 'd') / "a_rather_long_base_name_channel_2.0.map";
  fs::create_directories(deep.parent_path());
  ASSERT_TRUE(deep.string().size() > 80 && deep.string().size() <= 132) << deep;
  setenv("PORVANE_DISTMAP_TEST_MAP", (dir / "from_env.map").c_str(), 1);
  for (const auto& [nx, ny, nz, name, read_name] :
       {std::tuple<int32_t, int32_t, int32_t, std::string, std::string>{20, 30, 40, dir / "1abc_channel_2.0.map", ""},
        {250, 250, 3, deep, ""}, {250, 250, 1, dir / "from_env.map", "PORVANE_DISTMAP_TEST_MAP"}}) {
    const std::vector<double> cell = {1.5 * nx, 1.5 * ny, 1.5 * nz, 90, 95, 90};
    const auto tc = test::make_crystal(cell, "P 1");
    grid_store g, back;
    g.resize(nx, ny, nz);
    std::uniform_real_distribution<float> u(nz == 40 ? 0.5f : -1.9f, 25.0f);  // all above zero, or not
    for (float& d : g.dist) d = u(rng);
    write_map(*tc, g, name);
    const std::string m = porvane::testing::read_file(name);
    const std::size_t data = 1024u + map_word(m, 24);
    ASSERT_EQ(m.size(), data + 4 * g.points()) << name;
    // The header words: map_end_to_end_test.cpp. The true extremes, then every value: columns
    // fastest, then rows, then sections, as the grid holds them.
    const auto [lo, hi] = std::minmax_element(g.dist.begin(), g.dist.end());
    EXPECT_EQ(std::vector<float>({map_word<float>(m, 20), map_word<float>(m, 21)}), std::vector<float>({*lo, *hi}));
    EXPECT_EQ(0, std::memcmp(m.data() + data, g.dist.data(), 4 * g.points())) << name;

    const auto other = test::make_crystal(cell, "P 1");
    other->cell[0] = 1.0f;  // the read map's cell replaces it
    run_params params;
    params.gridsize = 1.5f;
    int32_t gridmax[3];
    ASSERT_EQ(read_map(read_name.empty() ? name : read_name, *other, back, params, gridmax), -1);
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

// A map of 10 × 2 × 2 ones written here, then header words changed: maps
// that lack points of the grid 0..n of their sampling or reach more than a
// cell beyond it, other data, corrupt counts. The cell is the one a grid
// size of 2.0 gives a map of 4 × 4 × 1 intervals in.
TEST(MapFile, HeadersThatDoNotFitStopBeforeTheLibraryOpensTheFile) {
  const fs::path dir = porvane::testing::fresh_directory("distmap_odd");
  const auto tc = test::make_crystal({8, 8, 2, 90, 95, 90}, "P 1");
  grid_store g, back;
  g.resize(9, 1, 1);
  std::fill(g.dist.begin(), g.dist.end(), 1.0f);
  write_map(*tc, g, dir / "ones.map");
  const std::string ones = porvane::testing::read_file(dir / "ones.map");
  // {word, value}, ...: the status of the read and the field its message names (none: read).
  const std::vector<std::tuple<std::vector<std::pair<int, int32_t>>, int, std::string>> cases = {
      {{{1, 10}, {5, 245}, {8, 250}}, library_fatal, "lacks the planes i = 0..244 of the grid 0..250 x"},
      {{{1, 5}, {8, 299}}, library_fatal, "word 8 (sampling along x) is 299"},
      {{{3, 1}, {10, 0}}, library_fatal, "word 10 (sampling along z) is 0, outside 1..250"},
      {{{1, 5}, {5, -1}, {8, 4}}, library_fatal, "lacks the plane i = 4 of the grid 0..4 x 0..1 x 0..1 (it holds -1..3 x"},
      {{{1, 2}, {2, 8}, {8, 4}, {9, 3}}, library_fatal,
       "word 2 (number of rows) is 8: the rows end at 7, outside -3..6 (the grid 0..3 along y and a cell"},
      {{{17, 2}, {18, 1}, {5, -2}}, library_fatal, "word 5 (first of the columns) is -2, outside -1..2 (the grid 0..1 along y"},
      {{{1, 3}, {4, 0}}, library_fatal, "word 4 (data mode) is 0"},
      {{{56, 256}}, library_fatal, "word 56 (number of labels) is 256"},
      {{{56, -1}}, library_fatal, "word 56 (number of labels) is -1"},
      {{{17, 3}}, library_fatal, "word 19 (axis order) is 3"},
      {{{54, -1}}, library_fatal, "word 54 (machine stamp) is -1"},  // the library would divide by zero
      {{{24, 4000}}, library_fatal, "holds 1184 bytes, fewer than the 5184"},
      {{{1, 3}, {5, 2}, {6, 3}, {8, 4}, {9, 4}}, library_fatal,
       "lacks the planes i = 0..1 and j = 0..2 of the grid 0..4 x 0..4 x 0..1 (it holds 2..4 x 3..4 x 0..1): the map cannot be used"}};
  for (const auto& [words, status, field] : cases) {
    std::string m = ones;
    for (const auto& [w, v] : words) std::memcpy(m.data() + 4 * (w - 1), &v, 4);
    std::ofstream(dir / "odd.map", std::ios::binary) << m;
    std::string message;
    EXPECT_EQ(read_map(dir / "odd.map", *tc, back, {}, nullptr, &message), status) << field;
    EXPECT_NE(message.find(field), std::string::npos) << message;
  }
  // A map that cannot be created says why.
  try {
    write_map(*tc, back, dir / "no" / "such.map");
    ADD_FAILURE() << "no stop";
  } catch (const run_stop& stop) {
    EXPECT_EQ(stop.message, "cannot create map file '" + (dir / "no" / "such.map").string() +
                                "': No such file or directory");
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
