// The porosity scan, the multiscale loop, the summary and the centre-line
// files; whole runs of the program compared with their expected reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "channels/centre_line_files.hpp"
#include "common/run_stop.hpp"
#include "channel_test_support.hpp"
#include "support/report_cases.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;

// Porosity scans on constructed maps: the lines, the last porosity and the
// deepest point.
TEST(PorosityScan, LinesPorosityAndDeepestPoint) {
  struct scan_case {
    std::string what;
    float solvent;
    std::function<float(int32_t, int32_t, int32_t)> dist;
    int lines;                       // porosity lines at verbosity 1
    std::array<int32_t, 3> deepest;  // deepest point
    float porosity;                  // the last porosity
  };
  const std::vector<scan_case> cases = {
      // 1000 points spread over -1.0..1.4975 (one per 0.0025 Å): 599, 559, 519
      // and 479 points lie above 0.0, 0.1, 0.2 and 0.3; 0.479 ends the scan.
      {"falls to the solvent", 0.5f, [](int32_t i, int32_t j, int32_t k) { return -1.0f + 0.0025f * ((i * 10 + j) * 10 + k); },
       4, {9, 9, 9}, 0.479f},
      // Never falls to the solvent: 51 passes, the last at 4.9999976.
      {"never falls", 0.01f, [](int32_t, int32_t, int32_t) { return 6.0f; }, 51, {0, 0, 0}, 1.0f},
      // Equal largest distances: the first in i-outer, k-inner order wins.
      // The porosity stays 1.0 up to the trial radius 0.5, then 118 points remain.
      {"ties", 0.3f, [](int32_t i, int32_t j, int32_t k) { return (j == 4 && (i == 2 || i == 7)) || k == 9 ? 3.0f : 0.5f; }, 6,
       {0, 0, 9}, 0.118f},
      // Solvent content of 1.0 or none: no porosity line, one pass for dmax.
      {"solvent 1.0", 1.0f, [](int32_t i, int32_t, int32_t) { return static_cast<float>(i) - 2.0f; }, 0, {9, 0, 0}, 1.0f},
      {"no solvent content", std::nanf(""), [](int32_t i, int32_t, int32_t) { return static_cast<float>(i) - 2.0f; }, 0,
       {9, 0, 0}, 1.0f},
      {"nothing above 0", 0.5f, [](int32_t, int32_t, int32_t) { return -1.0f; }, 1, {0, 0, 0}, 0.0f},
  };
  for (const scan_case& c : cases) {
    const grid_store g = test::make_grid({9, 9, 9}, c.dist);
    crystal_record celli;
    celli.solvent = c.solvent;
    run_flags flags;
    flags.vb = 1;
    channel_context fast;
    const std::string fast_text = testing::captured_report([&] { porosity_scan(flags, celli.solvent, g, fast); });
    EXPECT_EQ(fast.results.porosity, c.porosity) << c.what;
    const int32_t* d = fast.results.deepgrid;
    EXPECT_EQ(std::vector<int32_t>(d, d + 3), std::vector<int32_t>(c.deepest.begin(), c.deepest.end())) << c.what;
    EXPECT_EQ(testing::count_of(fast_text, "\n"), c.lines) << c.what << "\n" << fast_text;
    if (c.what == "never falls") {
      EXPECT_NE(fast_text.find(" Cutoff:    4.99999762    "), std::string::npos);
    }
    if (c.lines == 0) {
      EXPECT_EQ(fast.dmax, 7.0f) << c.what;
    }
  }
}

// The loop's cutoffs, the stepsize rule and the header, with an analysis
// that only records its cutoff.
TEST(MultiscaleLoop, CutoffsStepsizeRuleAndHeader) {
  struct loop_case {
    float dmax, cutoff, step;
    int vb, multiscale;
    std::vector<float> cutoffs;
    float step_after;
    std::string lines;  // what is printed before the rows
  };
  const std::string header =
      " Multiscale cluster analysis ...\n"
      "   Tortuosity and Width Variation will be calculated using the deepest point of the pipe for each section.\n\n"
      "                           Pipe/Pocket Data\n"
      "   Rad   Pipe Pock %Pi %Po Frac xD Typ  Max   Avg   SD   Tort  WV  (Average)\n";
  const std::vector<loop_case> cases = {
      {2.0f, 1.4f, 0.2f, 0, 1, {1.4f, 1.6f, 1.8f}, 0.2f, header},  // 1.4 + 0.2 + 0.2 + 0.2 is 2.0: not below dmax
      {2.0f, 1.4f, 0.2f, 1, 0, {1.4f}, 0.2f, " Multiscale cluster analysis ...\n"},  // -s
      {1.4f, 1.4f, 0.2f, 4, 1, {}, 0.2f, " Multiscale cluster analysis ...\n"},      // dmax not above the cutoff
      {10.0f, 9.975f, 0.01f, -1, 1, {9.975f, 9.985f, 9.995f}, 0.01f, header},           // 1000 steps: no reset
      {12.0f, 11.98f, 0.01f, 0, 1, {11.98f, 11.9932f}, 0.0132f,
       " Search resolution too fine, requiring         1200  steps.\n"
       "   Resetting search resolution from    9.99999978E-03  to    1.32000009E-02\n" + header},
  };
  for (const loop_case& c : cases) {
    run_flags flags;
    flags.vb = c.vb;
    flags.multiscale = c.multiscale;
    run_params params;
    params.channel_cutoff = c.cutoff;
    params.stepsize = c.step;
    channel_context chan;
    chan.dmax = c.dmax;
    std::vector<float> seen;
    const std::string text = testing::captured_report([&] {
      multiscale_loop(flags, params, chan, [&](float cutoff, bool) {
        seen.push_back(cutoff);
        chan.counts.avgtort = cutoff;  // rows keep what the analysis leaves
      });
    });
    ASSERT_EQ(seen.size(), c.cutoffs.size()) << c.dmax;
    for (std::size_t r = 0; r < seen.size(); ++r) {
      EXPECT_NEAR(seen[r], c.cutoffs[r], 1e-5f) << c.dmax;
      EXPECT_EQ(chan.radius_table[r].cutoff, seen[r]);
      EXPECT_EQ(chan.radius_table[r].avgtort, seen[r]);
      EXPECT_EQ(chan.radius_table[r].avgwv, -1.0f);
    }
    EXPECT_EQ(params.stepsize, c.step_after == c.step ? c.step : ((12.0f / 0.01f) / 1000.0f) * 0.01f * 1.1f);
    EXPECT_EQ(text, c.lines) << c.dmax;
  }
}

// A step whose count overflows single precision (a step of 1e-45 or 1e-38,
// a cutoff of -3.4e38) is widened to a finite thousandth of the range.
TEST(MultiscaleLoop, StepWhoseCountOverflows) {
  for (const auto& [cutoff, step] :
       std::vector<std::pair<float, float>>{{1.4f, 1e-45f}, {1.4f, 1e-38f}, {-3.4e38f, 0.2f}}) {
    run_flags flags;
    run_params params;
    params.channel_cutoff = cutoff;
    params.stepsize = step;
    channel_context chan;
    chan.dmax = 25.0f;
    int rows = 0;
    const std::string text = testing::captured_report(
        [&] { multiscale_loop(flags, params, chan, [&](float, bool) { ++rows; }); });
    EXPECT_EQ(params.stepsize, ((25.0f - std::min(cutoff, 0.0f)) / 1000.0f) * 1.1f)
        << cutoff << " " << step;
    EXPECT_GT(rows, 850) << step;
    EXPECT_LE(rows, 1000) << step;
    EXPECT_NE(text.find("requiring   2147483647  steps."), std::string::npos)
        << text.substr(0, 200);
    EXPECT_EQ(text.find("Infinity"), std::string::npos) << text.substr(0, 200);
  }
}

// Ranges skip rows without 1D pipes, channel atoms are none, and the
// direction of a cluster 1 that was never 1D is three blanks.
TEST(SummaryReport, RangesChannelAtomsAndDirection) {
  channel_context chan;
  chan.radius_table = {{1.4f, -1.0f, -1.0f}, {1.6f, 1.25f, -1.0f}, {1.8f, 1.75f, 2.5f}, {2.0f, -1.0f, 1.5f}};
  chan.dmax = 3.25f;
  crystal_record celli;
  celli.cell[0] = celli.cell[1] = celli.cell[2] = 10.0f;
  for (int c = 0; c < 3; ++c) celli.orthmat[c][c] = 10.0f;
  std::vector<atom_record> atoms(3);
  atoms[1].resname = "TRP";
  atoms[1].resseq = 42;
  atoms[1].atname = " NE1";
  atoms[1].radius = 1.5f;
  run_flags flags;
  flags.vb = 1;
  run_params params;
  const std::string text = testing::captured_report([&] { summary_report(flags, params, celli, figures_of(celli), atoms, 3, 2, chan); });
  EXPECT_EQ(chan.results.tortmin, 1.25f);
  EXPECT_EQ(chan.results.tortmax, 1.75f);
  EXPECT_EQ(chan.results.wvmin, 1.5f);
  EXPECT_EQ(chan.results.wvmax, 2.5f);
  for (const char* line : {"    to                             : TRP   42 NE1 (radius=  1.50)\n",
                           "   Direction for 1D                  :      \n",
                           " Number of channel atoms:            0  or    0.00000000     %.\n",
                           " Average b-factor of channel atoms:    0.00000000    \n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  // An atom index that names no atom: blanks and zeros, no atom of the store.
  channel_context none;
  const std::string blank = testing::captured_report([&] { summary_report(flags, params, celli, figures_of(celli), atoms, 0, 0, none); });
  EXPECT_NE(blank.find("    to                             :        0     (radius=  0.00)\n"), std::string::npos) << blank;
  EXPECT_NE(blank.find("     Min | max tortuosity            : ****** |   0.00\n"), std::string::npos);
}

// The files' records, their stop on a file from before the run and the
// warning on a file this run wrote: ChannelStages below.
TEST(CentreLineFiles, Names) {
  const std::vector<std::tuple<std::string, int32_t, int32_t, float, bool, std::string>> names = {
      {"1abc", 1, 3, 1.4f, false, "1abc_channel1_3_deep_1.4.pdb"},
      {"1abc", 10, 1, 10.2f, false, "1abc_channel10_1_deep_10.2.pdb"},
      // numbers too wide for their fields written whole: i2, f3.1 (10.0, -1.5), f4.1
      {"1abc", 100, 2, 1.6f, true, "1abc_channel100_2_aver_1.6.pdb"},
      {"x", 3, 2, 9.96f, false, "x_channel3_2_deep_10.0.pdb"},
      {"x", 12, 3, -1.5f, false, "x_channel12_3_deep_-1.5.pdb"},
      {"x", 250, 1, 100.0f, false, "x_channel250_1_deep_100.0.pdb"},
      {"", 2, 1, 2.0f, false, "_channel2_1_deep_2.0.pdb"},
      {std::string(60, 'b'), 1, 1, 1.4f, false, std::string(50, 'b') + "_channel1_1_deep_1.4.pdb"},
  };
  for (const auto& [base, k, d, cutoff, aver, name] : names)
    EXPECT_EQ(centre_line_name(base, k, d, cutoff, aver), name);
}

std::string channel_part(const std::string& report) {
  const std::size_t at = report.find(" Analyzing distance map...\n");
  return at == std::string::npos ? "" : report.substr(at);
}

// Whole runs: the channel part of each report, or the whole report, and the
// centre-line files (one per 1D pipe and cutoff).
TEST(ChannelStages, ReportsAndFiles) {
  testing::expect_reports("channel_runs", testing::report_table("cases/channel_parts.txt"), " Analyzing distance map...\n");
  testing::expect_reports("channel_reports", testing::report_table("cases/channel_reports.txt"));
}

// A map read back names the same atom at the deepest point as the map
// computed; the report after the map is the same.
TEST(ChannelStages, MapReadBackNamesTheSameAtom) {
  const std::string data = std::string(PORVANE_TEST_DATA) + "/";
  const std::string computed = channel_part(testing::read_file(data + "reports/1ubq_default.txt"));
  EXPECT_EQ(channel_part(testing::read_file(data + "reports/1ubq_rm.txt")), computed);
  EXPECT_NE(computed.find("    to                             : ALA   28 CB  (radius=  1.92)"), std::string::npos);
}

// More provisional labels than 19999 and more kept clusters than 500: every
// point with even indices is a cluster of its own (its neighbours all have an
// odd index, also across the faces), numbered in scan order.
TEST(ChannelStages, ManyClusters) {
  const int32_t n = 60;
  const grid_store g = test::make_grid({n, n, n}, [](int32_t i, int32_t j, int32_t k) {
    return i % 2 == 0 && j % 2 == 0 && k % 2 == 0 ? 2.0f : 0.0f;
  });
  channel_points points;
  points.load(g);
  run_flags flags;
  flags.vb = 2;
  run_params params;
  params.clustcountcut = 0.0f;
  cluster_table chinfo;
  int32_t nclust = 0;
  const std::string text = testing::captured_report([&] { find_clusters(flags, params, 1.0f, points, chinfo, nclust); });
  const int32_t expected = 31 * 31 * 31;
  ASSERT_EQ(nclust, expected);
  EXPECT_NE(text.find(" New cluster...       29791 near           60          60          60\n"), std::string::npos);
  EXPECT_EQ(text.find("are identical"), std::string::npos);
  grid_store labels = g;
  points.store_labels(labels);
  int32_t next = 0;
  for (int32_t i = 0; i <= n; ++i)
    for (int32_t j = 0; j <= n; ++j)
      for (int32_t k = 0; k <= n; ++k) {
        const bool even = i % 2 == 0 && j % 2 == 0 && k % 2 == 0;
        ASSERT_EQ(labels.clust[labels.index(i, j, k)], even ? ++next : -1);
      }
  EXPECT_EQ(chinfo[static_cast<std::size_t>(expected)].npts, 1);
}

// Runs at the edges: a cutoff below zero that would take more than 1000
// steps, so that the step is widened; a solvent content of 1.0 (atoms of
// unknown mass, so Vm 0.0: the scan only finds the largest distance);
// centre-line names that two cutoffs share, and files that the rerun of the
// analysis for -cm finds written by the loop.
TEST(ChannelStages, EdgeRuns) {
  const std::string data = std::string(PORVANE_TEST_DATA) + "/";
  const fs::path dir = testing::fresh_directory("edge_runs");
  fs::copy_file(data + "pdb/1ubq.pdb", dir / "1ubq.pdb");
  fs::copy_file(data + "channels/no_mass.pdb", dir / "no_mass.pdb");
  const auto run = [&](const std::vector<std::string>& args) { return testing::run_program(PORVANE_BINARY, args, dir); };
  const auto many = run({"-nm", "-re", "4.0", "-cd", "-9.", "-st", ".01", "-vb", "1", "1ubq.pdb"});
  EXPECT_EQ(many.status, 0) << many.err;
  EXPECT_EQ(testing::count_of(many.out, "Finding clusters...with cutoff of"), 910);
  EXPECT_NE(many.out.find(" Search resolution too fine, requiring         1235  steps.\n"), std::string::npos);

  const auto full = run({"-nm", "-re", "8.", "-vb", "1", "no_mass.pdb"});
  EXPECT_EQ(full.status, 0);
  EXPECT_NE(full.out.find("   Solvent content | Vm              :   1.00 |   0.00\n"), std::string::npos) << full.out;
  EXPECT_EQ(full.out.find(" Cutoff: "), std::string::npos);

  const std::string kept = "1ubq_channel1_3_deep_1.4.pdb";
  const auto rerun = run({"-nm", "-re", "4.0", "-cl", "-cm", "1ubq.pdb"});
  EXPECT_EQ(rerun.status, 0);
  for (const char* k : {"1", "2", "3"})
    EXPECT_NE(rerun.err.find("1ubq_channel" + std::string(k) + "_3_deep_1.4.pdb was already written in this run"),
              std::string::npos) << rerun.err;
  EXPECT_EQ(testing::read_file(dir / kept), testing::read_file(data + "channels/1ubq_re4_cl/" + kept));
  for (const auto& f : fs::directory_iterator(dir))
    if (f.path().filename().string().find("_channel") != std::string::npos) fs::remove(f.path());
  const auto twice = run({"-nm", "-re", "4.0", "-cl", "-st", ".04", "1ubq.pdb"});
  EXPECT_EQ(twice.status, 0);
  EXPECT_EQ(testing::count_of(twice.err, "was already written in this run"), 9) << twice.err;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
