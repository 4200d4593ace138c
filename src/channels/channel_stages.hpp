// The channel stages of a run: the porosity scan, the multiscale cluster
// analysis and SUMMARY DATA with the output description; and the rerun of
// the cluster analysis at one cutoff for the stages that follow.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "channels/centre_line_files.hpp"
#include "channels/channel_points.hpp"
#include "channels/channel_results.hpp"
#include "channels/cluster_record.hpp"
#include "common/atom_record.hpp"
#include "common/cell_frame.hpp"
#include "common/crystal_figures.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"

namespace porvane {

// One row of the multiscale loop: cutoff and the averages of its 1D pipes.
struct radius_row {
  float cutoff = 0.0f;    // Å
  float avgtort = -1.0f;  // -1 = no 1D pipe
  float avgwv = -1.0f;
};

// What the cluster stages keep over the run.
struct channel_context {
  channel_points points;             // distances in scan order, channel points, labels
  cluster_table chinfo;              // clusters of the last analysis
  cluster_counts counts;             // counters of the last analysis
  channel_results results;           // maximum radii, tensor, ranges, deepest point
  centre_line_files files;           // centre-line files written so far
  std::vector<radius_row> radius_table;
  int32_t nclust = 0;                // clusters of the last analysis
  float dmax = 0.0f;                 // largest distance of the map (Å)
};

// The atom (1-based slot, 0 for none) whose copy lies nearest to the deepest
// grid point, for the summary.
using deep_atom_finder = std::function<int32_t(const int32_t deepgrid[3])>;

// The analysis of the map: " Analyzing distance map...", the porosity scan,
// the stepsize rule, the table header and the multiscale loop (one pass with
// -s), then, unless -s, SUMMARY DATA and the output description.
// `natoms` atoms of `pdbdata` are in use. The stages read of the crystal
// only its frame and `figures`.
void analyze_channels(const run_flags& flags, run_params& params, const cell_frame& frame,
                      const crystal_figures& figures, const grid_store& gridi, std::span<const atom_record> pdbdata, int32_t natoms,
                      std::string_view basename, const deep_atom_finder& deep_atom,
                      channel_context& chan);

// The cluster analysis once more at `cutoff` (the Reeb graph, -cm, -nc):
// averages preset to -1, find_clusters, analyze_clusters (rows printed
// again, -cl files, results updated). Afterwards gridi.clust holds the
// labels 1..nclust and -1 elsewhere; returns nclust.
int32_t rerun_cluster_analysis(const run_flags& flags, const run_params& params,
                               const cell_frame& frame, const crystal_figures& figures,
                               grid_store& gridi,
                               std::string_view basename, float cutoff, channel_context& chan);

// The stages one by one (analyze_channels calls them in this order).
void porosity_scan(const run_flags& flags, float solvent, const grid_store& gridi,
                   channel_context& chan);
void multiscale_loop(const run_flags& flags, run_params& params, const cell_frame& frame,
                     const crystal_figures& figures, std::string_view basename,
                     channel_context& chan);
// The loop with another cluster analysis: analysis(cutoff, trace_calls)
// runs find_clusters and analyze_clusters at the cutoff.
void multiscale_loop(const run_flags& flags, run_params& params, channel_context& chan,
                     const std::function<void(float, bool)>& analysis);
void summary_report(const run_flags& flags, const run_params& params, const cell_frame& frame,
                    const crystal_figures& figures, std::span<const atom_record> pdbdata, int32_t natoms, int32_t deep_atom,
                    channel_context& chan);

// One cluster analysis at `cutoff`: find_clusters and analyze_clusters on
// the channel points of chan; with `trace_calls` the loop's lines that
// announce the two calls.
void cluster_analysis(const run_flags& flags, const run_params& params, const cell_frame& frame,
                      const crystal_figures& figures, std::string_view basename, float cutoff, channel_context& chan,
                      bool trace_calls);

}  // namespace porvane
