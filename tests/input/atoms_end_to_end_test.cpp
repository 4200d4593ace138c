// Small PDB files of tests/data/atoms run through the program: the report of
// the atom reader and the structure report, from "Reading atoms..." to the
// end of the structure report, is compared whole with the expected file.
#include <gtest/gtest.h>

#include "support/report_cases.hpp"

namespace porvane {
namespace {

TEST(AtomsEndToEnd, ReaderAndStructureReports) {
  std::vector<testing::report_case> cases = {
      // First line a hydrogen, later hydrogens by column 14, B-factor limit
      // (95.0 stays, 95.01 goes, HETATM untouched), alternate locations with
      // bmin/bmax from discarded records, skipped records, unknown elements.
      {"reader_filters.pdb", {"-mb", "95.0", "-vb", "2"}, "reader_filters_mb_vb2.txt"},
      // SEQRES residue as atom, ligand and water: the slot of the last atom
      // shows which heteroatoms kept theirs; a fraction of exactly 0.25 is kept.
      {"hetero.pdb", {"-vb", "2"}, "hetero_vb2.txt"},
      {"hetero.pdb", {"-ha", "-ru", "2.0", "-vb", "2"}, "hetero_ha_ru_vb2.txt"},
      {"hetero.pdb", {"-hn", "-vb", "2"}, "hetero_hn_vb2.txt"},
      {"hetero.pdb", {"-ha", "-hn", "-vb", "2"}, "hetero_ha_hn_vb2.txt"},
      // Chains registered after their first record (a CA first in its chain
      // counts for the chain before), a MODEL line that takes no slot and
      // registers no chain, a blank chain list that names no chain, no SEQRES.
      {"chains.pdb", {}, "chains.txt"},
      // A dropped first record registers its chain, which takes the next CA.
      {"water_first.pdb", {}, "water_first.txt"},
      // Shape of a unit, two operators, a chain listed twice, a missing chain;
      // CB and "P   " atoms left out. Under -cg no alpha carbons remain.
      {"units.pdb", {"-vb", "1"}, "units_vb1.txt"},
      {"units.pdb", {"-cg"}, "units_cg.txt"},
      // Second reads: too many non-water heteroatoms, only waters, no atoms
      // at all (nothing reset, no pseudo-atoms, B statistics 0).
      {"reread.pdb", {}, "reread.txt"},
      {"waters_only.pdb", {}, "waters_only.txt"},
      {"no_atoms.pdb", {"-cg"}, "no_atoms_cg.txt"},
      // Chain entries keep the SEQRES list of their position.
      {"pairing.pdb", {}, "pairing.txt"},
      // Composition: protein and nucleic acid, neither, no residues.
      {"mixed.pdb", {}, "mixed.txt"},
      {"unknown.pdb", {}, "unknown.txt"},
      {"empty_seqres.pdb", {}, "empty_seqres.txt"},
      // 100 symmetry operators, one NCS operator given: -ca wins over -cg.
      {"operators.pdb", {"-ca", "-cg"}, "operators_ca_cg.txt"},
      {"operators.pdb", {"-cg"}, "operators_cg.txt"},
      // The 201st chain identifier stops the run.
      {"many_chains.pdb", {}, "many_chains.txt"},
  };
  for (auto& c : cases) {
    c.pdb = "atoms/" + c.pdb;
    c.expected = "atoms/" + c.expected;
  }
  testing::expect_reports("atoms", cases, " Reading atoms...\n");
}

}  // namespace
}  // namespace porvane
