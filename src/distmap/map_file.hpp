// The distance map as a CCP4 map file: written after the calculation, read
// back with -rm.
#pragma once

#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Writes gridi.dist over 0..nx × 0..ny × 0..nz to state.mapname (or to the
// file an environment variable of that name gives). A file that cannot be
// created or written is the library's fatal error (exit status 1).
void write_distance_map(const crystal_record& celli, const grid_store& gridi,
                        const run_state& state);
// Reads state.mapfile into gridi (sizing it and filling xyz at the assumed
// params.gridsize), sets state.gridmax and the cell, and writes the map's
// completion lines. A map of another data mode, or whose extent does not fit
// the grid 0..n (n ≤ 250) of its sampling, ends the run with status 1.
void read_distance_map(run_params& params, run_flags& flags, crystal_record& celli,
                       grid_store& gridi, run_state& state);

}  // namespace porvane
