// Reads the ATOM/HETATM records of a PDB file into the atom arrays.
#pragma once

#include <string>
#include <vector>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Reads the atom records of the file named `pdbname` (exactly as given)
// into `atoms`, counting in atoms.count (reset first), and rebuilds the
// chain table of celli with the CA/P centroids, the atoms' mass and the
// B-factor statistics.
void read_atoms(const std::string& pdbname, const run_params& params, atom_store& atoms,
                const run_flags& flags, crystal_record& celli);

// The chain lookup and SEQRES test of the reader for slot i (1-based):
// ichain (0-based entry) becomes the last entry whose identifier is the
// record's chain, and stays when none is; found is 1 when the record's
// residue name is one of that entry's SEQRES names, resname then that name.
void get_chres(const std::vector<atom_record>& pdbdata, int32_t i, const crystal_record& celli,
               int32_t& ichain, fixed_text<3>& resname, int32_t& found);

}  // namespace porvane
