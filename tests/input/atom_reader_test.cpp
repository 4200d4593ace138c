#include "input/atom_reader.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "atoms_test_support.hpp"
#include "common/run_stop.hpp"

namespace porvane {
namespace {

using test::atom_line;
using test::ca;

// One read of a generated file with its own records.
struct reader_fixture {
  std::unique_ptr<crystal_record> celli = test::new_crystal();
  run_params params;
  run_flags flags;
  atom_store atoms;
  std::string out;

  void read(const std::string& name, const std::vector<std::string>& lines) {
    std::string path = test::write_pdb(name, lines);
    out = test::capture_stdout(
        [&] { read_atoms(fixed_text<132>(path), params, atoms, flags, *celli); });
  }
  const atom_record& slot(int a) const { return atoms.pdbdata.at(a - 1); }
};

void set_seqres(crystal_record& celli, int entry, const std::vector<std::string>& names) {
  chain_entry& c = celli.chain[entry - 1];
  c.nres = static_cast<int32_t>(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) c.seqres[i] = names[i];
}

TEST(AtomReader, HydrogenSkippedOnlyWhenNamedFromColumn14) {
  reader_fixture f;
  f.read("hydrogens.pdb",
         {"HEADER    TEST",
          "ATOM      1 HN   ALA A   1       1.000   0.000   0.000  1.00 10.00           H",
          atom_line("ATOM", 2, " N  ", ' ', "ALA", 'A', 1, 1, 1, 1, 10, " N"),
          atom_line("ATOM", 3, " HA ", ' ', "ALA", 'A', 1, 1, 1, 1, 10, " H"),
          atom_line("ATOM", 4, "HG12", ' ', "LEU", 'A', 2, 2, 2, 2, 10, " H")});
  // The first coordinate line is read whatever its column 14 holds; "HN"
  // and "HG12" start in column 13, " HA " in column 14.
  EXPECT_EQ(f.params.natoms, 3);
  EXPECT_EQ(f.atoms.nslots, 3);
  EXPECT_EQ(f.slot(3).atname, "HG12");
  EXPECT_FLOAT_EQ(f.celli->mwatoms, 1.00794f + 14.0067f + 1.00794f);
  EXPECT_EQ(f.out, "   Chain            1 A\n");
}

TEST(AtomReader, BfactorLimitDropsOnlyAtomRecordsAbove) {
  reader_fixture f;
  set_seqres(*f.celli, 1, {"MSE"});
  f.flags.mb = 1;
  f.flags.vb = 1;
  f.params.maxbfactor = 30.0f;
  f.read("bfactor.pdb", {atom_line("ATOM", 1, " CA ", ' ', "ALA", 'A', 1, 0, 0, 0, 30.0f),
                         atom_line("ATOM", 2, " CA ", ' ', "ALA", 'A', 2, 0, 0, 0, 30.01f),
                         atom_line("HETATM", 3, "SE  ", ' ', "MSE", 'A', 3, 0, 0, 0, 90.0f, "SE")});
  EXPECT_EQ(f.params.natoms, 2);
  EXPECT_EQ(f.atoms.nslots, 2);
  EXPECT_EQ(f.slot(2).resname, "MSE");
  EXPECT_EQ(f.celli->bmax, 90.0f);
  EXPECT_EQ(f.celli->bmin, 30.0f);
  EXPECT_EQ(f.params.nca, 2);  // counted before the filters
  EXPECT_TRUE(test::has_line(
      f.out,
      " Atom  CA  of residue            2  with bfactor:    30.0100002      will be ignored."));
}

std::vector<std::string> hetero_lines() {
  return {atom_line("ATOM", 1, " CA ", ' ', "ALA", 'A', 1, 0, 0, 0),
          atom_line("HETATM", 2, "SE  ", ' ', "MSE", 'A', 2, 0, 0, 0, 20, "SE"),
          atom_line("HETATM", 3, " C1 ", ' ', "LIG", 'A', 3, 0, 0, 0),
          atom_line("HETATM", 4, " O  ", ' ', "HOH", 'A', 4, 0, 0, 0, 20, " O")};
}

TEST(AtomReader, HeteroatomsBySeqresAndSwitches) {
  struct expect {
    int ha, hn, nslots;
    const char* last;
  };
  for (const expect e : {expect{0, 0, 2, "MSE"}, expect{1, 0, 4, "HOH"}, expect{0, 1, 3, "LIG"},
                         expect{1, 1, 3, "LIG"}}) {
    reader_fixture f;
    set_seqres(*f.celli, 1, {"ALA", "MSE"});
    f.flags.ha = e.ha;
    f.flags.hn = e.hn;
    f.read("hetero.pdb", hetero_lines());
    SCOPED_TRACE(testing::Message() << "ha " << e.ha << " hn " << e.hn);
    // MSE stands in the SEQRES list: an atom. LIG and HOH are heteroatoms,
    // never counted as atoms, whatever the switches keep.
    EXPECT_EQ(f.params.natoms, 2);
    EXPECT_EQ(f.params.nhetero, 2);
    EXPECT_EQ(f.params.nwaters, 1);
    EXPECT_EQ(f.atoms.nslots, e.nslots);
    EXPECT_EQ(f.slot(e.nslots).resname, e.last);
    EXPECT_FLOAT_EQ(f.celli->mwatoms, 12.0107f + 78.96f);
  }
}

TEST(AtomReader, FirstAlternateLocationOfEachResidueWins) {
  std::vector<std::string> lines = {
      atom_line("ATOM", 1, " N  ", ' ', "SER", 'A', 1, 0, 0, 0, 10, " N"),
      atom_line("ATOM", 2, " CA ", 'A', "SER", 'A', 1, 1, 0, 0, 11),
      atom_line("ATOM", 3, " CA ", 'B', "SER", 'A', 1, 2, 0, 0, 50),
      atom_line("ATOM", 4, " CB ", 'A', "SER", 'A', 1, 3, 0, 0, 13),
      atom_line("ATOM", 5, " CB ", 'B', "SER", 'A', 1, 4, 0, 0, 5),
      atom_line("ATOM", 6, " CA ", 'B', "GLY", 'A', 2, 5, 0, 0, 16),
      atom_line("ATOM", 7, " CA ", 'A', "GLY", 'A', 2, 6, 0, 0, 17)};
  reader_fixture quiet;
  quiet.read("altloc.pdb", lines);
  EXPECT_EQ(quiet.params.natoms, 4);
  EXPECT_EQ(quiet.params.naltloc, 3);
  EXPECT_EQ(quiet.atoms.nslots, 4);
  EXPECT_EQ(quiet.slot(4).altloc, "B");  // residue 2 met B first
  EXPECT_FLOAT_EQ(quiet.celli->bsum, 10 + 11 + 13 + 16);
  // Discarded records still took part in the minimum and maximum.
  EXPECT_EQ(quiet.celli->bmin, 5.0f);
  EXPECT_EQ(quiet.celli->bmax, 50.0f);
  EXPECT_EQ(quiet.celli->chain[0].ncap, 2);
  EXPECT_FLOAT_EQ(quiet.celli->chain[0].centroid[0], 3.0f);  // (1 + 5) / 2
  // Every CA record counts before the filters: 4 of 4 atoms.
  EXPECT_EQ(test::lines_of(quiet.out),
            (std::vector<std::string>{
                "   Chain            1 A",
                " Alpha carbons/phosphorous:            4    All atoms:            4",
                " File contains mainly alpha carbons or phosphorous atoms."}));

  reader_fixture verbose;
  verbose.flags.vb = 1;
  verbose.read("altloc.pdb", lines);
  EXPECT_EQ(test::lines_of(verbose.out),
            (std::vector<std::string>{
                "   Chain            1 A",
                " Alternate conformation B of atom  CA  in residue            1  encountered and "
                "discarded.",
                " Alternate conformation B of atom  CB  in residue            1  encountered and "
                "discarded.",
                " Alternate conformation A of atom  CA  in residue            2  encountered and "
                "discarded.",
                " Alpha carbons/phosphorous:            4    All atoms:            4",
                " File contains mainly alpha carbons or phosphorous atoms."}));
}

TEST(AtomReader, ChainRegistrationFollowsSlotsIncludingModelLines) {
  reader_fixture f;
  f.read("chains.pdb", {ca(1, 'A', 1, 1, 0, 0), ca(2, 'A', 2, 3, 0, 0), ca(3, 'B', 1, 8, 0, 0),
                        "ENDMDL", "MODEL        2", ca(4, 'B', 3, 10, 4, 0)});
  EXPECT_EQ(test::lines_of(f.out),
            (std::vector<std::string>{
                "   Chain            1 A", "   Chain            2 B", "   Chain            3  ",
                " Alpha carbons/phosphorous:            4    All atoms:            4",
                " File contains mainly alpha carbons or phosphorous atoms."}));
  const crystal_record& c = *f.celli;
  EXPECT_EQ(c.nchains, 3);
  EXPECT_EQ(f.atoms.nslots, 5);  // the MODEL line keeps a slot
  EXPECT_EQ(f.params.natoms, 4);
  EXPECT_EQ(f.slot(4).recname, "MODEL ");
  // A chain is registered after its first record: B's first CA still adds
  // to A, the CA after the MODEL line to the blank chain, and B keeps none.
  EXPECT_EQ(c.chain[0].ncap, 3);
  EXPECT_FLOAT_EQ(c.chain[0].centroid[0], 4.0f);
  EXPECT_EQ(c.chain[1].ncap, 0);
  EXPECT_EQ(c.chain[1].centroid[0], 0.0f);  // no CA: centroid at the origin
  EXPECT_EQ(c.chain[1].centroid[1], 0.0f);
  EXPECT_EQ(c.chain[2].ncap, 1);
  EXPECT_FLOAT_EQ(c.chain[2].centroid[1], 4.0f);
  EXPECT_EQ(f.atoms.coords.size(), 15u);
  EXPECT_EQ(f.atoms.coords[3 * 4], 10.0f);
}

TEST(AtomReader, ChainIdsPairWithSeqresByPosition) {
  reader_fixture f;
  f.celli->nchains = 2;
  f.celli->chain[0].id = "A";
  f.celli->chain[1].id = "B";
  set_seqres(*f.celli, 1, {"ALA"});
  set_seqres(*f.celli, 2, {"MSE"});
  f.celli->chain[0].mw = 89.0f;
  f.read("pairing.pdb", {ca(1, 'B', 1, 0, 0, 0),
                         atom_line("HETATM", 2, "SE  ", ' ', "MSE", 'B', 2, 0, 0, 0, 20, "SE"),
                         ca(3, 'A', 1, 0, 0, 0)});
  // Entry 1 is now chain B but keeps the first SEQRES list (ALA only).
  EXPECT_EQ(f.celli->chain[0].id, "B");
  EXPECT_EQ(f.celli->chain[0].mw, 89.0f);
  EXPECT_EQ(f.celli->chain[1].id, "A");
  EXPECT_EQ(f.params.nhetero, 1);
  EXPECT_EQ(f.params.natoms, 2);
}

TEST(AtomReader, DroppedFirstRecordStillLetsTheNextChainRegister) {
  reader_fixture f;
  f.read("het_first.pdb", {"REMARK   1 ATOM RECORDS FOLLOW",
                           atom_line("HETATM", 1, " O  ", ' ', "HOH", 'W', 1, 0, 0, 0, 20, " O"),
                           ca(2, 'A', 1, 2, 0, 0), ca(3, 'A', 2, 4, 0, 0)});
  EXPECT_EQ(test::lines_of(f.out),
            (std::vector<std::string>{
                "   Chain            1 W", "   Chain            2 A",
                " Alpha carbons/phosphorous:            2    All atoms:            2",
                " File contains mainly alpha carbons or phosphorous atoms."}));
  EXPECT_EQ(f.atoms.nslots, 2);
  EXPECT_EQ(f.params.nwaters, 1);
  EXPECT_EQ(f.celli->chain[1].ncap, 1);  // the first CA of A went to W
  EXPECT_EQ(f.celli->chain[0].ncap, 1);
}

TEST(AtomReader, MainlyAlphaCarbonsNote) {
  reader_fixture f;
  f.read("ca_only.pdb", {ca(1, 'A', 1, 0, 0, 0), ca(2, 'A', 2, 0, 0, 0),
                         atom_line("ATOM", 3, " P  ", ' ', "  A", 'A', 3, 0, 0, 0, 20, " P")});
  EXPECT_EQ(f.params.nca, 3);
  EXPECT_EQ(test::lines_of(f.out),
            (std::vector<std::string>{
                "   Chain            1 A",
                " Alpha carbons/phosphorous:            3    All atoms:            3",
                " File contains mainly alpha carbons or phosphorous atoms."}));

  reader_fixture mixed;
  mixed.read("mixed.pdb",
             {ca(1, 'A', 1, 0, 0, 0), atom_line("ATOM", 2, " CB ", ' ', "ALA", 'A', 1, 0, 0, 0)});
  EXPECT_EQ(mixed.out, "   Chain            1 A\n");
}

TEST(AtomReader, FileWithoutCoordinatesResetsNothing) {
  reader_fixture f;
  f.params.natoms = 0;
  f.celli->nchains = 1;
  f.celli->chain[0].id = "A";
  f.celli->bmin = 3.0f;
  f.flags.cg = 1;
  f.read("header_only.pdb", {"HEADER    NOTHING",
                             "CRYST1   10.000   10.000   10.000  90.00  90.00  90.00 P 1", "END"});
  EXPECT_EQ(f.out, "");
  EXPECT_EQ(f.atoms.nslots, 0);
  EXPECT_TRUE(f.atoms.pdbdata.empty());
  EXPECT_EQ(f.celli->nchains, 1);
  EXPECT_EQ(f.celli->bmin, 3.0f);
  EXPECT_EQ(f.params.npseudo, 0);
}

TEST(AtomReader, CoarseGrainedPseudoAtomsPerResidueRun) {
  reader_fixture f;
  f.flags.cg = 1;
  f.read("cg.pdb", {atom_line("ATOM", 1, " N  ", ' ', "ALA", 'A', 1, 0, 0, 0, 20, " N"),
                    atom_line("ATOM", 2, " CA ", ' ', "ALA", 'A', 1, 2, 0, 0),
                    atom_line("ATOM", 3, " CA ", ' ', "GLY", 'A', 2, 5, 5, 5),
                    atom_line("ATOM", 4, " N  ", ' ', "SER", 'B', 3, 0, 0, 0, 20, " N"),
                    atom_line("ATOM", 5, " CA ", ' ', "SER", 'B', 3, 0, 3, 0),
                    atom_line("ATOM", 6, " CB ", ' ', "SER", 'B', 3, 0, 0, 3)});
  EXPECT_EQ(f.params.npseudo, 3);
  EXPECT_EQ(f.params.natoms, 6);
  struct expect {
    float x, y, z, r;
    const char* res;
    int seq;
  };
  const expect e[3] = {
      {1, 0, 0, 2.6f, "ALA", 1}, {5, 5, 5, 1.6f, "GLY", 2}, {0, 1, 1, 3.6f, "SER", 3}};
  for (int m = 1; m <= 3; ++m) {
    SCOPED_TRACE(m);
    const atom_record& p = f.slot(m);
    EXPECT_EQ(p.atname, " PSE");
    EXPECT_FLOAT_EQ(p.xyz[0], e[m - 1].x);
    EXPECT_FLOAT_EQ(p.xyz[1], e[m - 1].y);
    EXPECT_FLOAT_EQ(p.xyz[2], e[m - 1].z);
    EXPECT_FLOAT_EQ(p.radius, e[m - 1].r);
    EXPECT_EQ(p.resname, e[m - 1].res);
    EXPECT_EQ(p.resseq, e[m - 1].seq);
    EXPECT_FLOAT_EQ(f.atoms.coords[3 * (m - 1) + 1], e[m - 1].y);
    EXPECT_FLOAT_EQ(f.atoms.pseudocoords[4 * (m - 1) + 3], e[m - 1].r);
  }
  // The other fields stay those of the m-th record read.
  EXPECT_EQ(f.slot(3).chainid, "A");
  EXPECT_EQ(f.slot(3).serial, 3);
  EXPECT_EQ(f.slot(4).atname, " N  ");  // slots after npseudo are untouched
}

TEST(AtomReader, RadiiAndVerboseAtomLines) {
  reader_fixture f;
  f.flags.vb = 2;
  f.read("radii.pdb", {ca(1, 'A', 1, 0, 0, 0),
                       atom_line("ATOM", 2, " O  ", ' ', "HOH", 'A', 2, 0, 0, 0, 20, " O")});
  EXPECT_EQ(f.slot(1).radius, 1.92f);
  EXPECT_EQ(f.slot(2).radius, 1.37f);
  EXPECT_TRUE(
      test::has_line(f.out, "Num:     1 Residue:ALA     1 Atom: CA  Element: C Radius: 1.92"));
  EXPECT_TRUE(
      test::has_line(f.out, "Num:     2 Residue:HOH     2 Atom: O   Element: O Radius: 1.37"));

  reader_fixture u;
  u.flags.ru = 1;
  u.params.atomradius = 2.0f;
  u.read("radii.pdb", {ca(1, 'A', 1, 0, 0, 0),
                       atom_line("ATOM", 2, " O  ", ' ', "HOH", 'A', 2, 0, 0, 0, 20, " O")});
  EXPECT_EQ(u.slot(1).radius, 2.0f);
  EXPECT_EQ(u.slot(2).radius, 2.0f);
}

TEST(AtomReader, StoreNeverGrowsBeyondItsLimit) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 6; ++i) lines.push_back(ca(i, 'A', i, static_cast<float>(i), 0, 0));
  EXPECT_EQ(atom_store{}.slot_limit, maxatoms);
  reader_fixture f;
  f.atoms.slot_limit = 4;
  f.flags.cg = 1;
  f.read("many.pdb", lines);
  // Counting goes on so that the run can stop with the true numbers.
  EXPECT_EQ(f.atoms.nslots, 6);
  EXPECT_EQ(f.params.natoms, 6);
  EXPECT_EQ(f.atoms.nstored(), 4);
  EXPECT_EQ(f.atoms.pdbdata.size(), 4u);
  EXPECT_EQ(f.atoms.coords.size(), 12u);
  EXPECT_EQ(f.params.npseudo, 4);
  EXPECT_FLOAT_EQ(f.celli->chain[0].centroid[0], 3.5f);  // all six CA atoms
}

TEST(AtomReader, MoreChainsThanTheTableHoldsStopTheRun) {
  std::vector<std::string> lines;
  int serial = 0;
  for (int c = 33; c < 256 && serial <= maxchains; ++c) {
    if (c == 127) continue;
    ++serial;
    lines.push_back(ca(serial, static_cast<char>(c), serial, 0, 0, 0));
  }
  reader_fixture f;
  std::string path = test::write_pdb("chains201.pdb", lines);
  int status = -1;
  std::string out = test::capture_stdout([&] {
    try {
      read_atoms(fixed_text<132>(path), f.params, f.atoms, f.flags, *f.celli);
    } catch (const run_stop& stop) {
      status = stop.status;
    }
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(f.celli->nchains, maxchains);
  EXPECT_EQ(test::lines_of(out).back(),
            " Number of chains exceeds maximum:          200 . Increase maxchains and recompile.");
}

TEST(AtomReader, RealFileCounts) {
  reader_fixture f;
  std::string path = std::string(PORVANE_TEST_DATA) + "/pdb/1ubq.pdb";
  f.out = test::capture_stdout(
      [&] { read_atoms(fixed_text<132>(path), f.params, f.atoms, f.flags, *f.celli); });
  // 602 ATOM records (no hydrogens, no alternate locations), 58 waters.
  EXPECT_EQ(f.params.natoms, 602);
  EXPECT_EQ(f.params.nca, 76);
  EXPECT_EQ(f.params.nhetero, 58);
  EXPECT_EQ(f.params.nwaters, 58);
  EXPECT_EQ(f.atoms.nslots, 602);
  EXPECT_EQ(f.celli->nchains, 1);
  EXPECT_EQ(f.celli->chain[0].ncap, 76);
}

}  // namespace
}  // namespace porvane
