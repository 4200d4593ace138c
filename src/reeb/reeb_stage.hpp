// The Reeb-graph stage: the graph of one channel cluster along one or all
// three cell directions, centred, reported, trimmed and written as the PyMOL
// script "reeb_graph.py".
#pragma once

#include <cstdint>
#include <functional>

#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"
#include "reeb/reeb_graph_store.hpp"

namespace porvane {

// Creates "reeb_graph.py" in the current directory (an existing file ends
// the run with an input/output error before anything is printed), takes
// params.reebcutoff (0.0 with all directions: maxrad3d, the largest cutoff
// at which the channels are 3D), calls rerun_cluster_analysis with it (it
// labels gridi.clust at that cutoff and prints its table rows), then builds,
// centres, reports, trims and writes the graph of params.clusternum for each
// direction that params.reebdir names (1, 2, 3 or 4 = all; it stays as it
// is). The graphs stay in reebgraph. A graph whose positions the cell frame
// cannot give as finite numbers, or whose centre lies 2^31 cells or more
// away, stops the run (status 1) before its direction is written.
// Positions too wide for the f8.2 fields of the script are written whole.
void reeb_graph_stage(run_params& params, const run_flags& flags, const cell_frame& celli,
                      grid_store& gridi, float maxrad3d, reeb_graph& reebgraph,
                      const std::function<void(float cutoff)>& rerun_cluster_analysis);

// Whole cells that bring the fractional centre component t into [0, 1):
// -trunc(t) above 0, nint(0.5 - t) below 0, 0 at 0. t must be finite and
// below 2^31 in magnitude; the stage stops the run on a centre that is not.
int32_t centring_shift(float t);

// Whether the trim level shows a node: 0 every node, 1 nodes with an edge,
// 2 nodes with two or more edges and the ends of one edge in the first or
// last slice (top_level); any other level none.
bool node_shown(const reeb_node& node, int32_t trimlevel, int32_t top_level);

}  // namespace porvane
