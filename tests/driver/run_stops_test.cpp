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
  for (std::size_t k : {8, 9, 10, 11, 12, 13, 18, 19, 20}) EXPECT_EQ(results[k].out, "") << k;
  for (std::size_t k = 15; k < 17; ++k) EXPECT_NE(results[k].out.find("usage"), std::string::npos) << k;

  const fs::path dir = fresh_directory("io_stops");
  auto missing = run_program(PORVANE_BINARY, {"no_such_file.pdb"}, dir);
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("no_such_file.pdb"), std::string::npos) << missing.err;
  fs::create_directories(dir / "a_directory.pdb");
  auto unreadable = run_program(PORVANE_BINARY, {"a_directory.pdb"}, dir);
  EXPECT_EQ(unreadable.status, 2);
  EXPECT_NE(unreadable.err.find("a_directory.pdb"), std::string::npos) << unreadable.err;
  // A map that cannot be created, or written whole (a file-size limit cuts
  // its last part), leaves the link at its name and the old map as they were;
  // the next run replaces the link, and writes no file an environment
  // variable of the map's name gives.
  const std::string map = "one_atom_channel_2.0.map", long_name = std::string(250, 'x') + ".pdb";
  fs::copy_file(std::string(PORVANE_TEST_DATA) + "/stops/one_atom.pdb", dir / "one_atom.pdb");
  auto blank_ended = run_program(PORVANE_BINARY, {"one_atom.pdb "}, dir);  // the name as typed
  EXPECT_EQ(blank_ended.status, 2);
  EXPECT_NE(blank_ended.err.find("'one_atom.pdb '"), std::string::npos) << blank_ended.err;
  // An option whose value is missing, as it comes last.
  for (const auto& [option, what] :
       {std::pair<std::string, std::string>{"-re", "a value"}, {"-rm", "a map file name"}}) {
    const auto last = run_program(PORVANE_BINARY, {"one_atom.pdb", option}, dir);
    EXPECT_EQ(last.status, 2);
    EXPECT_EQ(last.out, "");
    EXPECT_EQ(last.err, "porvane: " + option + " needs " + what + "; it is the last argument\n");
  }
  fs::copy_file(dir / "one_atom.pdb", dir / long_name);
  std::ofstream(dir / "old.map") << "old";
  fs::create_symlink("old.map", dir / map);
  auto too_long = run_program(PORVANE_BINARY, {long_name}, dir);
  EXPECT_EQ(too_long.status, 1);
  EXPECT_NE(too_long.err.find("_channel_2.0.map': File name too long"), std::string::npos) << too_long.err;
  testing::run_limits limits;
  limits.file_bytes = 35000;  // of 35344
  auto full = run_program(PORVANE_BINARY, {"one_atom.pdb"}, dir, {}, limits);
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "porvane: cannot write map file '" + map + "': File too large\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5);
  EXPECT_EQ(run_program(PORVANE_BINARY, {"one_atom.pdb"}, dir, {map + "=elsewhere.map"}).status, 0);
  EXPECT_EQ(fs::file_size(dir / map), 35344u);
  EXPECT_EQ(fs::file_size(dir / "old.map"), 3u);
  EXPECT_FALSE(fs::exists(dir / "elsewhere.map"));
  // A report that standard output refuses (a full disk): status 2 and one message.
  for (const std::string args : {"-h", "-ho one_atom.pdb"}) {
    const auto refused = run_program("/bin/sh", {"-c", "exec " PORVANE_BINARY " " + args + " >/dev/full"}, dir);
    EXPECT_EQ(refused.status, 2) << args;
    EXPECT_EQ(refused.err, "porvane: cannot write the report to standard output: No space left on device\n") << args;
  }
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
