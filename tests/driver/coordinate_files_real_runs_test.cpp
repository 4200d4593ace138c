// -cm, -nc and -ex together in whole runs on shared structures, after the
// real cluster analysis. The report is the run's without the files, then each
// stage's line, the grid-point and nearest-channel stages each followed by
// the rows of their rerun at the channel cutoff. The grid-point file holds
// every grid point with its cluster at that cutoff (by the literal labelling)
// and its distance; the nearest-channel file each atom with its nearest
// channel point over the periodic images (by a literal search); the expanded
// file carries those W and B values. One run has the Reeb stage before the
// files, whose grid-point file still covers every point. Then each file's
// existing-file stop.
#include <gtest/gtest.h>

#include "channels/literal_stages.hpp"
#include "common/coordinate_record.hpp"
#include "nearest_channel_literal.hpp"
#include "support/loaded_structure.hpp"
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

std::vector<std::string> with(const std::string& pdb, std::vector<std::string> options,
                              const std::vector<std::string>& more) {
  options.insert(options.begin(), pdb);
  options.insert(options.end(), more.begin(), more.end());
  return options;
}

// The first line where two texts differ, for the failure message.
std::string first_difference(const std::string& got, const std::string& want) {
  const auto a = testing::lines_of(got), b = testing::lines_of(want);
  for (std::size_t l = 0; l < std::max(a.size(), b.size()); ++l) {
    const std::string x = l < a.size() ? a[l] : "(none)", y = l < b.size() ? b[l] : "(none)";
    if (x != y) return "line " + std::to_string(l + 1) + ":\n  got  " + x + "\n  want " + y;
  }
  return "";
}

std::string atom_line(const atom_record& rec, std::string_view atname, std::string_view resname,
                      std::string_view chain, const float x[3], float w, float b) {
  return formatted_text(coordinate_record_format, {rec.recname, rec.serial, atname, rec.altloc, resname, chain,
                                                   rec.resseq, x[0], x[1], x[2], w, b}) +
         "\n";
}

struct files_run {
  std::string pdb;                   // in tests/data/pdb
  std::vector<std::string> options;  // after the input name, before -nm -cm -nc -ex
};

TEST(CoordinateFilesEndToEndRealRuns, GridNearestChannelAndExpanded) {
  const std::vector<files_run> runs = {
      {"1ubq", {"-rb"}},                           // P 21 21 21, a 3D channel at 1.4 Å; after the Reeb stage
      {"3al1", {"-re", "3.0"}},                    // triclinic
      {"6ins_assembly", {"-re", "4.0", "-cd", "2.0", "-s"}},  // H 3; one pass at the channel cutoff
      {"1a1f", {"-cg"}},                           // the residue pseudo-atoms, those of the map and of -ex
  };
  int32_t outside_the_cell = 0;  // atoms measured through the images of the channel points
  for (const files_run& c : runs) {
    const fs::path dir = testing::fresh_directory("coordinate_real_" + c.pdb);
    const std::string input = c.pdb + ".pdb";
    fs::copy_file(data + "pdb/" + input, dir / input);
    auto run_here = [&](const std::vector<std::string>& args) {
      fs::remove(dir / "reeb_graph.py");
      return run_program(PORVANE_BINARY, args, dir);
    };
    const auto base = run_here(with(input, c.options, {"-nm"}));
    const auto plain_ex = run_here(with(input, c.options, {"-nm", "-ex"}));
    ASSERT_EQ(plain_ex.status, 0) << plain_ex.err;
    const std::string plain_expanded = read_file(dir / (c.pdb + "_expanded.pdb"));
    fs::remove(dir / (c.pdb + "_expanded.pdb"));
    const std::vector<std::string> args = with(input, c.options, {"-nm", "-cm", "-nc", "-ex"});
    const auto run = run_here(args);
    ASSERT_EQ(run.status, 0) << c.pdb << run.err;
    EXPECT_EQ(run.err, "") << c.pdb;

    // The labels at the channel cutoff and the rows they print, by the
    // literal labelling on the structure's map.
    auto m = testing::load_with_map((dir / input).string(), testing::grid_size_used(run.out), args);
    const run_flags& flags = m->flags;
    const crystal_record& celli = *m->celli;
    grid_store& g = m->gridi;
    const float gs = m->params.gridsize;
    channel_context chan;
    const std::string rows = testing::captured_report(
        [&] { literal::analysis(flags, m->params, celli, g, m->params.channel_cutoff, chan); });
    ASSERT_FALSE(rows.empty());
    EXPECT_NE(base.out.find(rows), std::string::npos) << c.pdb << ": the loop's rows at the channel cutoff\n" << rows;
    EXPECT_EQ(mask_times(run.out), mask_times(base.out) + cm_line + rows + nc_line + rows + ex_line) << c.pdb;

    // Grid points: a CRYST1 line in P 1 per CRYST line of the header and one
    // more, then every point i, j, k with the first atom's record name,
    // serial number, alternate location and residue number.
    const std::string pdb_text = read_file(dir / input);
    std::string grid = formatted_text("('CRYST1',3f9.3,3f7.2,x,a10)", {celli.cell[0], celli.cell[1], celli.cell[2],
                                                                      celli.cell[3], celli.cell[4], celli.cell[5], "P 1   "}) +
                       "\n";
    const std::string cryst = grid;
    for (const std::string& l : testing::lines_of(pdb_text.substr(0, pdb_text.find("\nATOM"))))
      if (l.rfind("CRYST", 0) == 0) grid += cryst;
    const atom_record& first = m->atoms.pdbdata.front();
    for (int32_t i = 0; i <= g.n[0]; ++i)
      for (int32_t j = 0; j <= g.n[1]; ++j)
        for (int32_t k = 0; k <= g.n[2]; ++k) {
          float x[3];
          grid_point_position(celli, gs, i, j, k, x);
          const std::size_t p = g.index(i, j, k);
          grid += atom_line(first, " O  ", "HOH", "Z", x, static_cast<float>(g.clust[p]), g.dist[p]);
        }
    const std::string grid_file = read_file(dir / (c.pdb + "_grid.pdb"));
    EXPECT_EQ(grid_file.size(), grid.size()) << c.pdb;
    EXPECT_TRUE(grid_file == grid) << c.pdb << " grid-point file, " << first_difference(grid_file, grid);

    // Atoms with the cluster and distance of their nearest channel point:
    // with -cg the pseudo-atoms, which have taken the first slots.
    std::string nc;
    std::vector<std::string> wb;  // columns 55-66 of each atom
    const int32_t natoms = flags.cg ? m->atoms.count.npseudo : m->atoms.count.natoms;
    for (int32_t a = 0; a < natoms; ++a) {
      const atom_record& rec = m->atoms.pdbdata[static_cast<std::size_t>(a)];
      const float* x = &m->atoms.coords[3 * static_cast<std::size_t>(a)];
      float f[3];
      to_fcoords(celli, x, f);
      outside_the_cell += std::any_of(f, f + 3, [](float t) { return t < 0.0f || t > 1.0f; });
      const auto [w, b] = test::nearest_literal(celli, gs, g, x);
      nc += atom_line(rec, rec.atname, rec.resname, "A", rec.xyz, w, b);
      wb.push_back(nc.substr(nc.size() - 13, 12));
    }
    const std::string nc_file = read_file(dir / (c.pdb + "_nc.pdb"));
    EXPECT_TRUE(nc_file == nc) << c.pdb << " nearest-channel file, " << first_difference(nc_file, nc);

    // The expanded file of the same run without -nc, with -nc's W and B.
    const auto plain = testing::lines_of(plain_expanded), expanded = testing::lines_of(read_file(dir / (c.pdb + "_expanded.pdb")));
    ASSERT_EQ(expanded.size(), plain.size()) << c.pdb;
    std::size_t header = 0;  // the header lines: before the first ATOM line, without REMARK 285
    for (const std::string& l : testing::lines_of(pdb_text.substr(0, pdb_text.find("\nATOM") + 1)))
      header += l.rfind("REMARK 285", 0) != 0;
    int32_t changed = 0;
    for (std::size_t l = 0; l < plain.size(); ++l) {
      if (l < header) {
        EXPECT_EQ(expanded[l], plain[l]) << c.pdb << " line " << l + 1;
        continue;
      }
      EXPECT_EQ(expanded[l], plain[l].substr(0, 54) + wb[(l - header) % wb.size()]) << c.pdb << " line " << l + 1;
      changed += expanded[l] != plain[l];
    }
    EXPECT_GT(changed, 0) << c.pdb;
    fs::remove_all(dir);
  }
  EXPECT_GT(outside_the_cell, 100);
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
  const std::vector<std::pair<std::size_t, std::string>> stops = {
      {2, cm_line + rows}, {3, nc_line}, {4, ex_line}};
  for (const auto& [existing, tail] : stops) {
    const fs::path dir = testing::fresh_directory("coordinate_real_stop");
    fs::copy_file(data + "pdb/1ubq.pdb", dir / "1ubq.pdb");
    std::ofstream(dir / names[existing]) << "an earlier file\n";
    const auto run = run_program(PORVANE_BINARY, args, dir);
    const std::string& name = names[existing];
    EXPECT_EQ(run.status, 2) << name;
    EXPECT_NE(run.err.find("'" + name + "': File exists"), std::string::npos) << run.err;
    EXPECT_EQ(read_file(dir / name), "an earlier file\n");
    const std::string out = mask_times(run.out);
    EXPECT_EQ(out, mask_times(full.out).substr(0, out.size())) << name;
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << name;
    for (std::size_t f = 0; f < existing; ++f)
      EXPECT_TRUE(read_file(dir / names[f]) == read_file(complete / names[f])) << name << ": " << names[f];
    for (std::size_t f = existing + 1; f < names.size(); ++f) EXPECT_FALSE(fs::exists(dir / names[f])) << names[f];
    fs::remove_all(dir);
  }
  fs::remove_all(complete);
}

}  // namespace
}  // namespace porvane
