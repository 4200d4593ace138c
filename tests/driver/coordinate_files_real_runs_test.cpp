// The coordinate files in whole runs on shared structures, against the same
// files made here from the structure and its map. -cm, -nc and -ex together
// after the real cluster analysis: the report is the run's without the files,
// then each stage's line, the grid-point and nearest-channel stages each
// followed by the rows of their rerun at the channel cutoff; the grid-point
// file holds every grid point with its cluster at that cutoff (by the literal
// labelling) and its distance; the nearest-channel file each atom with its
// nearest channel point over the periodic images (by a literal search); the
// expanded file carries those W and B values. One run has the Reeb stage
// before the files, whose grid-point file still covers every point. -ex alone
// on every structure; each file's existing-file stop.
#include <gtest/gtest.h>

#include "channels/literal_stages.hpp"
#include "coordinate_files_literal.hpp"
#include "support/report_cases.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using testing::mask_times;
using testing::read_file;
using testing::run_program;

const std::string data = std::string(PORVANE_TEST_DATA) + "/";
const std::string cm_line = " Writing each channel gridpoint...\n";
const std::string nc_line = "  Writing atoms with B-factor field containing atom depth, or distance to nearest channel...\n";
const std::string ex_line = "  Writing atoms expanded to complete unit cell ...\n";

TEST(CoordinateFilesEndToEndRealRuns, GridNearestChannelAndExpanded) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
      {"1ubq", {"-rb"}},                                      // P 21 21 21, a 3D channel at 1.4 Å; after the Reeb stage
      {"3al1", {"-re", "3.0"}},                               // triclinic
      {"6ins_assembly", {"-re", "4.0", "-cd", "2.0", "-s"}},  // H 3; one pass at the channel cutoff
      {"1a1f", {"-cg"}},  // the residue pseudo-atoms, those of the map and of -ex
  };
  int32_t outside_the_cell = 0;  // atoms measured through the images of the channel points
  for (const auto& [pdb, options] : runs) {
    const fs::path dir = testing::fresh_directory("coordinate_real_" + pdb);
    const std::string input = pdb + ".pdb";
    fs::copy_file(data + "pdb/" + input, dir / input);
    std::vector<std::string> args = {input, "-nm"};
    args.insert(args.end(), options.begin(), options.end());
    const auto base = run_program(PORVANE_BINARY, args, dir);
    fs::remove(dir / "reeb_graph.py");
    args.insert(args.end(), {"-cm", "-nc", "-ex"});
    const auto run = run_program(PORVANE_BINARY, args, dir);
    ASSERT_EQ(run.status, 0) << pdb << run.err;
    EXPECT_EQ(run.err, "") << pdb;

    // The labels at the channel cutoff and the rows they print, by the
    // literal labelling on the structure's map.
    auto m = testing::load_with_map((dir / input).string(), testing::grid_size_used(run.out), args);
    const crystal_record& celli = *m->celli;
    grid_store& g = m->gridi;
    channel_context chan;
    const std::string rows = testing::captured_report(
        [&] { literal::analysis(m->flags, m->params, celli, g, m->params.channel_cutoff, chan); });
    EXPECT_NE(base.out.find(rows), std::string::npos) << pdb << ": the loop's rows at the channel cutoff\n" << rows;
    EXPECT_EQ(mask_times(run.out), mask_times(base.out) + cm_line + rows + nc_line + rows + ex_line) << pdb;

    // Grid points: a CRYST1 line in P 1 per CRYST line of the header and one
    // more, then every point i, j, k with the first atom's record name,
    // serial number, alternate location and residue number.
    const std::string pdb_text = read_file(dir / input);
    const std::string cryst = formatted_text("('CRYST1',3f9.3,3f7.2,x,a10)", {celli.cell[0], celli.cell[1], celli.cell[2],
                                                                              celli.cell[3], celli.cell[4], celli.cell[5],
                                                                              "P 1   "}) + "\n";
    std::string grid = cryst;
    for (const std::string& l : testing::lines_of(pdb_text.substr(0, pdb_text.find("\nATOM"))))
      if (l.rfind("CRYST", 0) == 0) grid += cryst;
    for (int32_t i = 0; i <= g.n[0]; ++i)
      for (int32_t j = 0; j <= g.n[1]; ++j)
        for (int32_t k = 0; k <= g.n[2]; ++k) {
          float x[3];
          grid_point_position(celli, m->params.gridsize, i, j, k, x);
          const std::size_t p = g.index(i, j, k);
          grid += test::atom_line(m->atoms.pdbdata.front(), " O  ", "HOH", "Z", x, float(g.clust[p]), g.dist[p]);
        }
    EXPECT_TRUE(read_file(dir / (pdb + "_grid.pdb")) == grid) << pdb << " grid-point file";

    // Atoms with the cluster and distance of their nearest channel point:
    // with -cg the pseudo-atoms, which have taken the first slots; the
    // expanded file with those W and B.
    std::string nc;
    std::vector<std::pair<float, float>> wb;
    const int32_t natoms = m->flags.cg ? m->atoms.count.npseudo : m->atoms.count.natoms;
    for (int32_t a = 0; a < natoms; ++a) {
      const atom_record& rec = m->atoms.pdbdata[static_cast<std::size_t>(a)];
      const float* x = &m->atoms.coords[3 * static_cast<std::size_t>(a)];
      float f[3];
      to_fcoords(celli, x, f);
      outside_the_cell += std::any_of(f, f + 3, [](float t) { return t < 0.0f || t > 1.0f; });
      wb.push_back(test::nearest_literal(celli, m->params.gridsize, g, x));
      nc += test::atom_line(rec, rec.atname, rec.resname, "A", rec.xyz, wb.back().first, wb.back().second);
    }
    EXPECT_TRUE(read_file(dir / (pdb + "_nc.pdb")) == nc) << pdb << " nearest-channel file";
    EXPECT_TRUE(read_file(dir / (pdb + "_expanded.pdb")) == test::expanded_reference(*m, wb)) << pdb << " expanded";
    fs::remove_all(dir);
  }
  EXPECT_GT(outside_the_cell, 100);
}

// -ex on every real structure, and on 1a1f (protein and DNA) with -ca (CA and
// P atoms only) and with -cg (residue pseudo-atoms; -ca then changes
// nothing). Thirty operators translating by 0, 1, ..., 29 Å along a 30 Å
// edge, an NCS operator that is given (never applied), two atoms at x = 0.5
// and 29.5: chains A to Z and then [ \ ] ^; the second atom wraps from
// 30.5 + k to k + 0.5 (checked by hand). The 192 operators of F m -3 m: chains
// A to ~ three times, then A to F.
TEST(ExpandedFile, RealStructuresEndToEnd) {
  const fs::path dir = testing::fresh_directory("expanded_real");
  std::vector<std::pair<std::string, std::vector<std::string>>> runs;
  for (const auto& entry : fs::directory_iterator(data + "pdb"))
    runs.push_back({entry.path().filename().string(), {"-nm", "-re", "6.0", "-ex"}});
  runs.push_back({"1a1f.pdb", {"-nm", "-ex", "-ca"}});
  runs.push_back({"1a1f.pdb", {"-nm", "-ex", "-cg", "-ca"}});
  for (auto [name, args] : runs) {
    fs::copy_file(data + "pdb/" + name, dir / name, fs::copy_options::overwrite_existing);
    const fs::path out = dir / (fs::path(name).stem().string() + "_expanded.pdb");
    fs::remove(out);
    args.push_back(name);
    const auto run = run_program(PORVANE_BINARY, args, dir);
    ASSERT_EQ(run.status, 0) << name << run.err;
    EXPECT_TRUE(run.out.ends_with("\n" + ex_line)) << name;
    ASSERT_EQ(read_file(out), test::expanded_reference(*testing::load_run((dir / name).string(), args))) << name;
  }
  fs::remove_all(dir);
  testing::expect_reports("expanded_thirty", {{"endfiles/thirty_operators.pdb", {"-nm", "-ex", "-re", "5.0"}, "", 0,
                                               "endfiles/thirty_operators"},
                                              {"endfiles/cubic_192_operators.pdb", {"-nm", "-ex", "-re", "5.0"}, "", 0,
                                               "endfiles/cubic_192_operators"}});
}

// A file of each stage that exists already: status 2 naming it, the file as
// it was, the files of the earlier stages (map, script, grid-point and
// nearest-channel files) as a complete run writes them, no later file. The
// report is the complete run's up to the stop: the grid-point stage has
// printed its rerun's rows, the nearest-channel stage stops before its rerun.
TEST(CoordinateFilesEndToEndRealRuns, ExistingFileStopsTheRun) {
  const std::vector<std::string> args = {"1ubq.pdb", "-re", "4.0", "-rb", "-cm", "-nc", "-ex"};
  const std::vector<std::string> names = {"1ubq_channel_4.0.map", "reeb_graph.py", "1ubq_grid.pdb", "1ubq_nc.pdb",
                                          "1ubq_expanded.pdb"};
  const fs::path complete = testing::fresh_directory("coordinate_real_complete");
  fs::copy_file(data + "pdb/1ubq.pdb", complete / "1ubq.pdb");
  const auto full = run_program(PORVANE_BINARY, args, complete);
  ASSERT_EQ(full.status, 0) << full.err;
  const std::string rows = "    1.4    3    0 100   0  0.48 1D ..C  3.1   2.0   0.5   4.4  1.4 ( 3.1  1.6 )\n"
                           "                           0.29 1D ..C  3.3   2.0   0.5   2.0  2.1\n"
                           "                           0.24 1D ..C  2.7   1.9   0.4   1.8  1.3\n";
  for (const auto& [existing, tail] : std::vector<std::pair<std::size_t, std::string>>{
           {2, cm_line + rows}, {3, nc_line}, {4, ex_line}}) {
    const fs::path dir = testing::fresh_directory("coordinate_real_stop");
    fs::copy_file(data + "pdb/1ubq.pdb", dir / "1ubq.pdb");
    const std::string& name = names[existing];
    std::ofstream(dir / name) << "an earlier file\n";
    const auto run = run_program(PORVANE_BINARY, args, dir);
    EXPECT_EQ(run.status, 2) << name;
    EXPECT_NE(run.err.find("'" + name + "': File exists"), std::string::npos) << run.err;
    EXPECT_EQ(read_file(dir / name), "an earlier file\n");
    const std::string out = mask_times(run.out);
    EXPECT_EQ(out, mask_times(full.out).substr(0, out.size())) << name;
    EXPECT_TRUE(out.ends_with(tail)) << name;
    for (std::size_t f = 0; f < existing; ++f)
      EXPECT_TRUE(read_file(dir / names[f]) == read_file(complete / names[f])) << name << ": " << names[f];
    for (std::size_t f = existing + 1; f < names.size(); ++f) EXPECT_FALSE(fs::exists(dir / names[f])) << names[f];
    fs::remove_all(dir);
  }
  fs::remove_all(complete);
}

}  // namespace
}  // namespace porvane
