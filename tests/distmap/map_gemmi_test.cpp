// The map as a real client reads it: gemmi (Debian's python3-gemmi) opens the
// map of a run and its values, cell, order and statistics must agree with
// the grid-point file of the same run; and the map as gemmi stores it in
// other axis orders is read back as the same map.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/report_cases.hpp"
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

// The map of 1ejg (20 x 9 x 11 intervals in a monoclinic cell) rewritten by
// gemmi with its columns, rows and sections along other axes, once with a
// border of NaN around the grid: each reads back with the report of the map
// as written, so the values lie where they were computed.
TEST(MapInGemmiEndToEnd, OtherAxisOrdersReadAsTheSameMap) {
  const std::string rewriter = std::string(PORVANE_TEST_DATA) + "/../distmap/rewrite_map_gemmi.py";
  const fs::path dir = testing::fresh_directory("map_gemmi_order");
  fs::copy_file(std::string(PORVANE_TEST_DATA) + "/pdb/1ejg.pdb", dir / "1ejg.pdb");
  ASSERT_EQ(testing::run_program(PORVANE_BINARY, {"1ejg.pdb"}, dir).status, 0);
  const auto read_back = [&](const std::string& map) {
    return testing::run_program(PORVANE_BINARY, {"-rm", map, "1ejg.pdb"}, dir);
  };
  const std::string written = testing::mask_times(read_back("1ejg_channel_2.0.map").out);
  for (const std::string order : {"3,1,2", "2,1,3", "2,3,1 2"}) {
    std::vector<std::string> args = {rewriter, "1ejg_channel_2.0.map", "other.map"};
    for (const std::string& w : testing::words(order)) args.push_back(w);
    const auto rewrite = testing::run_program("/usr/bin/python3", args, dir);
    ASSERT_EQ(rewrite.status, 0) << rewrite.out << rewrite.err;
    const auto run = read_back("other.map");
    EXPECT_EQ(run.status, 0) << order << "\n" << run.err;
    EXPECT_EQ(testing::mask_times(run.out), written) << order;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
