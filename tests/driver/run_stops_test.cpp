// Every early stop of a run and its exit status, run end to end.
#include <gtest/gtest.h>

#include <fstream>

#include "support/run_program.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using testing::fresh_directory;
using testing::run_program;

// An 80-column PDB line from a text (cut or blank-padded).
std::string card(std::string text) {
  text.resize(80, ' ');
  return text + "\n";
}

const std::string cryst1_p212121 =
    card("CRYST1   50.840   42.770   28.950  90.00  90.00  90.00 P 21 21 21    4");
const std::string one_atom =
    card("ATOM      1  CA  ALA A   1      10.000  10.000  10.000  1.00 20.00           C");

// One symmetry operator [R t] as three REMARK 290 SMTRY rows.
std::string smtry(int op, const double r[3][4]) {
  std::string text;
  for (int row = 0; row < 3; ++row) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "REMARK 290   SMTRY%d %3d%10.6f%10.6f%10.6f%15.5f", row + 1, op,
                  r[row][0], r[row][1], r[row][2], r[row][3]);
    text += card(buf);
  }
  return text;
}

std::string identity_smtry(int op) {
  const double identity[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  return smtry(op, identity);
}

std::string mtrix(int op, double shift) {
  std::string text;
  for (int row = 1; row <= 3; ++row) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "MTRIX%d %3d%10.6f%10.6f%10.6f     %10.5f    1", row, op,
                  row == 1 ? 1.0 : 0.0, row == 2 ? 1.0 : 0.0, row == 3 ? 1.0 : 0.0, shift);
    text += card(buf);
  }
  return text;
}

struct fixture {
  fs::path dir;
  explicit fixture(const std::string& name) : dir(fresh_directory(name)) {}
  ~fixture() { fs::remove_all(dir); }
  std::string write(const std::string& name, const std::string& text) const {
    std::ofstream(dir / name, std::ios::binary) << text;
    return (dir / name).string();
  }
  testing::program_result run(std::vector<std::string> args) const {
    return run_program(PORVANE_BINARY, args, dir);
  }
};

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(RunStops, HeaderStopsArePlainStops) {
  fixture f("header_stops");
  // Unknown space group and no SMTRY rows: the library finds no operators.
  auto none = f.run({f.write("none.pdb",
                             card("CRYST1   50.000   50.000   50.000  90.00  90.00  90.00 X 9") +
                                 one_atom)});
  EXPECT_EQ(none.status, 0);
  EXPECT_TRUE(ends_with(none.out, " No symmetry operators...aborting\n")) << none.out;

  std::string many_sym = cryst1_p212121;
  for (int op = 1; op <= 193; ++op) many_sym += identity_smtry(op);
  auto sym = f.run({f.write("sym.pdb", many_sym + one_atom)});
  EXPECT_EQ(sym.status, 0);
  EXPECT_TRUE(ends_with(sym.out, " Number of symm ops:         193 . Maximum:          192 . Increase "
                                 "maxsymops AND this parameter in sg type and recompile\n"))
      << sym.out.substr(sym.out.size() > 400 ? sym.out.size() - 400 : 0);

  std::string many_ncs = cryst1_p212121 + identity_smtry(1);
  for (int op = 1; op <= 192; ++op) many_ncs += mtrix(op, op);
  auto ncs = f.run({f.write("ncs.pdb", many_ncs + one_atom)});
  EXPECT_EQ(ncs.status, 0);
  EXPECT_TRUE(ends_with(ncs.out, " Number of ncs ops:         193 . Maximum:          192 . Increase "
                                 "maxncsops AND this parameter in ncs type and recompile\n"))
      << ncs.out.substr(ncs.out.size() > 400 ? ncs.out.size() - 400 : 0);

  auto ho = f.run({"-ho", f.write("ho.pdb", cryst1_p212121 + identity_smtry(1) + one_atom)});
  EXPECT_EQ(ho.status, 0);
  EXPECT_TRUE(ends_with(ho.out, " Basic info only requested. Ending.\n")) << ho.out;
  EXPECT_TRUE(fs::is_empty(f.dir / "") || !fs::exists(f.dir / "ho_channel_2.0.map"));
}

TEST(RunStops, TooManyAtomsStopsBeforeTheMap) {
  fixture f("many_atoms");
  std::string text = cryst1_p212121 + identity_smtry(1);
  text.reserve(text.size() + 250001 * 81);
  for (int a = 1; a <= 250001; ++a) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "ATOM  %5d  CA  ALA A%4d    %8.3f%8.3f%8.3f  1.00 20.00           C",
                  a % 100000, a % 10000, (a % 50) * 1.0, (a / 50 % 40) * 1.0, (a / 2000) * 0.2);
    text += card(buf);
  }
  auto result = f.run({"-nm", f.write("many.pdb", text)});
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(ends_with(result.out, " Number of atoms read:       250001\n"
                                    " Max number of atoms:       250000\n"
                                    " Increase maxatoms and recompile.\n"))
      << result.out.substr(result.out.size() > 600 ? result.out.size() - 600 : 0);
}

TEST(RunStops, InputErrorsExitTwoWithADiagnostic) {
  fixture f("input_errors");
  auto missing = f.run({"no_such_file.pdb"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("no_such_file.pdb"), std::string::npos) << missing.err;

  auto bad_number = f.run({f.write("bad.pdb",
                                   card("CRYST1   50.0x0   42.770   28.950  90.00  90.00  90.00 P 21 21 21") +
                                       one_atom)});
  EXPECT_EQ(bad_number.status, 2);
  EXPECT_NE(bad_number.err.find("bad.pdb"), std::string::npos) << bad_number.err;
  EXPECT_NE(bad_number.err.find("line 1"), std::string::npos) << bad_number.err;

  auto bad_atom = f.run({"-nm", f.write("badatom.pdb",
                                        cryst1_p212121 + identity_smtry(1) + one_atom +
                                            card("ATOM      2  CB  ALA A   1      1x.000  10.000  10.000  1.00 20.00           C"))});
  EXPECT_EQ(bad_atom.status, 2);
  EXPECT_NE(bad_atom.err.find("line 6"), std::string::npos) << bad_atom.err;

  fs::create_directories(f.dir / "a_directory.pdb");
  auto unreadable = f.run({"a_directory.pdb"});
  EXPECT_EQ(unreadable.status, 2);
  EXPECT_NE(unreadable.err.find("a_directory.pdb"), std::string::npos) << unreadable.err;
}

TEST(RunStops, LibraryFatalErrorsExitOne) {
  fixture f("library_fatal");
  auto zero_cell = f.run({f.write("zero.pdb",
                                  card("CRYST1    0.000   42.770   28.950  90.00  90.00  90.00 P 21 21 21") +
                                      one_atom)});
  EXPECT_EQ(zero_cell.status, 1);

  f.write("not_a_map.map", std::string(2000, 'x'));
  auto not_a_map = f.run({"-rm", "not_a_map.map",
                          f.write("ok.pdb", cryst1_p212121 + identity_smtry(1) + one_atom)});
  EXPECT_EQ(not_a_map.status, 1);

  // The map name names an environment variable whose value is a path that
  // cannot be created.
  auto unwritable = run_program(PORVANE_BINARY, {"ok.pdb"}, f.dir,
                                {"ok_channel_2.0.map=/no/such/directory/ok.map"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.out.find("Writing header..."), std::string::npos);
}

}  // namespace
}  // namespace porvane
