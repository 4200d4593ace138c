// The header and the atoms of a PDB file read as a run reads them before
// the distance map.
#pragma once

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/run_params.hpp"
#include "input/header_reader.hpp"

namespace porvane {

// Reads the header of state.pdbname into celli and header, stops the run
// where it holds no symmetry operators, more operators than the stores
// hold, or no cell (or where only the header was asked for), then reads the
// atoms with their description and report, a second read when the
// heteroatom policy asks for it (flags.hn set), and the number of atoms the
// map will use.
void read_structure(crystal_record& celli, header_store& header, run_params& params,
                    run_flags& flags, atom_store& atoms, run_state& state);

}  // namespace porvane
