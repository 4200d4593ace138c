// The expanded-coordinates file of -ex: the header lines, then every atom
// under every symmetry and NCS operator, wrapped into the unit cell.
#pragma once

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/run_params.hpp"
#include "input/header_reader.hpp"

namespace porvane {

// Writes state.expandedname: the header lines (a CRYST1 line in P 1 in
// place of the header's), then the copies grouped by symmetry operator, then
// NCS operator, each group in atom order, with chain character 64 + s
// (modulo 256) for operator s. The lines are written as the copies are
// made. An existing file ends the run with an input/output error.
void write_expanded_file(const run_flags& flags,
                         const crystal_record& celli, const header_store& header,
                         const atom_store& atoms, const run_state& state);

}  // namespace porvane
