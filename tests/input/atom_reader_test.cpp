// What the report does not show of a read: the pseudo-atoms of -cg and the
// store's limit. The reports themselves: atoms_end_to_end_test.cpp.
#include "input/atom_reader.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "input/header_reader.hpp"
#include "support/report_cases.hpp"

namespace porvane {
namespace {

// Reads a file of tests/data/atoms with -cg, the report kept off the test output.
atom_store read_cg(const std::string& name, int32_t slot_limit, crystal_record& celli) {
  atom_store atoms;
  atoms.slot_limit = slot_limit;
  run_flags flags;
  flags.cg = 1;
  testing::captured_report(
      [&] { read_atoms(std::string(PORVANE_TEST_DATA) + "/atoms/" + name, run_params{}, atoms, flags, celli); });
  return atoms;
}

// Runs go by residue number alone (the last one spans chains B and C) and
// take the name of their last record; the mean of the run, rms distance to
// it + 1.6 (a run of one atom gets 1.6); the other fields stay those of the
// m-th record, later slots are untouched.
TEST(AtomReader, PseudoAtomPerResidueRun) {
  auto celli = std::make_unique<crystal_record>();
  const atom_store atoms = read_cg("cg.pdb", maxatoms, *celli);
  ASSERT_EQ(atoms.count.npseudo, 4);
  EXPECT_EQ(atoms.count.natoms, 8);
  const char* expected[] = {"1 0 0 2.6 ALA 1 A 1", "5 5 5 1.6 GLY 2 A 2", "0 1 1 3.6 SER 3 A 3",
                            "10 0 0 2.6 GLY 4 B 4"};
  for (int m = 0; m < 4; ++m) {
    const atom_record& p = atoms.pdbdata[m];
    char text[80];
    std::snprintf(text, sizeof text, "%g %g %g %g %.3s %d %.1s %d", p.xyz[0], p.xyz[1], p.xyz[2], p.radius,
                  p.resname.c.data(), p.resseq, p.chainid.c.data(), p.serial);
    EXPECT_EQ(text, std::string(expected[m]));
    EXPECT_EQ(p.atname, " PSE");
    EXPECT_EQ(std::vector<float>(&atoms.coords[3 * m], &atoms.coords[3 * m] + 3),
              std::vector<float>(p.xyz, p.xyz + 3));
    EXPECT_EQ(atoms.pseudocoords[4 * m + 3], p.radius);
  }
  EXPECT_EQ(atoms.pdbdata[4].atname, " CA ");
}

// Counting goes on beyond the store, so that the run can stop with the true numbers.
TEST(AtomReader, StoreNeverGrowsBeyondItsLimit) {
  EXPECT_EQ(atom_store{}.slot_limit, maxatoms);
  auto celli = std::make_unique<crystal_record>();
  const atom_store atoms = read_cg("six_ca.pdb", 4, *celli);
  EXPECT_EQ(std::vector<int64_t>({atoms.nslots, atoms.count.natoms, atoms.nstored(), atoms.count.npseudo,
                                  static_cast<int64_t>(atoms.pdbdata.size()), static_cast<int64_t>(atoms.coords.size())}),
            (std::vector<int64_t>{6, 6, 4, 4, 4, 12}));
  EXPECT_FLOAT_EQ(celli->chain[0].centroid[0], 3.5f);  // all six CA atoms
}

// The reader's chain lookup and SEQRES test as a routine of its own: ALA and
// MSE are in chain A's SEQRES, LIG and HOH are not; a chain identifier no
// entry has keeps the entry of the lookup before.
TEST(AtomReader, ChainAndSeqresLookupOfASlot) {
  auto celli = std::make_unique<crystal_record>();
  header_store header;
  int32_t nheader = 0;
  run_flags flags;
  flags.ha = 1;
  run_params params;
  atom_store atoms;
  const std::string path = std::string(PORVANE_TEST_DATA) + "/atoms/hetero.pdb";
  testing::captured_report([&] {
    read_header(path, *celli, header, nheader, flags, params);
    read_atoms(path, params, atoms, flags, *celli);
  });
  ASSERT_EQ(atoms.pdbdata.size(), 5u);
  const int32_t want[5] = {1, 1, 0, 0, 1};
  for (int32_t i = 1; i <= 5; ++i) {
    int32_t ichain = 7, found = -1;
    fixed_text<3> resname{"---"};
    get_chres(atoms.pdbdata, i, *celli, ichain, resname, found);
    EXPECT_EQ(ichain, 0) << i;
    EXPECT_EQ(found, want[i - 1]) << i;
    EXPECT_EQ(resname.view(), found ? atoms.pdbdata[static_cast<std::size_t>(i - 1)].resname.view() : "---") << i;
  }
  atoms.pdbdata[0].chainid = "Q";
  int32_t ichain = 7, found = -1;
  fixed_text<3> resname{"---"};
  get_chres(atoms.pdbdata, 1, *celli, ichain, resname, found);
  EXPECT_EQ(ichain, 7);
}

}  // namespace
}  // namespace porvane
