// Edges between the patches of neighbouring slices, and moving a node by
// whole cell vectors.
#pragma once

#include <cstdint>

#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"
#include "reeb/reeb_graph_store.hpp"

namespace porvane {

// Joins the nodes of slices lev and lev + 1 (slicepos = (d, lev)) in
// `graph`, the record of direction d: each grid column whose lower point
// lies in the patch of node r and whose upper point lies in that of node s
// adds 1 to the size of edge (r, s); edges are numbered in the scan order of
// the first column that joins each pair. Verbose lines at flags.vb > 1,
// a "Testing" line for every column whose two points carry a patch.
//
// Every patch label is the number of a node made by find_patches (id equal
// to the number, no base translation), so a column names its edge directly;
// the edges of the slice pair are found through a hash of the node pair.
void find_edges(const run_flags& flags, const grid_store& gridi, const int32_t slicepos[2],
                reeb_direction& graph);

// Moves node k of the direction record `graph` by shift cell vectors:
// f = fracmat·xyz + fracshift, f += shift, xyz = orthmat·(f − fracshift).
void move_node(const cell_frame& celli, reeb_direction& graph, int32_t k, const int32_t shift[3]);

}  // namespace porvane
