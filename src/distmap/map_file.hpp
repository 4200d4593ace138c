// The distance map as a CCP4 map file: written after the calculation, read
// back with -rm.
#pragma once

#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Writes gridi.dist over 0..nx × 0..ny × 0..nz to state.mapname.
void write_distance_map(const crystal_record& celli, const grid_store& gridi,
                        const run_state& state);
// Reads state.mapfile into gridi (sizing it), sets state.gridmax and the cell.
void read_distance_map(run_params& params, run_flags& flags, crystal_record& celli,
                       grid_store& gridi, run_state& state);

}  // namespace porvane
