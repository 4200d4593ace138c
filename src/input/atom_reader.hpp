// Reads the ATOM/HETATM records of a PDB file into the atom arrays.
#pragma once

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/fixed_text.hpp"
#include "common/run_params.hpp"

namespace porvane {

void read_atoms(const fixed_text<132>& pdbname, run_params& params, atom_store& atoms,
                run_flags& flags, crystal_record& celli);

}  // namespace porvane
