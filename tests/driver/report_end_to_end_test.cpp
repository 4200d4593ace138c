// Whole reports of real structures, run end to end and compared line by line
// (processor-time figures masked). Reports with the channel analysis:
// channel_stages_test.cpp.
#include <gtest/gtest.h>

#include "support/report_cases.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using testing::expect_reports;
using testing::fresh_directory;
using testing::read_file;
using testing::run_program;

TEST(EndToEnd, HeaderReports) {
  expect_reports("header_reports",
                 {{"pdb/3al1.pdb", {"-ho", "-vb", "1"}, "reports/3al1_ho_vb1.txt"},  // triclinic, REMARK 285
                  {"pdb/1hpv.pdb", {"-ho", "-vb", "1"}, "reports/1hpv_ho_vb1.txt"}});  // symmetry library
}

// The map of one run read back by the next: the same completion, no new map.
TEST(EndToEnd, MapWrittenThenReadBack) {
  const fs::path dir = fresh_directory("map_read_back");
  fs::copy_file(std::string(PORVANE_TEST_DATA) + "/pdb/1ubq.pdb", dir / "1ubq.pdb");
  const std::string reports = std::string(PORVANE_TEST_DATA) + "/reports/";
  auto first = run_program(PORVANE_BINARY, {"1ubq.pdb"}, dir);
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(testing::mask_times(first.out), testing::mask_times(read_file(reports + "1ubq_default.txt")));
  const fs::path map = dir / "1ubq_channel_2.0.map";
  // 25 x 21 x 14 intervals: 26 x 22 x 15 points of 4 bytes after the 1024-byte header.
  EXPECT_EQ(fs::file_size(map), 1024u + 26u * 22u * 15u * 4u);
  const std::string first_map = read_file(map);
  auto second = run_program(PORVANE_BINARY, {"-rm", "1ubq_channel_2.0.map", "1ubq.pdb"}, dir);
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(testing::mask_times(second.out), testing::mask_times(read_file(reports + "1ubq_rm.txt")));
  EXPECT_EQ(read_file(map), first_map);  // -rm writes no map
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
