// Every real structure: the map written by a run, read back with a reader of
// our own (the 1024-byte header by word number, then the values).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "support/run_program.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using testing::fresh_directory;
using testing::read_file;
using testing::run_program;

int32_t word_i(const std::string& map, int word) {
  int32_t v;
  std::memcpy(&v, map.data() + 4 * (word - 1), 4);
  return v;
}
float word_f(const std::string& map, int word) {
  float v;
  std::memcpy(&v, map.data() + 4 * (word - 1), 4);
  return v;
}

TEST(EndToEndMaps, EveryStructureWritesAMapThatReadsBack) {
  fs::path dir = fresh_directory("maps");
  for (const auto& entry : fs::directory_iterator(std::string(PORVANE_TEST_DATA) + "/pdb")) {
    const std::string name = entry.path().filename().string();
    fs::copy_file(entry.path(), dir / name, fs::copy_options::overwrite_existing);
    auto run = run_program(PORVANE_BINARY, {"-f", name}, dir);
    ASSERT_EQ(run.status, 0) << name << run.err;
    const std::size_t points = run.out.find("Number of gridpoints:");
    ASSERT_NE(points, std::string::npos) << name;
    const std::string map = read_file(dir / (entry.path().stem().string() + "_channel_2.0.map"));
    ASSERT_GT(map.size(), 1024u) << name;

    // Columns, rows, sections from 0 on a sampling of the intervals, 32-bit
    // reals, axes 1 2 3, space group 1, one label "testmap".
    const int32_t nc = word_i(map, 1), nr = word_i(map, 2), ns = word_i(map, 3);
    EXPECT_EQ(static_cast<long>(nc) * nr * ns, std::stol(run.out.substr(points + 21))) << name;
    EXPECT_EQ(map.size(), 1024u + 4u * static_cast<std::size_t>(nc * nr * ns)) << name;
    std::vector<int32_t> words;
    for (int w : {4, 5, 6, 7, 8, 9, 10, 17, 18, 19, 23, 56}) words.push_back(word_i(map, w));
    EXPECT_EQ(words, (std::vector<int32_t>{2, 0, 0, 0, nc - 1, nr - 1, ns - 1, 1, 2, 3, 1, 1})) << name;
    EXPECT_EQ(map.substr(208, 4) + map.substr(224, 7), "MAP testmap") << name;

    const std::size_t n = (map.size() - 1024) / 4;
    std::vector<float> values(n);
    std::memcpy(values.data(), map.data() + 1024, 4 * n);
    double sum = 0, lo = values[0], hi = values[0];
    for (float v : values) {
      sum += v;
      lo = std::min<double>(lo, v);
      hi = std::max<double>(hi, v);
    }
    const double mean = sum / static_cast<double>(n);
    double sq = 0;
    for (float v : values) sq += (v - mean) * (v - mean);
    EXPECT_EQ(word_f(map, 20), lo) << name;
    EXPECT_EQ(word_f(map, 21), hi) << name;
    EXPECT_NEAR(word_f(map, 22), mean, 1e-4 * (1 + std::fabs(mean))) << name;
    EXPECT_NEAR(word_f(map, 55), std::sqrt(sq / static_cast<double>(n)), 1e-3) << name;
    EXPECT_LT(hi, 10000.0) << name;  // every point saw an atom copy

    // The cell of the map is the crystal's: a, b, c and the angles of CRYST1.
    const std::string pdb = read_file(entry.path());
    const std::size_t cryst = pdb.rfind("\nCRYST1", pdb.find("\nATOM")) + 1;
    ASSERT_NE(cryst, 0u) << name;
    for (int c = 0; c < 6; ++c) {
      const int width = c < 3 ? 9 : 7, start = c < 3 ? 6 + 9 * c : 33 + 7 * (c - 3);
      EXPECT_FLOAT_EQ(word_f(map, 11 + c), std::stof(pdb.substr(cryst + start, width))) << name;
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
