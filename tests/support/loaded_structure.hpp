// What a run holds before its coordinate files, and the distance map.
#pragma once

#include <memory>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"
#include "distmap/distance_map.hpp"

namespace porvane::testing {

struct loaded_structure {
  std::unique_ptr<crystal_record> celli = std::make_unique<crystal_record>();
  run_flags flags;
  run_params params;
  run_state state;
  header_store header;
  atom_store atoms;
  grid_store gridi;  // the distance map, when one was computed
};

// The distance map of the atoms on the grid of params.gridsize.
inline void compute_map(const crystal_record& celli, const atom_store& atoms, const run_flags& flags,
                        const run_params& params, grid_store& gridi) {
  int32_t gridmax[3], moved = 0;
  set_gridmax(params, celli, gridmax);
  coord_range range;
  fill_grid_positions(params, celli, gridmax, gridi, range);
  distance_map_fast(celli, collect_atom_copies(flags, celli, atoms, false, moved), gridi);
}

}  // namespace porvane::testing
