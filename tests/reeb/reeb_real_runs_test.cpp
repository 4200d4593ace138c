// The Reeb stage in whole runs on shared structures. Each run's report is the
// report of the same run without -rb followed by the stage's lines; those
// lines and the script equal the expected files; the script loads in PyMOL
// with the spheres and lines it lists.
#include <gtest/gtest.h>

#include "reeb_test_support.hpp"
#include "support/report_cases.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using testing::mask_times;
using testing::read_file;
using testing::run_program;

const std::string data = std::string(PORVANE_TEST_DATA) + "/";

struct reeb_run {
  std::string pdb;                   // in tests/data/pdb
  std::vector<std::string> options;  // after the input name
  std::vector<std::string> without;  // the same run without the Reeb stage
  std::string expected;              // tests/data/reeb/<expected>.txt (the stage's lines) and .py
  std::string directions;            // the directions built
  bool loop_cutoff;                  // the Reeb cutoff is the 3D radius, a cutoff of the loop
};

const std::vector<reeb_run> reeb_runs = {
    // every direction at the 3D radius (3.8 Å); P 43 21 2
    {"1a8o", {"-nm", "-re", "3.0", "-rb"}, {"-nm", "-re", "3.0"}, "1a8o_re3_rb", "123", true},
    // direction 2 alone at 1.5 Å, a cutoff the loop never met; H 3, hexagonal axes
    {"6ins_assembly", {"-nm", "-re", "4.0", "-rb", "2", "1.5"}, {"-nm", "-re", "4.0"}, "6ins_re4_rb2", "2", false},
    // every channel point along a
    {"1a8o", {"-nm", "-rb", "1", "2.2", "-ra", "0"}, {"-nm"}, "1a8o_rb1_ra0", "1", false},
    // direction 3, no trimming; triclinic
    {"3al1", {"-nm", "-rb", "3", "1.8", "-rt", "0"}, {"-nm"}, "3al1_rb3_rt0", "3", false},
    // all three directions at a given cutoff, dead ends trimmed
    {"1ubq", {"-nm", "-rb", "4", "1.6", "-rt", "2"}, {"-nm"}, "1ubq_rb4_rt2", "123", false},
    // after the single pass of -s: its 3D radius is the channel cutoff
    {"1a8o", {"-nm", "-re", "4.0", "-rb", "-s"}, {"-nm", "-re", "4.0", "-s"}, "1a8o_re4_rb_s", "123", true},
    // every verbose line of the rerun, the finders and the centring
    {"1a8o", {"-nm", "-re", "6.0", "-rb", "-vb", "2"}, {"-nm", "-re", "6.0", "-vb", "2"}, "1a8o_re6_rb_vb2", "123", true},
};

void PrintTo(const reeb_run& run, std::ostream* os) { *os << run.expected; }

class ReebEndToEndRealRuns : public ::testing::TestWithParam<reeb_run> {};

TEST_P(ReebEndToEndRealRuns, StageLinesScriptsAndPymol) {
  const reeb_run& c = GetParam();
  const fs::path dir = testing::fresh_directory("reeb_real_" + c.expected);
  const std::string input = c.pdb + ".pdb";
  fs::copy_file(data + "pdb/" + input, dir / input);
  std::vector<std::string> args = {input}, base_args = {input};
  args.insert(args.end(), c.options.begin(), c.options.end());
  base_args.insert(base_args.end(), c.without.begin(), c.without.end());
  const auto base = run_program(PORVANE_BINARY, base_args, dir);
  ASSERT_EQ(base.status, 0) << base.err;
  EXPECT_FALSE(fs::exists(dir / "reeb_graph.py"));
  const auto run = run_program(PORVANE_BINARY, args, dir);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");

  // The run's report is the report without the stage, then the stage.
  const std::string before = mask_times(base.out), report = mask_times(run.out);
  ASSERT_EQ(report.substr(0, before.size()), before);
  const std::string stage = report.substr(before.size());
  const std::string script = read_file(dir / "reeb_graph.py");
  EXPECT_EQ(stage, read_file(data + "reeb/" + c.expected + ".txt"));
  EXPECT_EQ(script, read_file(data + "reeb/" + c.expected + ".py"));

  // The rerun's rows (and verbose lines) come before the first direction, as
  // the loop printed them at the same cutoff.
  if (c.loop_cutoff) {
    const std::size_t rows_from = c.directions == "123" ? stage.find('\n') + 1 : 0;
    const std::string rows = stage.substr(rows_from, stage.find("  Calculating reeb graph") - rows_from);
    EXPECT_FALSE(rows.empty());
    EXPECT_NE(before.find(rows), std::string::npos) << rows;
  }

  // PyMOL draws a sphere per node and a line per edge of the script.
  const auto pymol = test::check_in_pymol(script);
  EXPECT_EQ(pymol.status, 0) << pymol.out << pymol.err;
  EXPECT_NE(script.find("VERTEX"), std::string::npos);
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(SharedStructures, ReebEndToEndRealRuns, ::testing::ValuesIn(reeb_runs),
                         [](const ::testing::TestParamInfo<reeb_run>& run) { return run.param.expected; });

// The README's command for a script of one direction, without a window: the
// states below the script's own are loaded empty first, and PyMOL ends
// normally with the graph's state the last.
TEST(ReebPymolCommand, OneDirectionLoadsAfterEmptyStates) {
  const fs::path dir = testing::fresh_directory("reeb_pymol_command");
  const std::string load = "cmd.load_cgo([], \"reebgraph\", 1)";
  for (const auto& [expected, preload, states] :
       {std::tuple<std::string, std::string, std::string>{"6ins_re4_rb2", load, "2"},
        {"3al1_rb3_rt0", load + "; cmd.load_cgo([], \"reebgraph\", 2)", "3"}}) {
    fs::copy_file(data + "reeb/" + expected + ".py", dir / "reeb_graph.py", fs::copy_options::overwrite_existing);
    const auto r = run_program("/usr/bin/python3", {"-m", "pymol", "-cq", "-d", preload, "reeb_graph.py", "-d",
                                                    "print('states', cmd.count_states('reebgraph'))"}, dir);
    EXPECT_EQ(r.status, 0) << expected << r.err;
    EXPECT_NE(r.out.find("states " + states + "\n"), std::string::npos) << expected << r.out;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
