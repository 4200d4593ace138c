#include "input/structure_report.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "atoms_test_support.hpp"
#include "input/atom_reader.hpp"
#include "input/unit_shape.hpp"

namespace porvane {
namespace {

using test::atom_line;
using test::ca;

// A crystal of 4 symmetry operators in a 100000 Å^3 cell, as the header
// reader would leave it, and the run records around it.
struct report_fixture {
  std::unique_ptr<crystal_record> celli = test::new_crystal();
  run_params params;
  run_flags flags;
  atom_store atoms;
  run_state state;

  report_fixture() {
    crystal_record& c = *celli;
    c.spgname = "P 21 21 21";
    c.spgnum = 19.0f;
    c.nsym = 4;
    c.nncs = 1;
    c.cellvol = 100000.0f;
    float cell[6] = {50, 40, 50, 90, 90, 90};
    for (int i = 0; i < 6; ++i) c.cell[i] = cell[i];
    c.resolution = 1.8f;
    c.nchains = 1;
    c.chain[0].id = "A";
    c.chain[0].mw = 20000.0f;
  }
  void seqres(int nprot, int nnuc, int noth, float mw) {
    params.hasseqres = 1;
    celli->nprotres = nprot;
    celli->nnucres = nnuc;
    celli->nothres = noth;
    celli->nresseq = nprot + nnuc + noth;
    celli->mwseq = mw;
  }
  bio_unit& add_unit(const std::string& name, const std::string& chainlist, int nops) {
    bio_unit& u = celli->biounit[celli->nbio++];
    u.name = name;
    u.chainlist = chainlist;
    u.nops = nops;
    for (int o = 0; o < nops; ++o)
      for (int i = 0; i < 4; ++i) u.ops[o][i][i] = 1.0f;
    return u;
  }
  std::string read(const std::vector<std::string>& lines) {
    state.pdbname = test::write_pdb("report.pdb", lines);
    return test::capture_stdout([&] { read_atoms(state.pdbname, params, atoms, flags, *celli); });
  }
  std::string report_text() {
    return test::capture_stdout([&] { structure_report(*celli, params, flags, atoms, state); });
  }
};

// Four alpha carbons of chain A around the origin: the gyration tensor is
// diagonal with 0.5, 2 and 2.5.
std::vector<std::string> four_ca() {
  return {ca(1, 'A', 1, 2, 0, 0), ca(2, 'A', 2, -2, 0, 0), ca(3, 'A', 3, 0, 1, 0),
          ca(4, 'A', 4, 0, -1, 0)};
}

std::string unit_line(const std::string& head, const std::string& list) {
  std::string l = head + list;
  l.resize(head.size() + 130, ' ');
  return l + ")";
}

TEST(StructureReport, WholeReportWithSeqres) {
  report_fixture f;
  f.seqres(100, 0, 0, 20000.0f);
  f.add_unit("1", " A", 1);
  f.read(four_ca());
  std::string out = f.report_text();
  std::vector<std::string> expected = {
      "",
      " Crystal information:",
      "   Space Group: Symbol: P 21 21 21  Number:  19.0",
      "   Symm ops:   4   NCS ops:   1",
      "   Cell volume (Å^3):     100000.0",
      "   Cell parameters (a b c [Å]/alpha beta gamma [degrees]):       50.000      40.000      "
      "50.000     90.000    90.000    90.000",
      "   Resolution (Å):    1.80",
      "",
      " Contents of asymmetric unit:",
      "   Number of chains:     1",
      "   Number of protein/na residues (from seqres):   100",
      "   Mw (from seqres):     20000. Daltons",
      "   Composition (% protein/nucleic acid/unknown): 100.00   0.00   0.00",
      "   Partial specific volume estimate (cc/g, based on fraction prot/nuc): 0.74",
      "   ASU Volume (Å^3):     25000.0",
      "   Vm (Å^3/Da, based on Mw,psv & ASU vol):   1.25",
      "   Solv content, or porosity (based on Vm): 0.02",
      "",
      " Biological units:",
      "   Number of biological units:     1",
      unit_line("     Unit:   1 1          (", " A"),
      "       Ch:  A  MW:    20000. COM:    0.0   0.0   0.0 Copies:   1",
      "       MW:     20000. For C-alphas: COM:     0.0    0.0    0.0 RG:        2.2",
      "                                    Sqrt(Principal moments):                       0.7"
      "       1.4       1.6",
      "                                    Asphericity(normized by Rg**2):              0.250",
      "                                    Acylindricity(normalized by Rg**2):          0.300",
      "                                    Shape anisotropy:                            0.130",
      "    MW of all biological units:     20000.",
      "",
      " Atom types:",
      "   Atoms(non-hydrogen):          4 with min/max/average b-factor:   20.0  20.0  20.0",
      "     Alternate locations (ignored, just first location is considered):            0",
      "     Alpha-carbons/phosphorous atoms:            4",
      "   Heteroatoms(non-hydrogen):            0",
      "     Waters:            0",
      "     Non-water:            0",
      "  NCS operators will be applied (           1  operators) to complete asu.",
      "   Number of atoms to be used for calculation of distance map:            4",
      ""};
  EXPECT_EQ(test::lines_of(out), expected);
  EXPECT_FLOAT_EQ(f.celli->vm, 1.25f);
  EXPECT_FLOAT_EQ(f.celli->solvent, 1.0f - 1.66f * 0.74f / 1.25f);
  EXPECT_FLOAT_EQ(f.celli->mwatoms, 4 * 12.0107f / (1.0f - 0.071f));
  const bio_unit& u = f.celli->biounit[0];
  EXPECT_FLOAT_EQ(u.moments[0], 0.5f);
  EXPECT_FLOAT_EQ(u.moments[1], 2.0f);
  EXPECT_FLOAT_EQ(u.moments[2], 2.5f);
  EXPECT_EQ(f.state.nncs_applied, 1);
  EXPECT_EQ(f.params.natoms, 4);
}

TEST(StructureReport, SeqresAbsentUsesAtomMassAndListsUnitsTwice) {
  report_fixture f;
  f.celli->chain[0].mw = 0.0f;  // only SEQRES gives chain masses
  f.add_unit("1", " A", 1);
  f.read(four_ca());
  std::string out = f.report_text();
  EXPECT_TRUE(test::has_line(out, "   Seqres absent"));
  EXPECT_TRUE(test::has_line(out, "   Mw (from atoms):        52. Daltons"));
  EXPECT_TRUE(test::has_line(
      out, "   Principal radii of gyration for contents of asu:    0.0   0.0   0.0"));
  EXPECT_TRUE(
      test::has_line(out, "   Composition assumed to be purely protein - no nucleic acids"));
  EXPECT_TRUE(test::has_line(
      out, "   Partial specific volume estimate (cc/g, assuming no nucleic acids): 0.74"));
  EXPECT_TRUE(test::has_line(out, "   Vm (Å^3/Da, based on Mw,psv & ASU vol): 483.42"));
  EXPECT_TRUE(test::has_line(out, "   Solv content, or porosity (based on Vm): 1.00"));
  EXPECT_EQ(test::count_lines(out, unit_line("     Unit:   1 1          (", " A")), 2);
  EXPECT_EQ(test::count_lines(out, "   Number of chains:     1"), 2);
  EXPECT_TRUE(test::has_line(out, "    MW of all biological units:         0."));
  float mw = 4 * 12.0107f / (1.0f - 0.071f);
  EXPECT_FLOAT_EQ(f.celli->vm, 100000.0f / (4.0f * mw));
}

TEST(StructureReport, CompositionOfMixedAndUnknownResidues) {
  report_fixture f;
  f.params.natoms = 1;  // atoms read: no second read
  f.seqres(30, 10, 0, 20000.0f);
  std::string out = f.report_text();
  EXPECT_TRUE(
      test::has_line(out, "   Composition (% protein/nucleic acid/unknown):  75.00  25.00   0.00"));
  // (30·0.74 + 10·0.5) / 40 = 0.68
  EXPECT_TRUE(test::has_line(
      out, "   Partial specific volume estimate (cc/g, based on fraction prot/nuc): 0.68"));

  // Residues of neither class only: protein is assumed, nothing divides by 0.
  report_fixture g;
  g.params.natoms = 1;
  g.seqres(0, 0, 5, 1000.0f);
  out = g.report_text();
  EXPECT_TRUE(
      test::has_line(out, "   Composition (% protein/nucleic acid/unknown):   0.00   0.00 100.00"));
  EXPECT_TRUE(test::has_line(
      out, "   Partial specific volume estimate (cc/g, based on fraction prot/nuc): 0.74"));

  // SEQRES records without residues: all shares 0.
  report_fixture h;
  h.params.natoms = 1;
  h.seqres(0, 0, 0, 0.0f);
  h.celli->mwseq = 1000.0f;
  out = h.report_text();
  EXPECT_TRUE(
      test::has_line(out, "   Composition (% protein/nucleic acid/unknown):   0.00   0.00   0.00"));
}

TEST(StructureReport, ChainListWalk) {
  auto ids = [](const std::string& list) {
    fixed_text<400> t(list);
    std::vector<char> v = listed_chains(t);
    return std::string(v.begin(), v.end());
  };
  EXPECT_EQ(ids(" A, B"), "AB");
  EXPECT_EQ(ids(" A"), "A");
  EXPECT_EQ(ids(""), " ");  // a blank list visits position 2 only
  EXPECT_EQ(ids(" A, B, C, D"), "ABCD");
  EXPECT_EQ(ids(" A  B"), "A");      // no comma next to B
  EXPECT_EQ(ids(" A, B  C"), "AB");  // C has no comma before it
  std::string full = " A";
  for (int i = 0; i < 132; ++i) full += ", B";
  EXPECT_EQ(ids(full).size(), 133u);  // positions 2 .. 398
}

TEST(StructureReport, MissingChainsAndUnitsWithoutAtoms) {
  report_fixture f;
  f.seqres(100, 0, 0, 20000.0f);
  f.add_unit("blank", "", 1);
  f.add_unit("noops", " A", 0);
  f.read(four_ca());
  std::string out = f.report_text();
  const std::string problem = " Problem! Chain   appears to not have been in the seqres list.";
  EXPECT_EQ(test::count_lines(out, problem), 2);
  // Neither unit has atom copies: centre at the origin, no shape lines.
  EXPECT_EQ(
      test::count_lines(
          out, "       MW:         0. For C-alphas: COM:     0.0    0.0    0.0 RG:        0.0"),
      2);
  EXPECT_EQ(out.find("Asphericity"), std::string::npos);
  EXPECT_TRUE(
      test::has_line(out, "       Ch:  A  MW:    20000. COM:    0.0   0.0   0.0 Copies:   0"));
  EXPECT_EQ(f.celli->biounit[1].rg, 0.0f);
}

TEST(StructureReport, UnitCentreIsTheMeanOfTransformedChainCentroids) {
  report_fixture f;
  f.seqres(100, 0, 0, 20000.0f);
  f.celli->chain[1].mw = 1000.0f;
  bio_unit& u = f.add_unit("dimer", " A, B", 2);
  u.ops[1][1][3] = 10.0f;  // second operator: translation along y
  f.flags.vb = 1;
  f.read({ca(1, 'A', 1, 0, 0, 0), "TER", ca(2, 'B', 1, 4, 1, 0), ca(3, 'B', 2, 4, 0, 0),
          ca(4, 'B', 3, 4, -1, 0)});
  std::string out = f.report_text();
  // Chain B's first CA went to chain A (registered after its first record).
  EXPECT_FLOAT_EQ(f.celli->chain[0].centroid[0], 2.0f);
  EXPECT_FLOAT_EQ(f.celli->chain[1].centroid[0], 4.0f);
  // (2,0.5,0) (2,10.5,0) (4,-0.5,0) (4,9.5,0) -> (3,5,0)
  EXPECT_FLOAT_EQ(u.com[0], 3.0f);
  EXPECT_FLOAT_EQ(u.com[1], 5.0f);
  EXPECT_FLOAT_EQ(u.mw, 2 * 20000.0f + 2 * 1000.0f);
  EXPECT_TRUE(
      test::has_line(out, "       Ch:  B  MW:     1000. COM:    4.0  -0.5   0.0 Copies:   2"));
  EXPECT_TRUE(test::has_line(out, "    MW of all biological units:     42000."));
  EXPECT_EQ(
      test::count_lines(
          out, " Applying translation vector:    0.00000000       10.0000000       0.00000000    "),
      2);
  EXPECT_EQ(test::count_lines(
                out,
                " Applying rotation matrix:    "
                "   1.00000000       0.00000000       0.00000000       0.00000000       1.00000000 "
                "      0.00000000       0.00000000       0.00000000       1.00000000    "),
            4);
}

TEST(StructureReport, TensorTakesOnlyCaAndPOfListedChainsPerOperator) {
  report_fixture f;
  f.seqres(100, 0, 0, 20000.0f);
  f.add_unit("1", " A", 1);
  std::vector<std::string> lines = four_ca();
  // Not alpha carbons or phosphorus by name (nor by element): left out of
  // the tensor and of the chain centroid.
  lines.push_back(atom_line("ATOM", 5, " CB ", ' ', "ALA", 'A', 4, 30, 30, 30));
  lines.push_back(atom_line("ATOM", 6, "P   ", ' ', "  A", 'A', 5, 40, 40, 40, 20, "  "));
  // Another chain's CA atoms are not in the unit.
  lines.push_back(atom_line("ATOM", 7, " CB ", ' ', "ALA", 'C', 1, 50, 0, 0));
  lines.push_back(ca(8, 'C', 1, 50, 0, 0));
  f.read(lines);
  f.report_text();
  const bio_unit& u = f.celli->biounit[0];
  EXPECT_FLOAT_EQ(u.moments[0], 0.5f);
  EXPECT_FLOAT_EQ(u.moments[2], 2.5f);

  // Listed twice: every atom enters twice, the tensor (a mean) is the same.
  report_fixture g;
  g.seqres(100, 0, 0, 20000.0f);
  g.add_unit("1", " A, A", 1);
  g.read(four_ca());
  g.report_text();
  EXPECT_FLOAT_EQ(g.celli->biounit[0].moments[1], 2.0f);
  EXPECT_FLOAT_EQ(g.celli->biounit[0].mw, 40000.0f);
}

TEST(StructureReport, TensorSpansEverySlotInUse) {
  // The MODEL line keeps a slot without being an atom: the last CA stands
  // beyond the atom count and still belongs to the unit.
  report_fixture f;
  f.seqres(100, 0, 0, 20000.0f);
  f.add_unit("1", " A", 1);
  std::vector<std::string> lines = four_ca();
  std::string model = "MODEL        2";
  model.resize(80, ' ');
  model[21] = 'A';  // same chain column: no new chain entry
  lines.insert(lines.begin() + 3, model);
  f.read(lines);
  ASSERT_EQ(f.atoms.nslots, 5);
  ASSERT_EQ(f.params.natoms, 4);
  f.report_text();
  EXPECT_FLOAT_EQ(f.celli->biounit[0].moments[0], 0.5f);
  EXPECT_FLOAT_EQ(f.celli->biounit[0].moments[2], 2.5f);

  // Under -cg the pseudo-atoms have replaced the records: no alpha carbons
  // remain, the unit has no shape lines.
  report_fixture g;
  g.seqres(100, 0, 0, 20000.0f);
  g.add_unit("1", " A", 1);
  g.flags.cg = 1;
  g.read(four_ca());
  std::string out = g.report_text();
  EXPECT_EQ(g.params.npseudo, 4);
  EXPECT_TRUE(test::has_line(
      out, "       MW:     20000. For C-alphas: COM:     0.0    0.0    0.0 RG:        0.0"));
  EXPECT_EQ(out.find("Sqrt(Principal moments)"), std::string::npos);
}

TEST(StructureReport, MomentSortAndDescriptors) {
  float w[3] = {3, 1, 2};
  sort_moments(w);
  EXPECT_EQ(w[0], 1.0f);
  EXPECT_EQ(w[1], 2.0f);
  EXPECT_EQ(w[2], 3.0f);
  float v[3] = {2, 2, 1};
  sort_moments(v);
  EXPECT_EQ(v[0], 1.0f);
  EXPECT_EQ(v[2], 2.0f);

  bio_unit u;
  for (int i = 0; i < 3; ++i) u.moments[i] = w[i];
  set_shape_descriptors(u);
  EXPECT_FLOAT_EQ(u.rg, std::sqrt(6.0f));
  EXPECT_FLOAT_EQ(u.asphericity, 1.5f);
  EXPECT_FLOAT_EQ(u.acylindricity, 1.0f);
  EXPECT_NEAR(u.anisotropy, 1.5f * 14.0f / 36.0f - 0.5f, 1e-6f);
  EXPECT_NEAR(u.asphericity / (u.rg * u.rg), 0.25f, 1e-6f);

  bio_unit none;
  set_shape_descriptors(none);
  EXPECT_EQ(none.rg, 0.0f);
  EXPECT_EQ(none.anisotropy, 0.0f);
}

TEST(StructureReport, HeteroatomFractionBelowCutKeepsTheFirstRead) {
  report_fixture f;
  f.params.natoms = 100;
  f.params.nhetero = 20;
  f.params.nwaters = 10;
  std::string out = f.report_text();
  EXPECT_EQ(out.find("Rereading"), std::string::npos);
  EXPECT_EQ(f.flags.hn, 0);
  EXPECT_TRUE(test::has_line(out, "     Non-water:           10"));
  EXPECT_TRUE(test::has_line(
      out, "   Number of atoms to be used for calculation of distance map:          100"));
}

TEST(StructureReport, HeteroatomFractionAboveCutRereadsWithNonWaterHeteroatoms) {
  report_fixture f;
  f.params.gridsize = 1.5f;
  std::vector<std::string> lines = four_ca();
  for (int i = 0; i < 3; ++i)
    lines.push_back(atom_line("HETATM", 10 + i, " C1 ", ' ', "LIG", 'A', 10 + i, 0, 0, 0));
  lines.push_back(atom_line("HETATM", 20, " O  ", ' ', "HOH", 'A', 20, 0, 0, 0, 20, " O"));
  f.read(lines);
  EXPECT_EQ(f.params.nhetero, 4);
  EXPECT_EQ(f.atoms.nslots, 4);
  std::string out = f.report_text();
  std::vector<std::string> all = test::lines_of(out);
  std::vector<std::string> tail(all.end() - 8, all.end());
  // 3 / (4 + 3) > 0.25
  EXPECT_EQ(
      tail,
      (std::vector<std::string>{
          "  Greater than,  0.250000000      of atoms are heteroatoms (excluding waters)...",
          "  Rereading file to include heteroatoms (without waters)", "   Chain            1 A",
          " Alpha carbons/phosphorous:            4    All atoms:            4",
          " File contains mainly alpha carbons or phosphorous atoms.",
          "   Non-water heteroatoms will be included in calculation of distance map...",
          "   Number of atoms to be used for calculation of distance map:            7", ""}));
  EXPECT_EQ(f.flags.hn, 1);
  EXPECT_EQ(f.atoms.nslots, 7);  // the LIG atoms now keep their slots
  EXPECT_EQ(f.params.natoms, 7);
  EXPECT_EQ(f.params.gridsize, 1.5f);
  // The second read recomputes the plain atom mass.
  EXPECT_FLOAT_EQ(f.celli->mwatoms, 4 * 12.0107f);
}

TEST(StructureReport, NoAtomsRereads) {
  report_fixture f;
  f.read({atom_line("HETATM", 1, " O  ", ' ', "HOH", 'W', 1, 0, 0, 0, 20, " O")});
  std::string out = f.report_text();
  EXPECT_TRUE(test::has_line(out, " No atoms found..."));
  EXPECT_EQ(out.find("Greater than"), std::string::npos);
  EXPECT_TRUE(test::has_line(out, "  Rereading file to include heteroatoms (without waters)"));
  // Without atoms the B statistics print as zeros.
  EXPECT_TRUE(test::has_line(
      out, "   Atoms(non-hydrogen):          0 with min/max/average b-factor:    0.0   0.0   0.0"));
  EXPECT_EQ(f.params.nwaters, 1);
  EXPECT_EQ(f.params.natoms, 0);
}

TEST(StructureReport, HeteroatomSwitches) {
  struct expect {
    int ha, hn, natoms;
    bool all_line, nonwater_line;
  };
  for (const expect e : {expect{1, 0, 120, true, false}, expect{0, 1, 110, false, true},
                         expect{1, 1, 120, true, true}}) {
    report_fixture f;
    f.flags.ha = e.ha;
    f.flags.hn = e.hn;
    f.params.natoms = 100;
    f.params.nhetero = 20;
    f.params.nwaters = 10;
    std::string out = f.report_text();
    SCOPED_TRACE(testing::Message() << "ha " << e.ha << " hn " << e.hn);
    EXPECT_EQ(f.params.natoms, e.natoms);
    EXPECT_EQ(test::has_line(
                  out, "   All heteroatoms will be included in calculation of distance map..."),
              e.all_line);
    EXPECT_EQ(
        test::has_line(
            out, "   Non-water heteroatoms will be included in calculation of distance map..."),
        e.nonwater_line);
  }
}

TEST(StructureReport, AtomCountLinesAndAppliedNcsOperators) {
  report_fixture f;
  f.celli->nncs = 3;
  f.celli->ncsgiven[2] = 1;
  f.flags.ca = 1;
  f.flags.cg = 1;
  f.params.natoms = 100;
  f.params.nca = 50;
  f.params.npseudo = 30;
  std::string out = f.report_text();
  EXPECT_EQ(f.state.nncs_applied, 2);
  EXPECT_TRUE(test::has_line(
      out, "  NCS operators will be applied (           2  operators) to complete asu."));
  EXPECT_TRUE(test::has_line(out, "   Only alpha carbons or phosphorous atoms will be used"));
  EXPECT_TRUE(test::has_line(
      out, "   Number of atoms to be used for calculation of distance map:          100"));
  EXPECT_EQ(out.find("pseudoatoms"), std::string::npos);

  report_fixture g;
  g.flags.cg = 1;
  g.params.natoms = 100;
  g.params.npseudo = 30;
  out = g.report_text();
  EXPECT_TRUE(test::has_line(out, "   Residues to be approximated with pseudoatoms"));
  EXPECT_TRUE(test::has_line(
      out, "   Number of pseudoatoms to be used for calculation of distance map:           30"));

  // Every operator given in the header: the line is left out.
  report_fixture h;
  h.celli->ncsgiven[0] = 1;
  h.params.natoms = 10;
  out = h.report_text();
  EXPECT_EQ(out.find("NCS operators will be applied"), std::string::npos);
}

TEST(StructureReport, OperatorCountsTooWideForTheirFields) {
  report_fixture f;
  f.celli->nsym = 100;
  f.params.natoms = 1;
  std::string out = f.report_text();
  EXPECT_TRUE(test::has_line(out, "   Symm ops:  **   NCS ops:   1"));
}

}  // namespace
}  // namespace porvane
