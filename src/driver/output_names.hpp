// Names of the output files, derived from the input file name.
#pragma once

#include "common/run_params.hpp"

namespace porvane {

// Splits state.pdbname into directory and base name (into params) and
// builds the map, grid, nearest-channel and expanded-coordinates names.
void make_output_names(run_params& params, const run_flags& flags, run_state& state);

}  // namespace porvane
