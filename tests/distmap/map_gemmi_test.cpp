// The map as a real client reads it: gemmi (Debian's python3-gemmi) opens the
// map of a run and its values, cell, order and statistics must agree with
// the grid-point file of the same run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;

TEST(MapInGemmiEndToEnd, ValuesCellAndStatisticsAgreeWithTheGridFile) {
  const std::string checker = std::string(PORVANE_TEST_DATA) + "/../distmap/check_map_gemmi.py";
  // An orthorhombic cell, a triclinic one, and a map read back with -rm.
  const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
      {"1ubq", {"-cm"}}, {"3al1", {"-cm", "-re", "1.5"}}, {"3al1", {"-cm", "-re", "1.5", "-rm", "3al1_channel_1.5.map"}}};
  const fs::path dir = testing::fresh_directory("map_gemmi");
  for (const auto& [name, options] : runs) {
    fs::copy_file(std::string(PORVANE_TEST_DATA) + "/pdb/" + name + ".pdb", dir / (name + ".pdb"),
                  fs::copy_options::overwrite_existing);
    fs::remove(dir / (name + "_grid.pdb"));
    std::vector<std::string> args = options;
    args.push_back(name + ".pdb");
    const auto run = testing::run_program(PORVANE_BINARY, args, dir);
    ASSERT_EQ(run.status, 0) << name << run.err;
    const std::string map = name + (options.size() > 1 ? "_channel_1.5.map" : "_channel_2.0.map");
    const auto check = testing::run_program("/usr/bin/python3", {checker, map, name + "_grid.pdb"}, dir);
    EXPECT_EQ(check.status, 0) << name << "\n" << check.out << check.err
                               << (check.status == 127 ? "\n(scripts/setup.sh installs python3-gemmi)" : "");
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
