// Every real structure: the map written by a run, read with a reader of our
// own (the 1024-byte header by word number, then the values).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/run_program.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;

using testing::map_word;

TEST(EndToEndMaps, EveryStructureWritesItsMap) {
  const fs::path dir = testing::fresh_directory("maps");
  for (const auto& entry : fs::directory_iterator(std::string(PORVANE_TEST_DATA) + "/pdb")) {
    const std::string name = entry.path().filename().string();
    fs::copy_file(entry.path(), dir / name, fs::copy_options::overwrite_existing);
    const auto run = testing::run_program(PORVANE_BINARY, {"-f", name}, dir);
    ASSERT_EQ(run.status, 0) << name << run.err;
    const std::size_t points = run.out.find("Number of gridpoints:");
    ASSERT_NE(points, std::string::npos) << name;
    const std::string map = testing::read_file(dir / (entry.path().stem().string() + "_channel_2.0.map"));
    ASSERT_GT(map.size(), 1024u) << name;
    // Columns, rows, sections from 0 on a sampling of the intervals, 32-bit
    // reals, axes 1 2 3, space group 1, one label "testmap".
    const int32_t nc = map_word(map, 1), nr = map_word(map, 2), ns = map_word(map, 3);
    EXPECT_EQ(static_cast<long>(nc) * nr * ns, std::stol(run.out.substr(points + 21))) << name;
    EXPECT_EQ(map.size(), 1024u + 4u * static_cast<std::size_t>(nc * nr * ns)) << name;
    std::vector<int32_t> words;
    for (int w : {4, 5, 6, 7, 8, 9, 10, 17, 18, 19, 23, 56}) words.push_back(map_word(map, w));
    EXPECT_EQ(words, (std::vector<int32_t>{2, 0, 0, 0, nc - 1, nr - 1, ns - 1, 1, 2, 3, 1, 1})) << name;
    EXPECT_EQ(map.substr(208, 4) + map.substr(224, 7), "MAP testmap") << name;
    EXPECT_LT(map_word<float>(map, 21), 10000.0f) << name;  // every point saw an atom copy
    // The cell of the map is the crystal's: a, b, c and the angles of CRYST1.
    const std::string pdb = testing::read_file(entry.path());
    const std::size_t cryst = pdb.rfind("\nCRYST1", pdb.find("\nATOM")) + 1;
    for (int c = 0; c < 6; ++c)
      EXPECT_FLOAT_EQ(map_word<float>(map, 11 + c), std::stof(pdb.substr(cryst + (c < 3 ? 6 + 9 * c : 33 + 7 * (c - 3)), 9)))
          << name;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
