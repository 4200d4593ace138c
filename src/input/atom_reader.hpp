// Reads the ATOM/HETATM records of a PDB file into the atom arrays.
#pragma once

#include <string>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Reads the atom records of the file named `pdbname` (trailing blanks
// ignored) into `atoms`, counting in atoms.count (reset first), and rebuilds
// the chain table of celli with the CA/P centroids, the atoms' mass and the
// B-factor statistics.
void read_atoms(const std::string& pdbname, const run_params& params, atom_store& atoms,
                const run_flags& flags, crystal_record& celli);

}  // namespace porvane
