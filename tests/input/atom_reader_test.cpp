// What the report does not show of a read: the pseudo-atoms of -cg and the
// store's limit. The reports themselves: atoms_end_to_end_test.cpp.
#include "input/atom_reader.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/report_writer.hpp"

namespace porvane {
namespace {

struct direct_read {
  std::unique_ptr<crystal_record> celli = std::make_unique<crystal_record>();
  run_params params;
  run_flags flags;
  atom_store atoms;

  // Reads a file of tests/data/atoms, the report kept off the test output.
  void read(const std::string& name) {
    const std::string file = std::string(PORVANE_TEST_DATA) + "/atoms/" + name;
    ::testing::internal::CaptureStdout();
    read_atoms(file, params, atoms, flags, *celli);
    report().flush();
    std::fflush(stdout);
    ::testing::internal::GetCapturedStdout();
  }
};

TEST(AtomReader, PseudoAtomPerResidueRun) {
  direct_read r;
  r.flags.cg = 1;
  r.read("cg.pdb");
  struct pseudo {
    float x, y, z, radius;
    const char* resname;
    int resseq;
  };
  // Mean of the run, rms distance to it + 1.6; a run of one atom gets 1.6.
  // Runs go by residue number alone (the last one spans chains B and C) and
  // take the name of their last record.
  const pseudo expected[] = {{1, 0, 0, 2.6f, "ALA", 1},
                             {5, 5, 5, 1.6f, "GLY", 2},
                             {0, 1, 1, 3.6f, "SER", 3},
                             {10, 0, 0, 2.6f, "GLY", 4}};
  ASSERT_EQ(r.atoms.count.npseudo, 4);
  EXPECT_EQ(r.atoms.count.natoms, 8);
  for (int m = 0; m < 4; ++m) {
    SCOPED_TRACE(m);
    const atom_record& p = r.atoms.pdbdata[m];
    const pseudo& e = expected[m];
    EXPECT_EQ(p.atname, " PSE");
    EXPECT_EQ(p.resname, e.resname);
    EXPECT_EQ(p.resseq, e.resseq);
    EXPECT_FLOAT_EQ(p.radius, e.radius);
    EXPECT_FLOAT_EQ(r.atoms.pseudocoords[4 * m + 3], e.radius);
    const float xyz[3] = {e.x, e.y, e.z};
    for (int c = 0; c < 3; ++c) {
      EXPECT_FLOAT_EQ(p.xyz[c], xyz[c]);
      EXPECT_FLOAT_EQ(r.atoms.coords[3 * m + c], xyz[c]);
    }
  }
  // The other fields stay those of the m-th record; later slots are untouched.
  EXPECT_EQ(r.atoms.pdbdata[2].chainid, "A");
  EXPECT_EQ(r.atoms.pdbdata[2].serial, 3);
  EXPECT_EQ(r.atoms.pdbdata[4].atname, " CA ");
}

TEST(AtomReader, StoreNeverGrowsBeyondItsLimit) {
  EXPECT_EQ(atom_store{}.slot_limit, maxatoms);
  direct_read r;
  r.atoms.slot_limit = 4;
  r.flags.cg = 1;
  r.read("six_ca.pdb");
  // Counting goes on so that the run can stop with the true numbers.
  EXPECT_EQ(r.atoms.nslots, 6);
  EXPECT_EQ(r.atoms.count.natoms, 6);
  EXPECT_EQ(r.atoms.nstored(), 4);
  EXPECT_EQ(r.atoms.pdbdata.size(), 4u);
  EXPECT_EQ(r.atoms.coords.size(), 12u);
  EXPECT_EQ(r.atoms.count.npseudo, 4);
  EXPECT_FLOAT_EQ(r.celli->chain[0].centroid[0], 3.5f);  // all six CA atoms
}

}  // namespace
}  // namespace porvane
