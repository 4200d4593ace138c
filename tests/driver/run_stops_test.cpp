// Every early stop of a run and its exit status, run end to end.
#include <gtest/gtest.h>

#include <fstream>

#include "support/report_cases.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using testing::expect_reports;
using testing::fresh_directory;
using testing::run_program;

// Every early stop of tests/data/cases/stops.txt, with its status and message.
TEST(RunStops, StatusAndMessageOfEveryStop) {
  const auto results = expect_reports("stops", testing::report_table("cases/stops.txt"));
  EXPECT_NE(results[7].out.find("Reading previously written distance map"), std::string::npos);
  for (std::size_t k = 8; k < 14; ++k) EXPECT_EQ(results[k].out, "") << k;
  for (std::size_t k = 15; k < 17; ++k) EXPECT_NE(results[k].out.find("usage"), std::string::npos) << k;

  const fs::path dir = fresh_directory("io_stops");
  auto missing = run_program(PORVANE_BINARY, {"no_such_file.pdb"}, dir);
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("no_such_file.pdb"), std::string::npos) << missing.err;
  fs::create_directories(dir / "a_directory.pdb");
  auto unreadable = run_program(PORVANE_BINARY, {"a_directory.pdb"}, dir);
  EXPECT_EQ(unreadable.status, 2);
  EXPECT_NE(unreadable.err.find("a_directory.pdb"), std::string::npos) << unreadable.err;
  // The map name names an environment variable whose value is a path that
  // cannot be created.
  fs::copy_file(std::string(PORVANE_TEST_DATA) + "/stops/one_atom.pdb", dir / "one_atom.pdb");
  auto unwritable = run_program(PORVANE_BINARY, {"one_atom.pdb"}, dir,
                                {"one_atom_channel_2.0.map=/no/such/directory/ok.map"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.out.find("Writing header..."), std::string::npos);
  fs::remove_all(dir);
}

TEST(RunStops, TooManyAtomsStopsBeforeTheMap) {
  const fs::path dir = fresh_directory("many_atoms");
  std::string text = testing::read_file(std::string(PORVANE_TEST_DATA) + "/stops/one_atom.pdb");
  text.resize(text.rfind("ATOM"));
  text.reserve(text.size() + 250001 * 81);
  for (int a = 1; a <= 250001; ++a) {
    char buf[96];
    std::snprintf(buf, sizeof buf,
                  "ATOM  %5d  CA  ALA A%4d    %8.3f%8.3f%8.3f  1.00 20.00           C%*s\n",
                  a % 100000, a % 10000, (a % 50) * 1.0, (a / 50 % 40) * 1.0, (a / 2000) * 0.2, 2, "");
    text += buf;
  }
  std::ofstream(dir / "many.pdb", std::ios::binary) << text;
  auto result = run_program(PORVANE_BINARY, {"-nm", "many.pdb"}, dir);
  EXPECT_EQ(result.status, 0);
  const std::string tail = " Number of atoms read:       250001\n"
                           " Max number of atoms:       250000\n"
                           " Increase maxatoms and recompile.\n";
  ASSERT_GE(result.out.size(), tail.size());
  EXPECT_EQ(result.out.substr(result.out.size() - tail.size()), tail);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
