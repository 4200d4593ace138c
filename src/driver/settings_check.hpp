// Settings that no run can work with, refused right after the command line.
#pragma once

#include "common/run_params.hpp"

namespace porvane {

// A grid size, or with the multiscale analysis a step size, that is not a
// number above zero, or a time budget below zero, ends the run with an
// input error: no grid can be laid with such a grid size, the multiscale
// loop would never end, and no grid can be sized to a negative time.
void check_settings(const run_flags& flags, const run_params& params);

}  // namespace porvane
