// Grid counts and grid-point positions over the unit cell.
#pragma once

#include <cstdint>

#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"

namespace porvane {

// gridmax(c) = nint(cell(c) / gridsize), halves away from zero.
void set_gridmax(const run_params& params, const crystal_record& celli, int32_t gridmax[3]);
// Orthogonal position of (possibly fractional) grid coordinates g.
void grid_to_real(const run_params& params, const crystal_record& celli, const float g[3],
                  float xyz[3]);
void frac_to_real(const crystal_record& celli, const float f[3], float xyz[3]);
void to_fcoords(const crystal_record& celli, const float xyz[3], float f[3]);

}  // namespace porvane
