// Whole reports of real structures, run end to end and compared line by line
// (processor-time figures masked).
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "support/run_program.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using testing::fresh_directory;
using testing::read_file;
using testing::run_program;

// Replaces the figures of the lines that report processor time.
std::string mask_times(const std::string& report) {
  static const std::regex timed("(Est\\. time to calculate distance map:|Map calculation completed in:)(.*)");
  static const std::regex digits("[0-9]");
  std::istringstream in(report);
  std::string line, out;
  while (std::getline(in, line)) {
    std::smatch m;
    if (std::regex_search(line, m, timed))
      line = m.prefix().str() + m[1].str() + std::regex_replace(m[2].str(), digits, "#");
    out += line + "\n";
  }
  return out;
}

struct report_case {
  const char* pdb;
  std::vector<std::string> options;
  const char* expected;
};

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = fresh_directory("end_to_end"); }
  void TearDown() override { fs::remove_all(dir_); }

  // Copies the structure into the run directory, runs there, compares.
  testing::program_result run_and_compare(const report_case& c) {
    fs::copy_file(std::string(PORVANE_TEST_DATA) + "/pdb/" + c.pdb, dir_ / c.pdb,
                  fs::copy_options::overwrite_existing);
    std::vector<std::string> args = c.options;
    args.push_back(c.pdb);
    auto result = run_program(PORVANE_BINARY, args, dir_);
    EXPECT_EQ(result.status, 0) << c.expected << "\n" << result.err;
    EXPECT_EQ(mask_times(result.out),
              mask_times(read_file(std::string(PORVANE_TEST_DATA) + "/reports/" + c.expected)))
        << c.expected;
    return result;
  }
  fs::path dir_;
};

TEST_F(EndToEnd, HeaderReports) {
  run_and_compare({"3al1.pdb", {"-ho", "-vb", "1"}, "3al1_ho_vb1.txt"});  // triclinic, REMARK 285
  run_and_compare({"1hpv.pdb", {"-ho", "-vb", "1"}, "1hpv_ho_vb1.txt"});  // symmetry library
}

TEST_F(EndToEnd, StructureReportsAndDistanceMaps) {
  run_and_compare({"6ins_assembly.pdb", {"-nm", "-vb", "1"}, "6ins_nm_vb1.txt"});  // H 3, no units
  run_and_compare({"1a1f.pdb", {"-nm", "-cg"}, "1a1f_nm_cg.txt"});  // protein-DNA, pseudo-atoms
  EXPECT_FALSE(fs::exists(dir_ / "1a1f_channel_3.0.map"));
}

TEST_F(EndToEnd, MapWrittenThenReadBack) {
  run_and_compare({"1ubq.pdb", {}, "1ubq_default.txt"});
  const fs::path map = dir_ / "1ubq_channel_2.0.map";
  ASSERT_TRUE(fs::exists(map));
  // 25 x 21 x 14 intervals: 26 x 22 x 15 points of 4 bytes after the 1024-byte header.
  EXPECT_EQ(fs::file_size(map), 1024u + 26u * 22u * 15u * 4u);
  const std::string first_map = read_file(map);
  run_and_compare({"1ubq.pdb", {"-rm", "1ubq_channel_2.0.map"}, "1ubq_rm.txt"});
  EXPECT_EQ(read_file(map), first_map);  // -rm writes no map
}

TEST_F(EndToEnd, LongInputPathsAreNotCut) {
  fs::path deep = dir_;
  for (int level = 0; level < 2; ++level) deep /= "a_rather_long_directory_name_" + std::to_string(level);
  fs::create_directories(deep);
  fs::copy_file(std::string(PORVANE_TEST_DATA) + "/pdb/1ubq.pdb", deep / "1ubq.pdb");
  const std::string input = (deep / "1ubq.pdb").string();
  ASSERT_GT(input.size(), 80u);
  ASSERT_LT(input.size(), 132u);
  auto result = run_program(PORVANE_BINARY, {"-re", "4.0", input}, dir_);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(fs::exists(deep / "1ubq_channel_4.0.map"));
}

}  // namespace
}  // namespace porvane
