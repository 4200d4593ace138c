// The cluster analysis at rising cutoff radii, and at one cutoff for the
// stages after the summary.
#include <cmath>
#include <limits>
#include <string>

#include "channels/analyze_clusters.hpp"
#include "channels/channel_stages.hpp"
#include "channels/cluster_slices.hpp"
#include "channels/find_clusters.hpp"
#include "common/report_writer.hpp"
#include "common/run_stop.hpp"

namespace porvane {
namespace {

constexpr float max_steps = 1000.0f;  // cutoffs the step size should give at most

// nint of a step count, halves away from zero; a count beyond the int32
// range is held at its largest value.
int32_t step_count(float steps) {
  constexpr float beyond = 2147483648.0f;  // 2^31
  if (!(steps < beyond)) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::lround(steps));
}

// A step too fine for the range of the loop's cutoffs is widened. The loop
// runs up to dmax from the channel cutoff, or from zero when the cutoff is
// not below zero, so that a cutoff below zero adds its steps to the range.
// With -s only one pass runs: its range is dmax alone, and a step that is
// not above zero (which only -s accepts) divides no range at all.
void stepsize_rule(const run_flags& flags, run_params& params, float dmax) {
  const bool single = flags.multiscale == 0;
  if (single && !(params.stepsize > 0.0f)) return;
  const float low = !single && params.channel_cutoff < 0.0f ? params.channel_cutoff : 0.0f;
  const float range = dmax - low;
  const float steps = range / params.stepsize;
  if (!(steps > max_steps)) return;
  report().free("Search resolution too fine, requiring ", step_count(steps), " steps.");
  const float old = params.stepsize;
  // A step so fine that the count itself overflows (-st 1e-45, or -cd -3.4e38
  // at the default step) is widened to the same thousandth of the range
  // without the count, so that it stays finite.
  params.stepsize = std::isfinite(steps)
                        ? ((range / params.stepsize) / max_steps) * params.stepsize * 1.1f
                        : (range / max_steps) * 1.1f;
  report().free("  Resetting search resolution from ", old, " to ", params.stepsize);
}

void table_header(const run_flags& flags) {
  report_writer& out = report();
  out.free("Multiscale cluster analysis ...");
  if (flags.vb > 0) return;
  if (flags.ar != 0) {
    out.free("  Tortuosity and Width Variation will be calculated using the cross-sectional area of the pipe.");
  } else {
    out.free("  Tortuosity and Width Variation will be calculated using the deepest point of the pipe for each section.");
  }
  out.free();
  out.free("                          Pipe/Pocket Data");
  out.free("  Rad   Pipe Pock %Pi %Po Frac xD Typ  Max   Avg   SD   Tort  WV  (Average)");
}

}  // namespace

void cluster_analysis(const run_flags& flags, const run_params& params, const cell_frame& frame,
                      const crystal_figures& figures, std::string_view basename, float cutoff, channel_context& chan,
                      bool trace_calls) {
  if (trace_calls) report().free("Calling find_clusters");
  find_clusters(flags, params, cutoff, chan.points, chan.chinfo, chan.nclust);
  if (trace_calls) report().free("Calling analyze_clusters", chan.nclust);
  analysis_setup setup;
  for (int c = 0; c < 3; ++c) setup.grid.n[c] = chan.points.n[c];
  setup.grid.frame = &frame;
  setup.grid.gridsize = params.gridsize;
  setup.facearea = figures.facearea;
  setup.basename = basename;
  cluster_slices geometry(chan.points, setup.grid);
  analyze_clusters(flags, params, cutoff, setup, geometry, chan.chinfo, chan.nclust, chan.counts,
                   chan.results, chan.files);
}

void multiscale_loop(const run_flags& flags, run_params& params, const cell_frame& frame,
                     const crystal_figures& figures, std::string_view basename,
                     channel_context& chan) {
  multiscale_loop(flags, params, chan, [&](float cutoff, bool trace_calls) {
    cluster_analysis(flags, params, frame, figures, basename, cutoff, chan, trace_calls);
  });
}

void multiscale_loop(const run_flags& flags, run_params& params, channel_context& chan,
                     const std::function<void(float, bool)>& analysis) {
  stepsize_rule(flags, params, chan.dmax);
  table_header(flags);
  channel_results& res = chan.results;
  res.tortmin = 10000.0f;
  res.tortmax = 0.0f;
  res.wvmin = 10000.0f;
  res.wvmax = 0.0f;
  chan.radius_table.clear();
  float cutoff = params.channel_cutoff;
  while (chan.dmax > cutoff) {
    chan.counts.avgtort = -1.0f;
    chan.counts.avgwv = -1.0f;
    analysis(cutoff, flags.vb == 3);
    chan.radius_table.push_back({cutoff, chan.counts.avgtort, chan.counts.avgwv});
    if (flags.multiscale == 0) break;
    const float next = cutoff + params.stepsize;
    // A step lost in the rounding of a large cutoff would never reach dmax.
    if (!(next > cutoff)) {
      io_failure("The step size " + std::to_string(params.stepsize) + " does not raise the cutoff " +
                 std::to_string(cutoff) + "; the multiscale analysis cannot go on.");
    }
    cutoff = next;
  }
}

int32_t rerun_cluster_analysis(const run_flags& flags, const run_params& params,
                               const cell_frame& frame, const crystal_figures& figures,
                               grid_store& gridi,
                               std::string_view basename, float cutoff, channel_context& chan) {
  if (chan.points.dist.size() != gridi.points()) chan.points.load(gridi);  // no loop before it
  chan.counts.avgtort = -1.0f;
  chan.counts.avgwv = -1.0f;
  cluster_analysis(flags, params, frame, figures, basename, cutoff, chan, false);
  chan.points.store_labels(gridi);
  return chan.nclust;
}

}  // namespace porvane
