// Patches of one slice of a channel cluster and their Reeb-graph nodes.
#pragma once

#include <cstdint>
#include <vector>

#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"
#include "reeb/reeb_graph_store.hpp"

namespace porvane {

// Whether a point with cluster label `clust` belongs to the chosen cluster
// (0: every channel point). A point outside every cluster (-1) never does.
inline bool patch_member(int32_t clust, int32_t clusternum) {
  return clust != -1 && (clusternum == 0 || clust == clusternum);
}

// Cuts slice slicepos = (d, lev) into patches (8-connected regions of member
// points, no wrap), labels its points in gridi.patch with the node numbers
// (-1 elsewhere) and appends one node per patch to `graph`, the record of
// direction d: numbered after the nodes already there, in the scan order
// of each patch's first point, at the mean position of its points summed in
// scan order in single precision. Verbose lines at flags.vb > 1.
//
// One union-find pass over the slice replaces repeated relabelling; the
// components, their numbering by first point and the sums in scan order are
// those of labelling, merging and renumbering the whole slice.
void find_patches(const run_params& params, const cell_frame& celli, const run_flags& flags,
                  grid_store& gridi, int32_t clusternum, const int32_t slicepos[2],
                  reeb_direction& graph);

// Image nodes of the patches that continue across a face of slice slicepos
// (no stage uses them): for every labelled point on the lines p = 0, p = n_p,
// q = 0, q = n_q (in this order, the other index rising), the point across
// that face (index -1 or n + 1, wrapped) with a label: an image of that
// node translated by one cell away from the face (-1 at index 0, +1 at n),
// once per node and face, from the nodes of `graph`, the record of the
// slice's direction. The images are returned in `images` (count = their
// number); the direction record is not changed.
void find_straddling_patches(const cell_frame& celli, const grid_store& gridi,
                             const reeb_direction& graph, const int32_t slicepos[2],
                             std::vector<reeb_node>& images, int32_t& count);

}  // namespace porvane
