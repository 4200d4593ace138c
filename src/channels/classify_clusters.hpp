// Cell faces, spans and the pipe/pocket classification of the clusters of
// one cutoff.
#pragma once

#include <cstdint>

#include "channels/channel_results.hpp"
#include "channels/cluster_geometry.hpp"
#include "common/run_params.hpp"

namespace porvane {

// One sweep of cluster k along axis d (0-based), without or with the wrap
// inside the slice: crossed := 1 when it crosses the cell, else 0; a sweep
// that fills every slice but does not come back into slice 0 says so.
void check_cell_crossing(cluster_geometry& geometry, int32_t k, int d, bool wrap, int32_t& crossed);

// facetouch and spans of clusters 1..nclust (zeroed by the caller), with
// the spanning lines of verbosity 2.
void find_clusters_intersecting_cellfaces(const run_flags& flags, cluster_geometry& geometry,
                                          int32_t nclust, cluster_table& chinfo);

// Direction letters, type, face and span patterns of every cluster, the
// bottleneck-tensor cells of each type set to `cutoff`, and the counters.
void classify_clusters(const run_params& params, const run_flags& flags, float cutoff,
                       cluster_geometry& geometry, cluster_table& chinfo, int32_t nclust,
                       channel_results& results, cluster_counts& counts);

}  // namespace porvane
