// The expanded-coordinates file written by the program, against the same
// file made here from the structure as a run loads it, line by line; a small
// file with thirty operators checked by hand.
#include <gtest/gtest.h>

#include "common/report_writer.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/distmap_test_support.hpp"
#include "driver/command_line.hpp"
#include "support/loaded_structure.hpp"
#include "support/report_cases.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using testing::fresh_directory;
using testing::read_file;
using testing::run_program;

// The file by its description: the header lines (CRYST1 in P 1, the others'
// first 80 columns), then for s, n, a the copy wrapped into the cell, chain
// character 64 + s, through the report formatter.
std::string expanded_reference(const std::vector<std::string>& args, const std::string& path) {
  run_flags flags;
  run_params params;
  run_state state;
  read_command_line(args, flags, params, state);
  const auto run = testing::load_structure(path, flags, params, [](auto&& f) { testing::captured_report(f); });
  const crystal_record* celli = run->celli.get();
  std::string text;
  for (int32_t h = 0; h < run->state.nheader; ++h) {
    const std::string line(run->header[h].view());
    text += line.rfind("CRYST1", 0) == 0
                ? formatted_text("(a6,3(f9.3),3(f7.2),' P 1          ')",
                                 {"CRYST1", celli->cell[0], celli->cell[1], celli->cell[2], celli->cell[3],
                                  celli->cell[4], celli->cell[5]})
                : line.substr(0, 80);
    text += '\n';
  }
  const int32_t natoms = run->flags.cg ? run->atoms.count.npseudo : run->atoms.count.natoms;
  for (int32_t s = 1; s <= celli->nsym; ++s)
    for (int32_t n = 1; n <= celli->nncs; ++n)
      for (int32_t a = 1; a <= natoms; ++a) {
        const atom_record& rec = run->atoms.pdbdata[a - 1];
        if (celli->ncsgiven[n - 1] != 0) continue;
        if (flags.ca && !flags.cg && !(rec.atname == " CA " || rec.element == " P")) continue;
        atom_copy cp;
        bool outside[3];
        place_atom_copy(*celli, run->atoms, a, s, n, cp, outside);
        const char chain[1] = {static_cast<char>((64 + s) % 256)};
        text += formatted_text(coordinate_record_format,
                               {rec.recname, rec.serial, rec.atname, rec.altloc, rec.resname,
                                std::string_view(chain, 1), rec.resseq, cp.x[0], cp.x[1], cp.x[2], rec.occupancy,
                                rec.bfactor}) +
                '\n';
      }
  return text;
}

// Every real structure, and 1a1f (protein and DNA) with -ca (CA and P atoms
// only) and with -cg (residue pseudo-atoms; -ca then changes nothing).
TEST(ExpandedFile, RealStructuresEndToEnd) {
  const fs::path dir = fresh_directory("expanded_real");
  std::vector<std::pair<std::string, std::vector<std::string>>> runs;
  for (const auto& entry : fs::directory_iterator(std::string(PORVANE_TEST_DATA) + "/pdb"))
    runs.push_back({entry.path().filename().string(), {"-nm", "-re", "6.0", "-ex"}});
  runs.push_back({"1a1f.pdb", {"-nm", "-ex", "-ca"}});
  runs.push_back({"1a1f.pdb", {"-nm", "-ex", "-cg", "-ca"}});
  for (const auto& [name, options] : runs) {
    fs::copy_file(std::string(PORVANE_TEST_DATA) + "/pdb/" + name, dir / name, fs::copy_options::overwrite_existing);
    const fs::path out = dir / (fs::path(name).stem().string() + "_expanded.pdb");
    fs::remove(out);
    std::vector<std::string> args = options;
    args.push_back(name);
    const auto run = run_program(PORVANE_BINARY, args, dir);
    ASSERT_EQ(run.status, 0) << name << run.err;
    const std::string last = "\n  Writing atoms expanded to complete unit cell ...\n";
    EXPECT_EQ(run.out.substr(run.out.size() - std::min(run.out.size(), last.size())), last) << name;
    const std::string expected = expanded_reference(args, (dir / name).string());
    ASSERT_EQ(read_file(out), expected) << name;
  }
  fs::remove_all(dir);
}

// Thirty operators translating by 0, 1, ..., 29 Å along a 30 Å edge, an NCS
// operator that is given (never applied), two atoms at x = 0.5 and 29.5:
// chains A to Z and then [ \ ] ^; the second atom wraps from 30.5 + k to
// k + 0.5 (checked by hand).
TEST(ExpandedFile, ThirtyOperatorsByHand) {
  const fs::path dir = fresh_directory("expanded_thirty");
  const std::string data = std::string(PORVANE_TEST_DATA) + "/endfiles/";
  fs::copy_file(data + "thirty_operators.pdb", dir / "thirty_operators.pdb");
  const auto run = run_program(PORVANE_BINARY, {"-nm", "-ex", "-re", "5.0", "thirty_operators.pdb"}, dir);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(read_file(dir / "thirty_operators_expanded.pdb"), read_file(data + "thirty_operators_expanded.pdb"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
