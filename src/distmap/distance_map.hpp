// The nearest-atom-surface distance map over all symmetry and NCS copies.
#pragma once

#include <cstdint>
#include <functional>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Applies the copy (a, s, n) of atom a (1-based numbers) at orthogonal
// position x with fractional coordinates f to every point of the search box
// params.boxlo..boxhi (wrapped), keeping the strictly smaller distance.
void check_next_atom(int32_t a, int32_t s, int32_t n, const run_params& params,
                     const crystal_record& celli, const float x[3], const float f[3],
                     grid_store& gridi, const int32_t gridmax[3], const atom_store& atoms);

// The whole stage: grid counts, time estimate, the map and its report lines.
// `rename_outputs` rebuilds the output file names with the final grid size.
void calculate_distance_map(run_params& params, run_flags& flags, crystal_record& celli,
                            atom_store& atoms, grid_store& gridi, run_state& state,
                            const std::function<void()>& rename_outputs);

}  // namespace porvane
