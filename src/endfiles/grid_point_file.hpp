// The grid-point file of -cm: every grid point as a water oxygen with the
// point's cluster number in the W column and its distance in the B column.
#pragma once

#include <functional>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"
#include "input/header_reader.hpp"

namespace porvane {

// Writes state.gridname. `rerun_cluster_analysis` labels gridi.clust at
// params.channel_cutoff (1..nclust, −1 elsewhere) and prints the rows of the
// cluster table; it runs before the file is created. The file starts with a
// CRYST1 line in P 1 for every CRYST line of the header and one more, then
// holds the points 0..n of each axis, i outermost. An existing file ends the
// run with an input/output error.
void write_grid_point_file(const run_params& params, const crystal_record& celli,
                           const header_store& header, const atom_store& atoms,
                           const grid_store& gridi, const run_state& state,
                           const std::function<void()>& rerun_cluster_analysis);

}  // namespace porvane
