// Crystal, contents, biological-unit and atom-type report, with the
// heteroatom policy that may read the atoms a second time.
#pragma once

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/run_params.hpp"

namespace porvane {

void structure_report(crystal_record& celli, run_params& params, run_flags& flags,
                      atom_store& atoms, run_state& state);

}  // namespace porvane
