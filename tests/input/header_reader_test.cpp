#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "input/header_reader.hpp"
#include "input/linear_algebra.hpp"
#include "header_test_support.hpp"

namespace porvane {
namespace {

using namespace porvane::testing;

constexpr const char* scale_mismatch =
    " Warning - Scale matrix in header does not match calculated matrix (using PDB "
    "orthogonalization convention).\n"
    "           Proceeding with given scale matrix.\n";
constexpr const char* missing_scale =
    " Warning: Scale matrix not in header...using scale matrix calculated from unit cell\n"
    "  using PDB orthogonalization convention.\n";
constexpr const char* not_in_header =
    " Symmetry operators not in header...trying ccp4 symmetry library...";

void expect_operator(const float op[4][4], const std::vector<float>& rows, float tolerance = 0.0f) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j)
      EXPECT_NEAR(op[i][j], rows[4 * i + j], tolerance) << "row " << i + 1 << " column " << j + 1;
  EXPECT_EQ(op[3][0], 0.0f);
  EXPECT_EQ(op[3][1], 0.0f);
  EXPECT_EQ(op[3][2], 0.0f);
  EXPECT_EQ(op[3][3], 1.0f);
}

// ---------------------------------------------------------------------------
// Crystallographic symmetry, scale matrix, CRYST1

TEST(HeaderSymmetry, SmtryOperatorsAreReadAsOrthogonal) {
  auto lines = joined({{"HEADER    TEST"}, p212121_smtry(), {"REMARK 290"},
                       {p212121_cryst1()}, p212121_scale(), {atom_line}});
  header_result r = read_lines(lines);
  ASSERT_EQ(r.stop, -1) << r.out;
  EXPECT_EQ(r.celli->nsym, 4);
  expect_operator(r.celli->rsym[1], {-1, 0, 0, 25.42f, 0, -1, 0, 0, 0, 0, 1, 14.475f});
  expect_operator(r.celli->rsym[3], {1, 0, 0, 25.42f, 0, -1, 0, 21.385f, 0, 0, -1, 0});
  EXPECT_EQ(r.flags.sl, 0);
  EXPECT_PRED2(lacks, r.out, "ccp4");
  EXPECT_PRED2(lacks, r.out, "Warning");
  // Every line before ATOM is kept, 80 columns and 52 blanks.
  EXPECT_EQ(r.nheader, static_cast<int32_t>(lines.size()) - 1);
  EXPECT_EQ(r.line(2), lines[1]);
  EXPECT_EQ(r.header[1].view(), lines[1] + std::string(132 - lines[1].size(), ' '));
  EXPECT_EQ(r.line(r.nheader), lines[lines.size() - 2]);
}

TEST(HeaderSymmetry, VerboseListingOfSmtryRows) {
  run_flags flags;
  flags.vb = 1;
  auto lines = joined({p212121_smtry(), {p212121_cryst1()}, p212121_scale(), {atom_line}});
  header_result r = read_lines(lines, flags);
  EXPECT_PRED2(contains, r.out, " Symmetry operators found in pdb file header.\n"
                               "   1   1   1.000000  0.000000  0.000000    0.00000\n"
                               "   1   2   0.000000  1.000000  0.000000    0.00000\n"
                               "   1   3   0.000000  0.000000  1.000000    0.00000\n"
                               "\n"
                               "   2   1  -1.000000  0.000000  0.000000   25.42000\n");
  EXPECT_PRED2(contains, r.out, " Cryst card found.\n"
                               "   Unit cell =    50.840   42.770   28.950  90.00  90.00  90.00\n"
                               "   Volume =   62949.656\n");
  EXPECT_PRED2(contains, r.out, " Scale matrix found.\n"
                               "    0.019670  0.000000  0.000000   0.00000\n"
                               "    0.000000  0.023381  0.000000   0.00000\n"
                               "    0.000000  0.000000  0.034542   0.00000\n"
                               " Scale matrix calculated from cell (using PDB orthogonalization "
                               "convention):\n"
                               "    0.019670");
}

TEST(HeaderNcs, VerboseListingOfMtrixRows) {
  run_flags flags;
  flags.vb = 1;
  auto lines = joined({p212121_smtry(), {p212121_cryst1()}, p212121_scale(),
                       {mtrix(1, 2, 0, -1, 0, 1, 0), mtrix(2, 2, 1, 0, 0, 2, 0),
                        mtrix(3, 2, 0, 0, 1, 3, 0)},
                       {atom_line}});
  header_result r = read_lines(lines, flags);
  EXPECT_PRED2(contains, r.out, " NCS operators found.\n");
  EXPECT_EQ(count_of(r.out, "           2           1 "), 1);
  EXPECT_EQ(count_of(r.out, "           2           3 "), 1);
}

TEST(HeaderSymmetry, LineAfterSmtryGroupGoesOnToLaterTests) {
  // The group ends on a BIOMOLECULE line: test 3 comes after test 1, so the
  // unit is opened.
  auto lines = joined({p212121_smtry(), {"REMARK 350 BIOMOLECULE: 1"}, {p212121_cryst1()},
                       p212121_scale(), {atom_line}});
  header_result r = read_lines(lines);
  EXPECT_EQ(r.celli->nsym, 4);
  EXPECT_EQ(r.celli->nbio, 1);
}

TEST(HeaderSymmetry, SlIgnoresSmtryAndTakesTheLibraryOperators) {
  run_flags flags;
  flags.sl = 1;
  auto lines = joined({p212121_smtry(), {p212121_cryst1()}, p212121_scale(), {atom_line}});
  header_result r = read_lines(lines, flags);
  ASSERT_EQ(r.stop, -1) << r.out;
  EXPECT_EQ(r.celli->nsym, 4);
  EXPECT_PRED2(lacks, r.out, not_in_header);
  EXPECT_EQ(r.nheader, static_cast<int32_t>(lines.size()) - 1);  // SMTRY lines still kept
  // The library's 2-fold screw along a, taken to the orthogonal frame
  // through the given scale matrix.
  bool found = false;
  for (int k = 0; k < 4; ++k) {
    const float(*op)[4] = r.celli->rsym[k];
    if (op[0][0] < -0.5f && op[1][1] < -0.5f && op[2][2] > 0.5f) {
      expect_operator(op, {-1, 0, 0, 25.42f, 0, -1, 0, 0, 0, 0, 1, 14.475f}, 2e-3f);
      found = true;
    }
  }
  EXPECT_TRUE(found);
  expect_operator(r.celli->rsym[0], {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}, 1e-5f);
}

TEST(HeaderSymmetry, MissingScaleIsCalculatedFromTheCell) {
  auto lines = joined({p212121_smtry(), {p212121_cryst1()}, {atom_line}});
  header_result r = read_lines(lines);
  ASSERT_EQ(r.stop, -1);
  EXPECT_PRED2(contains, r.out, missing_scale);
  EXPECT_NEAR(r.celli->fracmat[0][0], 1.0f / 50.84f, 1e-8f);
  EXPECT_NEAR(r.celli->fracmat[1][1], 1.0f / 42.77f, 1e-8f);
  EXPECT_NEAR(r.celli->fracmat[2][2], 1.0f / 28.95f, 1e-8f);
  EXPECT_NEAR(r.celli->fracmat[0][1], 0.0f, 1e-7f);
  for (float u : r.celli->fracshift) EXPECT_EQ(u, 0.0f);
  float product[3][3];
  mmult(r.celli->orthmat, r.celli->fracmat, product);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(product[i][j], i == j ? 1.0f : 0.0f, 1e-6f);
  EXPECT_EQ(r.celli->nsym, 4);  // no library call
  EXPECT_EQ(r.flags.sl, 0);
}

TEST(HeaderSymmetry, ScaleRecordsThatAgreeGiveNoWarning) {
  // S elements that are zero are never compared, whatever X holds there.
  auto lines = joined({p212121_smtry(), {p212121_cryst1()}, p212121_scale(), {atom_line}});
  header_result r = read_lines(lines);
  EXPECT_PRED2(lacks, r.out, "Scale matrix");
  EXPECT_EQ(r.celli->fracmat[1][1], 0.023381f);
  EXPECT_NEAR(r.celli->orthmat[0][0], 1.0f / 0.019670f, 1e-3f);
}

TEST(HeaderSymmetry, ScaleRecordsThatDisagreeKeepTheGivenMatrix) {
  auto lines = joined({p212121_smtry(), {p212121_cryst1()},
                       {scale(1, 0.019670f, 0, 0, 0.5f), scale(2, 0, 0.023500f, 0, 0),
                        scale(3, 0, 0, 0.034542f, 0)},
                       {atom_line}});
  header_result r = read_lines(lines);
  EXPECT_EQ(count_of(r.out, scale_mismatch), 1);
  EXPECT_EQ(r.celli->fracmat[1][1], 0.0235f);
  EXPECT_EQ(r.celli->fracshift[0], 0.5f);
  EXPECT_NEAR(r.celli->orthmat[1][1], 1.0f / 0.0235f, 1e-3f);

  // A non-zero element where the cell's matrix has a zero differs.
  header_result off = read_lines(joined({p212121_smtry(), {p212121_cryst1()},
                                         {scale(1, 0.019670f, 0.0001f, 0, 0),
                                          scale(2, 0, 0.023381f, 0, 0),
                                          scale(3, 0, 0, 0.034542f, 0)},
                                         {atom_line}}));
  EXPECT_EQ(count_of(off.out, scale_mismatch), 1);
}

TEST(HeaderSymmetry, ScaleDisagreementStaysForLaterScaleGroups) {
  auto lines = joined({p212121_smtry(), {p212121_cryst1()},
                       {scale(1, 0.03f, 0, 0, 0), scale(2, 0, 0.023381f, 0, 0),
                        scale(3, 0, 0, 0.034542f, 0)},
                       {"REMARK"}, p212121_scale(), {atom_line}});
  header_result r = read_lines(lines);
  EXPECT_EQ(count_of(r.out, scale_mismatch), 2);
  EXPECT_EQ(r.celli->fracmat[0][0], 0.019670f);  // the last group is in force
}

TEST(HeaderSymmetry, SingularScaleMatrixIsReplacedByTheCalculatedOne) {
  auto lines = joined({p212121_smtry(), {p212121_cryst1()},
                       {scale(1, 0.019670f, 0, 0, 0), scale(2, 0, 0.023381f, 0, 0),
                        scale(3, 0, 0, 0, 0.25f)},
                       {atom_line}});
  header_result r = read_lines(lines);
  ASSERT_EQ(r.stop, -1);
  EXPECT_PRED2(contains, r.out, " Warning - Scale matrix in header is singular: it is not used.\n");
  EXPECT_PRED2(contains, r.out, missing_scale);
  EXPECT_NEAR(r.celli->fracmat[2][2], 1.0f / 28.95f, 1e-8f);
  EXPECT_EQ(r.celli->fracshift[2], 0.0f);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_TRUE(std::isfinite(r.celli->orthmat[i][j]));
}

TEST(HeaderSymmetry, SpaceGroupNumbersFromTheTable) {
  struct probe {
    const char* symbol;
    float number;
  };
  for (probe p : {probe{"P 1 1 21", 4.1f}, probe{"R 3", 146.0f}, probe{"P 21 21 21", 19.0f},
                  probe{"OTHER", -1.0f}}) {
    header_result r = read_lines(
        {cryst1(50, 60, 70, 90, 90, 90, p.symbol), "END"});
    EXPECT_EQ(r.celli->spgnum, p.number) << p.symbol;
    EXPECT_EQ(r.celli->spgname, padded(p.symbol, 10));
    EXPECT_PRED2(lacks, r.out, "sgdict");
  }
}

TEST(HeaderSymmetry, UnknownSymbolIsReportedAndAskedOfTheLibrary) {
  header_result r = read_lines({cryst1(50, 60, 70, 90, 90, 90, "P212121"), atom_line});
  EXPECT_EQ(r.celli->spgnum, -10.0f);
  EXPECT_PRED2(contains, r.out, " P212121    was not in sgdict.dat\n");
  EXPECT_PRED2(contains, r.out, not_in_header);
  // The library knows this spelling and gives its own form of the symbol.
  EXPECT_EQ(r.celli->nsym, 4);
  EXPECT_EQ(r.celli->spgname, "P 21 21 21");
}

TEST(HeaderSymmetry, SymbolTheLibraryDoesNotKnowLeavesNoOperators) {
  header_result r = read_lines({cryst1(50, 60, 70, 90, 90, 90, "Q 7"), atom_line});
  EXPECT_EQ(r.stop, -1);
  EXPECT_EQ(r.celli->nsym, 0);
  EXPECT_EQ(r.celli->spgname, "Q 7       ");
  EXPECT_PRED2(contains, r.out, "Failed to find spacegroup");
}

TEST(HeaderSymmetry, CellVolumeAndFaceAreas) {
  header_result r =
      read_lines({cryst1(20.544f, 20.859f, 26.055f, 101.16f, 97.03f, 118.06f, "P -1"), "END"});
  EXPECT_NEAR(r.celli->cellvol, 9368.2039f, 0.02f);
  const double deg = 3.14159265358979 / 180.0;
  EXPECT_NEAR(r.celli->facearea[0], 20.859 * 26.055 * std::sin(101.16 * deg), 1e-3);
  EXPECT_NEAR(r.celli->facearea[1], 20.544 * 26.055 * std::sin(97.03 * deg), 1e-3);
  EXPECT_NEAR(r.celli->facearea[2], 20.544 * 20.859 * std::sin(118.06 * deg), 1e-3);
}

TEST(HeaderSymmetry, P1KeepsOnlyTheFirstOperator) {
  run_flags flags;
  flags.p1 = 1;
  auto eight = joined({p212121_smtry(), p212121_smtry()});
  for (int i = 12; i < 24; ++i) eight[i].replace(19, 4, printed("%4d", (i / 3) + 1));
  header_result r = read_lines(joined({eight, {p212121_cryst1()}, p212121_scale(), {atom_line}}),
                               flags);
  EXPECT_EQ(r.celli->nsym, 1);
  expect_operator(r.celli->rsym[0], {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0});
  EXPECT_PRED2(contains, r.out,
               " Assuming space group P1, ignoring all other symmetry operators.\n");

  // End of file before any ATOM line: nothing changes.
  header_result eof = read_lines(joined({eight, {p212121_cryst1()}, p212121_scale()}), flags);
  EXPECT_EQ(eof.celli->nsym, 8);
  EXPECT_PRED2(lacks, eof.out, "P1");
}

TEST(HeaderSymmetry, P1WithoutAnyOperatorUsesTheIdentity) {
  run_flags flags;
  flags.p1 = 1;
  header_result r = read_lines({cryst1(50, 60, 70, 90, 90, 90, "Q 7"), atom_line}, flags);
  EXPECT_EQ(r.celli->nsym, 1);
  expect_operator(r.celli->rsym[0], {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0});
}

TEST(HeaderSymmetry, MoreThan192SmtryOperatorsAreCountedNotStored) {
  std::vector<std::string> lines;
  const float r3[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int k = 1; k <= 195; ++k) {
    const float t[3] = {static_cast<float>(k), 0, 0};
    add_operator(lines, false, k % 1000, r3, t);
  }
  lines.push_back(p212121_cryst1());
  for (const auto& s : p212121_scale()) lines.push_back(s);
  lines.push_back(atom_line);
  header_result r = read_lines(lines);
  EXPECT_EQ(r.celli->nsym, 195);
  EXPECT_EQ(r.celli->rsym[191][0][3], 192.0f);
}

// ---------------------------------------------------------------------------
// NCS operators

TEST(HeaderNcs, GivenIdentityFreesItsSlot) {
  auto lines = joined({p212121_smtry(), {p212121_cryst1()}, p212121_scale(),
                       {mtrix(1, 1, 1, 0, 0, 0, 1), mtrix(2, 1, 0, 1, 0, 0, 1),
                        mtrix(3, 1, 0, 0, 1, 0, 1), mtrix(1, 2, 0, -1, 0, 10.5f, 0),
                        mtrix(2, 2, 1, 0, 0, -3.25f, 0), mtrix(3, 2, 0, 0, 1, 7, 0)},
                       {atom_line}});
  header_result r = read_lines(lines);
  EXPECT_EQ(r.celli->nncs, 2);
  EXPECT_EQ(r.celli->ncsgiven[0], 0);
  EXPECT_EQ(r.celli->ncsgiven[1], 0);
  const float expected[3][4] = {{0, -1, 0, 10.5f}, {1, 0, 0, -3.25f}, {0, 0, 1, 7}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j) {
      EXPECT_EQ(r.celli->rncs[1][i][j], expected[i][j]);
      EXPECT_EQ(r.celli->rncs[0][i][j], i == j ? 1.0f : 0.0f);
    }
  EXPECT_EQ(r.nheader, static_cast<int32_t>(lines.size()) - 1);
}

TEST(HeaderNcs, GivenFlagOfANonIdentityOperatorIsKept) {
  auto lines = joined({p212121_smtry(), {p212121_cryst1()}, p212121_scale(),
                       {mtrix(1, 2, 0, -1, 0, 1, 1), mtrix(2, 2, 1, 0, 0, 2, 1),
                        mtrix(3, 2, 0, 0, 1, 3, 1)},
                       {atom_line}});
  header_result r = read_lines(lines);
  EXPECT_EQ(r.celli->nncs, 2);
  EXPECT_EQ(r.celli->ncsgiven[1], 1);
}

TEST(HeaderNcs, NnStoresMtrixLinesOnly) {
  run_flags flags;
  flags.nn = 1;
  auto lines = joined({p212121_smtry(), {p212121_cryst1()}, p212121_scale(),
                       {mtrix(1, 2, 0, -1, 0, 1, 0), mtrix(2, 2, 1, 0, 0, 2, 0),
                        mtrix(3, 2, 0, 0, 1, 3, 0)},
                       {atom_line}});
  header_result r = read_lines(lines, flags);
  EXPECT_EQ(r.celli->nncs, 1);
  EXPECT_EQ(r.nheader, static_cast<int32_t>(lines.size()) - 1);
}

TEST(HeaderNcs, MoreThan192OperatorsAreCountedNotStored) {
  auto lines = joined({p212121_smtry(), {p212121_cryst1()}, p212121_scale()});
  for (int k = 2; k <= 201; ++k) {
    lines.push_back(mtrix(1, k % 1000, 0, -1, 0, static_cast<float>(k), 0));
    lines.push_back(mtrix(2, k % 1000, 1, 0, 0, 0, 0));
    lines.push_back(mtrix(3, k % 1000, 0, 0, 1, 0, 0));
  }
  lines.push_back(atom_line);
  header_result r = read_lines(lines);
  EXPECT_EQ(r.celli->nncs, 201);
  EXPECT_EQ(r.celli->rncs[191][0][3], 192.0f);
}

// ---------------------------------------------------------------------------
// Biological units

std::vector<std::string> unit_lines(int number, const char* name, const char* chains, int nops,
                                    const char* more_chains = nullptr) {
  std::vector<std::string> lines = {
      printed("REMARK 350 BIOMOLECULE: %d", number),
      printed("REMARK 350 AUTHOR DETERMINED BIOLOGICAL UNIT: %s", name),
      printed("REMARK 350 APPLY THE FOLLOWING TO CHAINS: %s", chains)};
  if (more_chains != nullptr)
    lines.push_back(printed("REMARK 350                    AND CHAINS: %s", more_chains));
  const float r3[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int k = 1; k <= nops; ++k) {
    const float t[3] = {static_cast<float>(number), static_cast<float>(k), 0};
    add_operator(lines, true, k, r3, t);
  }
  return lines;
}

TEST(HeaderBiologicalUnits, UnitsSeparatedByRemark350Lines) {
  auto lines = joined({p212121_smtry(), {"REMARK 350"}, unit_lines(1, "DIMERIC", "A, B,", 2, "C"),
                       {"REMARK 350"}, unit_lines(2, "MONOMERIC", "D", 1), {"REMARK 350"},
                       {p212121_cryst1()}, p212121_scale(), {atom_line}});
  header_result r = read_lines(lines);
  ASSERT_EQ(r.celli->nbio, 2);
  const bio_unit& one = r.celli->biounit[0];
  EXPECT_EQ(one.name, " DIMERIC  ");
  EXPECT_EQ(one.chainlist.trimmed(), " A, B, C");
  EXPECT_EQ(one.chainlist.at(2), 'A');
  EXPECT_EQ(one.chainlist.at(5), 'B');
  EXPECT_EQ(one.chainlist.at(8), 'C');
  EXPECT_EQ(one.nops, 2);
  expect_operator(one.ops[1], {1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 0});
  const bio_unit& two = r.celli->biounit[1];
  EXPECT_EQ(two.name, " MONOMERIC");
  EXPECT_EQ(two.chainlist.trimmed(), " D");
  EXPECT_EQ(two.nops, 1);
  expect_operator(two.ops[0], {1, 0, 0, 2, 0, 1, 0, 1, 0, 0, 1, 0});
  EXPECT_PRED2(lacks, r.out, "Problem");
  EXPECT_PRED2(lacks, r.out, "problem");
}

TEST(HeaderBiologicalUnits, BiomoleculeRightAfterBiomtJoinsTheCurrentUnit) {
  // The line after a BIOMT group goes only to the tests after the group's
  // own: the BIOMOLECULE line is stored without opening unit 2.
  auto lines = joined({p212121_smtry(), unit_lines(1, "DIMERIC", "A", 1),
                       unit_lines(2, "OTHER", "B", 1), {"REMARK 350"}, {p212121_cryst1()},
                       p212121_scale(), {atom_line}});
  header_result r = read_lines(lines);
  EXPECT_EQ(r.celli->nbio, 1);
  EXPECT_EQ(r.celli->biounit[0].nops, 2);
  EXPECT_EQ(r.celli->biounit[0].name, " OTHER    ");
  EXPECT_EQ(r.celli->biounit[0].chainlist.trimmed(), " B");
  EXPECT_EQ(count_of(r.out, " Possible problem with Biomolecule transformations - multiple sets "
                            "of chain/operators\n"),
            1);
  EXPECT_EQ(r.nheader, static_cast<int32_t>(lines.size()) - 1);
}

TEST(HeaderBiologicalUnits, NumberThatDoesNotMatchTheCount) {
  header_result r = read_lines(joined({unit_lines(3, "X", "A", 1), {"END"}}));
  EXPECT_EQ(r.celli->nbio, 1);
  EXPECT_PRED2(contains, r.out, "  Problem - biom number in REMARK 350 and incremented "
                               "biomolecule number do not match\n");
}

TEST(HeaderBiologicalUnits, AndChainsWithoutACommaAppendsAfterTheLastChain) {
  header_result r = read_lines(joined({unit_lines(1, "DIMERIC", "A", 0),
                                       {"REMARK 350                    AND CHAINS: B, C"},
                                       {"END"}}));
  EXPECT_EQ(r.celli->biounit[0].chainlist.trimmed(), " A, B, C");
  // A list without its final comma loses no chain either.
  header_result s = read_lines(joined({unit_lines(1, "DIMERIC", "A, B", 0),
                                       {"REMARK 350                    AND CHAINS: C"},
                                       {"END"}}));
  EXPECT_EQ(s.celli->biounit[0].chainlist.trimmed(), " A, B, C");
}

TEST(HeaderBiologicalUnits, LinesBeforeTheFirstBiomoleculeAreIgnored) {
  auto lines = joined({{"REMARK 350 AUTHOR DETERMINED BIOLOGICAL UNIT: LOST",
                        "REMARK 350 APPLY THE FOLLOWING TO CHAINS: A",
                        "REMARK 350                    AND CHAINS: B"},
                       {biomt(1, 1, 1, 0, 0, 0), biomt(2, 1, 0, 1, 0, 0), biomt(3, 1, 0, 0, 1, 0)},
                       {"REMARK 350"}, unit_lines(1, "KEPT", "C", 1), {"END"}});
  header_result r = read_lines(lines);
  EXPECT_EQ(r.celli->nbio, 1);
  EXPECT_EQ(r.celli->biounit[0].name, " KEPT     ");
  EXPECT_EQ(r.celli->biounit[0].chainlist.trimmed(), " C");
  EXPECT_EQ(r.celli->biounit[0].nops, 1);
  EXPECT_EQ(count_of(r.out, "before the first BIOMOLECULE line: ignored."), 4);
  EXPECT_PRED2(lacks, r.out, "multiple sets");
  EXPECT_EQ(r.nheader, static_cast<int32_t>(lines.size()));
}

TEST(HeaderBiologicalUnits, UnitAndOperatorLimits) {
  std::vector<std::string> lines;
  for (int b = 1; b <= 103; ++b) {
    for (const auto& l : unit_lines(b % 100, "U", "A", b == 1 ? 105 : 1)) lines.push_back(l);
    lines.push_back("REMARK 350");
  }
  lines.push_back("END");
  header_result r = read_lines(lines);
  EXPECT_EQ(r.celli->nbio, 100);
  EXPECT_EQ(r.celli->biounit[0].nops, 100);
  EXPECT_EQ(r.celli->biounit[0].ops[99][1][3], 100.0f);
  EXPECT_EQ(r.celli->biounit[99].nops, 1);
  EXPECT_EQ(count_of(r.out, "more than 100 biological units"), 1);
  EXPECT_EQ(count_of(r.out, "more than 100 BIOMT operators in biological unit 1:"), 1);
}

// ---------------------------------------------------------------------------
// SEQRES, resolution, REMARK 285, kept lines

TEST(HeaderSequence, ResiduesMassesAndClasses) {
  auto lines = joined({{seqres(1, 'A', {"MET", "ALA", "XYZ"}), seqres(2, 'A', {"GLY"}),
                        seqres(1, 'B', {" DA", "  U"}), seqres(1, 'A', {"ALA"})},
                       {"END"}});
  header_result r = read_lines(lines);
  EXPECT_EQ(r.params.hasseqres, 1);
  EXPECT_EQ(r.celli->nresseq, 7);
  EXPECT_EQ(r.celli->nprotres, 4);
  EXPECT_EQ(r.celli->nnucres, 2);
  EXPECT_EQ(r.celli->nothres, 1);
  // A then B then A again: three chain records.
  ASSERT_EQ(r.celli->nchains, 3);
  EXPECT_EQ(r.celli->chain[0].id, "A");
  EXPECT_EQ(r.celli->chain[0].nres, 4);
  EXPECT_EQ(r.celli->chain[0].seqres[2], "XYZ");
  EXPECT_EQ(r.celli->chain[0].seqres[3], "GLY");
  EXPECT_EQ(r.celli->chain[1].id, "B");
  EXPECT_EQ(r.celli->chain[1].seqres[0], " DA");
  EXPECT_EQ(r.celli->chain[2].nres, 1);
  float a = 0.0f;
  for (float m : {149.211f, 89.093f}) a = a + m - 18.0f;
  a = a + 105.0f;
  a = a + 75.067f - 18.0f;
  EXPECT_EQ(r.celli->chain[0].mw, a);
  EXPECT_EQ(r.celli->chain[2].mw, 89.093f - 18.0f);
  EXPECT_NEAR(r.celli->mwseq, a + (331.222f - 18.0f) + (324.181f - 18.0f) + (89.093f - 18.0f),
              1e-3f);
  EXPECT_EQ(count_of(r.out, " is not in the database. Will use the mass of a serine (105 Da).\n"),
            1);
  EXPECT_PRED2(contains, r.out, "XYZ is not in the database");
}

TEST(HeaderSequence, NamesStopAtTheFirstBlankName) {
  std::string line = seqres(1, 'A', {"ALA", "GLY"});
  line += "    SER";  // after a blank name: not read
  header_result r = read_lines({line, "END"});
  EXPECT_EQ(r.celli->chain[0].nres, 2);
  EXPECT_EQ(r.celli->nresseq, 2);
}

TEST(HeaderSequence, ChainAndResidueLimits) {
  std::vector<std::string> lines;
  const std::vector<std::string> thirteen(13, "GLY");
  for (int i = 1; i <= 310; ++i) lines.push_back(seqres(i, 'A', thirteen));  // 4030 residues
  for (int c = 0; c < 202; ++c) lines.push_back(seqres(1, c % 2 ? 'B' : 'C', {"ALA"}));
  lines.push_back("END");
  header_result r = read_lines(lines);
  EXPECT_EQ(r.celli->nchains, 200);
  EXPECT_EQ(r.celli->chain[0].nres, 4000);
  EXPECT_EQ(r.celli->nresseq, 4030 + 202);
  EXPECT_EQ(r.celli->nprotres, 4030 + 202);
  // The masses of all residues count, stored or not.
  float chain = 0.0f;
  for (int i = 0; i < 4030; ++i) chain = chain + 75.067f - 18.0f;
  EXPECT_EQ(r.celli->chain[0].mw, chain);
  EXPECT_EQ(count_of(r.out, "more than 4000 SEQRES residues in chain A"), 1);
  EXPECT_EQ(count_of(r.out, "more than 200 SEQRES chains"), 1);
}

TEST(HeaderResolution, TextFromTheFirstNonBlankThroughColumn30) {
  struct probe {
    const char* line;
    float value;
  };
  for (probe p : {probe{"REMARK   2 RESOLUTION.   1.90 ANGSTROMS.", 1.9f},
                  probe{"REMARK   2 RESOLUTION.    1.80 ANGSTROMS.", 1.8f},
                  probe{"REMARK   2 RESOLUTION. 2.1  ANGSTROMS.", 2.1f},
                  probe{"REMARK   2 RESOLUTION. 0.75 ANGSTROM.", 0.75f},
                  probe{"REMARK   2 RESOLUTION. 12.345678901", 12.3456f},
                  probe{"REMARK   2 RESOLUTION. NOT APPLICABLE.", 0.0f},
                  probe{"REMARK   2 RESOLUTION.", 0.0f},
                  probe{"REMARK   2 RESOLUTION.         1.5", 0.0f}}) {
    header_result r = read_lines({p.line, "END"});
    EXPECT_FLOAT_EQ(r.celli->resolution, p.value) << p.line;
  }
}

TEST(HeaderRemark285, PrintedNotStoredAndTheNextLineIsTested) {
  auto lines = std::vector<std::string>{"REMARK 285 TEXT ONE", "REMARK 285 TEXT TWO",
                                        "REMARK 350 BIOMOLECULE: 1", "END"};
  header_result r = read_lines(lines);
  EXPECT_EQ(r.out, " REMARK 285 present - possible nonstandard generation of ASU\n"
                   " " + padded("REMARK 285 TEXT ONE", 80) + "\n" +
                   " " + padded("REMARK 285 TEXT TWO", 80) + "\n\n");
  EXPECT_EQ(r.nheader, 2);
  EXPECT_EQ(r.line(1), "REMARK 350 BIOMOLECULE: 1");
  EXPECT_EQ(r.celli->nbio, 1);
}

TEST(HeaderLines, HetatmBeforeAtomIsKeptAndAtomIsNot) {
  auto lines = joined({{"HEADER    TEST", "EXPDTA    X-RAY DIFFRACTION"}, p212121_smtry(),
                       {p212121_cryst1()}, p212121_scale(),
                       {"HETATM    1  C   ACE A 100      -3.325  -4.221  -7.090  1.00  4.77"},
                       {atom_line, "END"}});
  header_result r = read_lines(lines);
  EXPECT_EQ(r.nheader, static_cast<int32_t>(lines.size()) - 2);
  EXPECT_EQ(r.line(r.nheader).substr(0, 6), "HETATM");
  EXPECT_EQ(r.line(2), "EXPDTA    X-RAY DIFFRACTION");
}

TEST(HeaderLines, MoreThan5000LinesKeepTheFirst5000) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 5003; ++i) lines.push_back(printed("REMARK 999 LINE %d", i));
  lines.push_back("END");
  header_result r = read_lines(lines);
  EXPECT_EQ(r.nheader, 5000);
  EXPECT_EQ(r.line(5000), "REMARK 999 LINE 5000");
  EXPECT_EQ(count_of(r.out, "more than 5000 header lines"), 1);
}

TEST(HeaderEndOfFile, BeforeAtomSkipsTheEndOfHeaderSteps) {
  header_result r = read_lines({cryst1(50, 60, 70, 90, 90, 90, "P 21 21 21"), "END"});
  ASSERT_EQ(r.stop, -1);
  EXPECT_EQ(r.celli->nsym, 0);
  EXPECT_EQ(r.flags.sl, 0);
  EXPECT_EQ(r.celli->fracmat[0][0], 0.0f);
  EXPECT_EQ(r.celli->nncs, 1);
  EXPECT_EQ(r.celli->nbio, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.nheader, 2);
}

TEST(HeaderEndOfFile, InsideAGroupReturnsAtOnce) {
  auto lines = p212121_smtry();
  lines.resize(5);  // operator 2 stops after its second row
  header_result r = read_lines(lines);
  EXPECT_EQ(r.stop, -1);
  EXPECT_EQ(r.celli->nsym, 2);
  EXPECT_EQ(r.nheader, 5);
  header_result empty = read_lines({});
  EXPECT_EQ(empty.nheader, 0);
  EXPECT_EQ(empty.celli->nsym, 0);
}

TEST(HeaderBadInput, NoCellStopsTheRun) {
  header_result scale_first = read_lines(joined({p212121_scale(), {atom_line}}));
  EXPECT_EQ(scale_first.stop, plain_stop);
  EXPECT_PRED2(contains, scale_first.out, "No CRYST1 record");
  header_result nothing = read_lines(joined({p212121_smtry(), {atom_line}}));
  EXPECT_EQ(nothing.stop, plain_stop);
  EXPECT_PRED2(contains, nothing.out, "No CRYST1 record");
  EXPECT_PRED2(lacks, nothing.out, "Warning: Scale");
}

TEST(HeaderBadInput, MissingFileIsAnInputOutputError) {
  header_result r = read_path(std::filesystem::temp_directory_path() / "porvane_no_such.pdb");
  EXPECT_EQ(r.stop, io_error);
}

TEST(HeaderBadInput, MalformedNumberIsAnInputOutputError) {
  header_result r = read_lines({"CRYST1   50.840   ab.cde   28.950  90.00  90.00  90.00 P 1"});
  EXPECT_EQ(r.stop, io_error);
  header_result smtry_row = read_lines(
      {"REMARK 290   SMTRY1   1  1.0000x0  0.000000  0.000000        0.00000"});
  EXPECT_EQ(smtry_row.stop, io_error);
}

TEST(HeaderDeathTest, CellThatCannotBeOrthogonalisedEndsWithTheLibraryError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const std::string& line :
       {cryst1(50, 0, 70, 90, 90, 90, "P 1"), cryst1(50, 60, 70, 90, 0, 90, "P 1"),
        cryst1(-50, 60, 70, 90, 90, 90, "P 1"), cryst1(50, 60, 70, 90, 180, 90, "P 1"),
        cryst1(50, 60, 70, 10, 10, 100, "P 1")}) {
    const auto path = write_pdb({line, atom_line}, "badcell");
    EXPECT_EXIT(
        {
          crystal_record* celli = new crystal_record;
          header_store header;
          int32_t nheader = 0;
          run_flags flags;
          run_params params;
          read_header(fixed_text<132>(path.string()), *celli, header, nheader, flags, params);
        },
        ::testing::ExitedWithCode(1), "cannot orthogonalise")
        << line;
    std::filesystem::remove(path);
  }
}

// ---------------------------------------------------------------------------
// Real headers

TEST(HeaderRealFiles, Ubiquitin1ubq) {
  header_result r = read_real("1ubq.pdb");
  ASSERT_EQ(r.stop, -1);
  EXPECT_EQ(r.celli->spgname, "P 21 21 21");
  EXPECT_EQ(r.celli->spgnum, 19.0f);
  EXPECT_EQ(r.celli->nsym, 4);
  expect_operator(r.celli->rsym[2], {-1, 0, 0, 0, 0, 1, 0, 21.385f, 0, 0, -1, 14.475f});
  EXPECT_NEAR(r.celli->cellvol, 62949.656f, 0.05f);
  EXPECT_FLOAT_EQ(r.celli->resolution, 1.8f);
  EXPECT_EQ(r.celli->nncs, 1);
  EXPECT_EQ(r.celli->nbio, 1);
  EXPECT_EQ(r.celli->biounit[0].chainlist.trimmed(), " A");
  EXPECT_EQ(r.celli->nchains, 1);
  EXPECT_EQ(r.celli->nresseq, 76);
  EXPECT_EQ(r.celli->nprotres, 76);
  EXPECT_NEAR(r.celli->mwseq, 8559.972f, 0.01f);
  EXPECT_EQ(r.params.hasseqres, 1);
  EXPECT_EQ(r.out, "");
}

TEST(HeaderRealFiles, ProteinDnaComplex1a1fInC2221) {
  header_result r = read_real("1a1f.pdb");
  EXPECT_EQ(r.celli->spgnum, 20.0f);
  EXPECT_EQ(r.celli->nsym, 8);
  expect_operator(r.celli->rsym[6],
                  {-1, 0, 0, 21.49983f, 0, 1, 0, 27.95014f, 0, 0, -1, 64.20134f});
  EXPECT_NEAR(r.celli->cellvol, 308635.08f, 0.05f);
  EXPECT_FLOAT_EQ(r.celli->resolution, 2.1f);
  EXPECT_EQ(r.celli->nbio, 0);
  EXPECT_EQ(r.celli->nchains, 3);
  EXPECT_EQ(r.celli->nprotres, 90);
  EXPECT_EQ(r.celli->nnucres, 22);
  EXPECT_EQ(r.celli->nothres, 0);
}

TEST(HeaderRealFiles, TriclinicCell3al1) {
  header_result r = read_real("3al1.pdb");
  EXPECT_EQ(r.celli->spgnum, 2.0f);
  EXPECT_EQ(r.celli->nsym, 2);
  expect_operator(r.celli->rsym[1], {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0});
  EXPECT_NEAR(r.celli->cellvol, 9368.2039f, 0.02f);
  EXPECT_FLOAT_EQ(r.celli->resolution, 0.75f);
  // The given scale matrix agrees with the cell; O is its inverse.
  EXPECT_PRED2(lacks, r.out, "Warning - Scale");
  float product[3][3];
  mmult(r.celli->fracmat, r.celli->orthmat, product);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(product[i][j], i == j ? 1.0f : 0.0f, 1e-6f);
  EXPECT_NEAR(r.celli->orthmat[0][1], 20.859 * std::cos(118.06 * 3.14159265358979 / 180), 2e-3);
  // ACE is not in the residue table: one message for each chain.
  EXPECT_EQ(r.celli->nothres, 2);
  EXPECT_EQ(count_of(r.out, "ACE is not in the database"), 2);
  EXPECT_EQ(r.celli->biounit[0].chainlist.trimmed(), " A, B");
}

TEST(HeaderRealFiles, NoSmtryIn1hpvTakesTheLibraryOperators) {
  header_result r = read_real("1hpv.pdb");
  ASSERT_EQ(r.stop, -1);
  EXPECT_PRED2(contains, r.out, not_in_header);
  EXPECT_EQ(r.flags.sl, 1);
  EXPECT_EQ(r.celli->spgname, "P 61      ");
  EXPECT_EQ(r.celli->spgnum, 169.0f);
  ASSERT_EQ(r.celli->nsym, 6);
  // Every operator is a rotation by a multiple of 60 degrees about c with a
  // screw translation of a multiple of c/6.
  for (int k = 0; k < 6; ++k) {
    const float(*op)[4] = r.celli->rsym[k];
    const float angle = std::atan2(op[1][0], op[0][0]);
    const float turns = angle / (3.14159265f / 3.0f);
    const float nearest = std::round(turns);
    EXPECT_NEAR(turns, nearest, 1e-4f) << "operator " << k + 1;
    EXPECT_NEAR(op[0][0], op[1][1], 1e-4f);
    EXPECT_NEAR(op[0][1], -op[1][0], 1e-4f);
    EXPECT_NEAR(op[2][2], 1.0f, 1e-5f);
    EXPECT_NEAR(op[0][3], 0.0f, 1e-3f);
    EXPECT_NEAR(op[1][3], 0.0f, 1e-3f);
    float screw = nearest < 0 ? nearest + 6 : nearest;
    EXPECT_NEAR(op[2][3], screw * 83.8f / 6.0f, 2e-2f) << "operator " << k + 1;
  }
  expect_operator(r.celli->rsym[1], {0.5f, -0.8660254f, 0, 0, 0.8660254f, 0.5f, 0, 0, 0, 0, 1,
                                     83.8f / 6.0f},
                  2e-3f);
  EXPECT_FLOAT_EQ(r.celli->resolution, 1.9f);
  EXPECT_EQ(r.celli->nchains, 2);
  EXPECT_NEAR(r.celli->mwseq, 21574.49f, 0.02f);
}

TEST(HeaderRealFiles, HexagonalSettingH3In6insAssembly) {
  run_flags flags;
  flags.vb = 1;
  header_result r = read_real("6ins_assembly.pdb", flags);
  ASSERT_EQ(r.stop, -1);
  EXPECT_PRED2(contains, r.out, not_in_header);
  EXPECT_PRED2(contains, r.out,
               " Reading symmetry operators from ccp4 library for space group H 3       \n");
  EXPECT_EQ(r.celli->spgnum, 143.0f);
  ASSERT_EQ(r.celli->nsym, 9);  // three rotations, three centring translations
  EXPECT_EQ(r.celli->spgname, "H 3       ");
  // Centring (2/3, 1/3, 1/3) or (1/3, 2/3, 2/3) in the orthogonal frame.
  const float t1[3] = {79.22f * 0.5f, 79.22f * 0.8660254f / 3.0f, 37.75f / 3.0f};
  const float t2[3] = {0.0f, 79.22f * 0.8660254f * 2.0f / 3.0f, 37.75f * 2.0f / 3.0f};
  const float(*op)[4] = r.celli->rsym[3];
  EXPECT_NEAR(op[0][0], 1.0f, 1e-4f);
  const bool first = std::fabs(op[2][3] - t1[2]) < 0.05f;
  const float* t = first ? t1 : t2;
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(op[i][3], t[i], 0.05f) << i;
  EXPECT_EQ(r.celli->resolution, 0.0f);
}

TEST(HeaderRealFiles, NonStandardSetting4jsv) {
  header_result r = read_real("4jsv.pdb");
  EXPECT_EQ(r.celli->spgname, "P 2 21 21 ");
  EXPECT_EQ(r.celli->spgnum, 18.3f);
  EXPECT_EQ(r.celli->nsym, 4);
  expect_operator(r.celli->rsym[2], {-1, 0, 0, 0, 0, 1, 0, 81.6f, 0, 0, -1, 103.9f});
  EXPECT_NEAR(r.celli->cellvol, 4727466.6f, 1.0f);
  EXPECT_FLOAT_EQ(r.celli->resolution, 3.5f);
  EXPECT_EQ(r.celli->nbio, 2);
  EXPECT_EQ(r.celli->biounit[0].name, " DIMERIC  ");
  EXPECT_EQ(r.celli->biounit[1].chainlist.trimmed(), " A, C");
  EXPECT_EQ(r.celli->nchains, 4);
  EXPECT_EQ(r.celli->chain[2].id, "A");
}

}  // namespace
}  // namespace porvane
