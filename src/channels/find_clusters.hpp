// Cluster labelling at one cutoff: connected groups of channel points,
// small groups dropped, the rest numbered by decreasing size.
#pragma once

#include <cstdint>

#include "channels/channel_points.hpp"
#include "channels/cluster_record.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Labels the points with dist > cutoff: points.label and points.point_label
// hold the cluster numbers 1..nclust (1 the largest), -1 elsewhere; chinfo
// holds the records 1..nclust with npts, avgdist, sddist, maxdist, the rest
// reset. Writes the labelling messages of the verbosity.
void find_clusters(const run_flags& flags, const run_params& params, float cutoff,
                   channel_points& points, cluster_table& chinfo, int32_t& nclust);

// The messages of the provisional labelling and of the merge passes that
// verbosity 2 shows ("New cluster...", "Checking for multiply labeled
// clusters...", "Clusters L and M are identical."), for the channel points
// just selected at cutoff r. Leaves the labels of select() in place.
void write_labelling_messages(channel_points& points, float r);

// Spread of a cluster's distances from its sums: sqrt(q/n - (s/n)²); a
// negative radicand (rounding, for nearly equal distances) gives 0.
float distance_spread(float n, float s, float q);

}  // namespace porvane
