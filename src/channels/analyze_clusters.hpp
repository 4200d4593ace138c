// The analysis of one cutoff after its labelling: classification, pipe
// measures, maximum radii, centre-line files and the Pipe/Pocket rows.
#pragma once

#include <cstdint>
#include <string_view>

#include "channels/centre_line_files.hpp"
#include "channels/channel_results.hpp"
#include "channels/cluster_geometry.hpp"
#include "common/run_params.hpp"

namespace porvane {

// What one analysis works on besides the clusters.
struct analysis_setup {
  analysis_grid grid;
  const float* facearea = nullptr;  // cell face areas perpendicular to a, b, c (Å²)
  std::string_view basename;        // input base name, for the centre-line files
};

// Projected open area and effective radius of cluster k along axis d
// (0-based); stored in results when the cutoff is the probe radius.
void project_channel(const run_params& params, const run_flags& flags, float cutoff,
                     const analysis_setup& setup, cluster_geometry& geometry, int32_t k, int d,
                     channel_results& results);

// The whole analysis of one cutoff; the caller has run find_clusters at the
// same cutoff and preset counts.avgtort and counts.avgwv to -1.
void analyze_clusters(const run_flags& flags, const run_params& params, float cutoff,
                      const analysis_setup& setup, cluster_geometry& geometry,
                      cluster_table& chinfo, int32_t nclust, cluster_counts& counts,
                      channel_results& results, centre_line_files& files);

}  // namespace porvane
