// The distance-map stage: grid size, time estimate, the map, report lines.
#include "distmap/distance_map.hpp"

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "common/limits.hpp"
#include "common/linear_algebra.hpp"
#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "distmap/distance_kernel.hpp"
#include "distmap/map_grid_size.hpp"

namespace porvane {
namespace {

constexpr int32_t estimate_rows = 64;  // rows of point blocks timed for the estimate

// Predicted processor minutes of the map on the current grid: the copies are
// placed and a sample of the grid is computed by the fast method, and the
// sample's time is scaled to the whole grid.
float estimate_map_minutes(const run_flags& flags, const crystal_record& celli,
                           const atom_store& atoms, grid_store& gridi) {
  const float t0 = processor_seconds();
  int32_t moved = 0;
  const std::vector<atom_copy> copies = collect_atom_copies(flags, celli, atoms, false, moved);
  const float t_copies = processor_seconds() - t0;
  const fast_map_stats st = distance_map_fast(celli, copies, gridi, estimate_rows);
  // The tree is built once, whatever share of the grid is computed.
  float seconds = t_copies + st.setup_seconds + st.tree_seconds;
  if (st.blocks_done > 0) {
    seconds += (st.block_seconds - st.tree_seconds) *
               (static_cast<float>(st.blocks) / static_cast<float>(st.blocks_done));
  }
  return seconds / 60.0f;
}

// Grid counts and positions for the current grid size; the search box
// becomes the whole grid.
void lay_grid(run_params& params, const cell_frame& frame, grid_store& gridi, run_state& state,
              coord_range& range) {
  set_gridmax(params, frame, state.gridmax);
  for (int c = 0; c < 3; ++c) {
    params.boxlo[c] = 0;
    params.boxhi[c] = state.gridmax[c];
  }
  fill_grid_positions(params, frame, state.gridmax, gridi, range);
}

int64_t grid_points(const int32_t gridmax[3]) {
  int64_t p = 1;
  for (int c = 0; c < 3; ++c) p *= int64_t{gridmax[c]} + 1;
  return p;
}

}  // namespace

float processor_seconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  const double s = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                   1.0e-6 * static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec);
  return static_cast<float>(s);
}

int64_t map_memory_bytes(int64_t ncopies, int64_t nsites, int64_t npoints) {
  // Per grid point: position, distance, five labels. The bucket table of
  // the search holds at most fast_map_buckets entries.
  constexpr int64_t point_bytes = 9 * 4;
  return npoints * point_bytes + ncopies * int64_t{sizeof(atom_copy)} +
         nsites * fast_map_site_bytes + fast_map_table_bytes;
}

void check_map_memory(const run_flags& flags, const crystal_record& celli, const atom_store& atoms,
                      const int32_t gridmax[3]) {
  const int64_t ncopies = count_atom_copies(flags, celli, atoms);
  const int64_t bytes = map_memory_bytes(ncopies, typical_sites * ncopies, grid_points(gridmax));
  if (bytes <= map_memory_limit) return;
  constexpr int64_t mb = int64_t{1} << 20;
  fatal_stop("the distance map of " + std::to_string(ncopies) + " atom copies on " +
             std::to_string(grid_points(gridmax)) + " grid points needs about " +
             std::to_string(bytes / mb) + " MB, more than the " +
             std::to_string(map_memory_limit / mb) +
             " MB allowed; fewer atoms (-ca, -cg) or operators (-p1, -nn) need less");
}

void distance_map_literal(const cell_frame& frame, const atom_store& atoms,
                          const std::vector<atom_copy>& copies, grid_store& gridi) {
  run_params whole;
  for (int c = 0; c < 3; ++c) {
    whole.boxlo[c] = 0;
    whole.boxhi[c] = gridi.n[c];
  }
  std::fill(gridi.dist.begin(), gridi.dist.end(), no_atom_distance);
  for (const atom_copy& cp : copies) {
    check_next_atom(cp.a, cp.s, cp.n, whole, frame, cp.x, cp.f, gridi, gridi.n, atoms);
  }
}

void write_map_completion(const run_params& params, const run_flags& flags, const run_state& state,
                          float seconds, const coord_range& range, int32_t moved) {
  report().free(" ");
  report().line("(' Map calculation completed in: ',f12.2,' seconds (',f10.2,' minutes).')",
                seconds, seconds / 60.0f);
  report().free(" ");
  report().free(" Gridsize used: ", params.gridsize);
  if (flags.vb >= 1) {
    report().free("Gridsize ", state.gridmax[0], state.gridmax[1], state.gridmax[2]);
    report().free("Minimum coord is ", range.lo[0], range.lo[1], range.lo[2]);
    report().free("Maximum coord is ", range.hi[0], range.hi[1], range.hi[2]);
    report().free(moved,
                  " atoms were near cell edges and were moved to the other side of the unit cell.");
  }
}

namespace {

// The first cell edge the counts leave without a grid interval, as
// "the 50.84 Å edge a", or empty when every edge has one. Such a grid lays
// a single plane (or line, or point) of the cell, not a grid over it.
std::string edge_without_interval(const cell_frame& frame, const int32_t counts[3]) {
  for (int c = 0; c < 3; ++c)
    if (counts[c] < 1) return "the " + grid_size_text(frame.cell[c]) + " Å edge " + "abc"[c];
  return {};
}

// Grid counts at the starting grid size, raised until every count is at
// most maxgrid.
void choose_grid_counts(run_params& params, const cell_frame& frame, run_state& state) {
  // A grid size that is not a positive number gives no grid at all.
  if (!(params.gridsize > 0.0f) || !std::isfinite(params.gridsize))
    stop_after_line("Gridsize must be greater than zero; no distance map can be calculated:",
                    params.gridsize);
  set_gridmax(params, frame, state.gridmax);
  if (const std::string edge = edge_without_interval(frame, state.gridmax); !edge.empty())
    io_failure("grid size " + grid_size_text(params.gridsize) +
               " (-re) leaves no grid interval along " + edge + " of the cell");
  report().line("(' Starting with a gridsize of ',f5.1)", params.gridsize);
  auto largest_count = [&state] {
    return std::max({0, state.gridmax[0], state.gridmax[1], state.gridmax[2]});
  };
  for (int32_t m = largest_count(); m > maxgrid; m = largest_count()) {
    report().line("('   Requires grid of ',3i5,' but maximum grid is ',i5,'.')", state.gridmax[0],
                  state.gridmax[1], state.gridmax[2], static_cast<int32_t>(maxgrid));
    params.gridsize = (static_cast<float>(m) * params.gridsize) / 250.0f;
    report().line("('   Resetting gridsize to: ',f5.1)", params.gridsize);
    set_gridmax(params, frame, state.gridmax);
  }
  // A cell whose edges differ by more than about 500 times has no grid that
  // keeps the long edge within the limit and gives the short one an interval.
  if (const std::string edge = edge_without_interval(frame, state.gridmax); !edge.empty())
    fatal_stop("the grid size " + grid_size_text(params.gridsize) + " that keeps every edge within " +
               std::to_string(maxgrid) + " grid intervals leaves no interval along " + edge +
               ": the cell's edges differ too much for one grid");
}

// The time estimate, and one coarser grid when it exceeds the budget.
void apply_time_budget(run_params& params, const run_flags& flags, const crystal_record& celli,
                       const atom_store& atoms, grid_store& gridi, run_state& state,
                       coord_range& range) {
  float est = estimate_map_minutes(flags, celli, atoms, gridi);
  report().line(
      "('    Est. time to calculate distance map:',F10.2,' minutes, with maxtime: ',F6.2,' "
      "minutes.')",
      est, params.maxtime);
  if (!(est > params.maxtime) || flags.f != 0) return;

  const float g0 = params.gridsize;
  float g = std::pow(est / params.maxtime, 0.333f) * g0;
  // A budget of zero, or so near zero that the grid would leave the
  // shortest edge without an interval, asks for a grid coarser than the
  // cell: the coarsest grid that keeps one interval on that edge is taken.
  const float shortest = std::min({celli.cell[0], celli.cell[1], celli.cell[2]});
  if (!std::isfinite(g) || shortest / g < 0.5f) g = std::max(g0, shortest);
  params.gridsize = g;
  lay_grid(params, celli, gridi, state, range);
  const float r = g0 / params.gridsize;
  est = est * r * r * r;
  report().line(
      "('    Gridsize reset to: ',F5.1,'. with new est. execution time: ',F6.2,' minutes.')",
      params.gridsize, est);
}

void write_count_lines(const run_params& params, const run_flags& flags,
                       const crystal_record& celli, const atom_counts& count,
                       const run_state& state) {
  const auto npoints = static_cast<int32_t>(grid_points(state.gridmax));
  const int32_t nused = map_atom_use_count(count, flags);
  report().free("   Number of gridpoints: ", npoints);
  report().free("   Number of atoms     : ", nused);
  const float ncalc = static_cast<float>(npoints) * static_cast<float>(state.nncs_applied) *
                      static_cast<float>(nused * celli.nsym);
  report().line("('   Number of distance calculations: 10^',f5.1)", std::log(ncalc) / 2.3025851f);
  if (flags.vb >= 1)
    report().free("Gridmax: ", state.gridmax[0], state.gridmax[1], state.gridmax[2],
                  state.gridmin[0], state.gridmin[1], state.gridmin[2], count.natoms, celli.nsym,
                  params.gridsize);
}

}  // namespace

void calculate_distance_map(run_params& params, run_flags& flags, crystal_record& celli,
                            atom_store& atoms, grid_store& gridi, run_state& state,
                            const std::function<void()>& rename_outputs) {
  report().free();
  report().free("Calculating new distance map...");
  report().free();
  int32_t moved = 0;
  coord_range range;

  choose_grid_counts(params, celli, state);
  check_map_memory(flags, celli, atoms, state.gridmax);
  lay_grid(params, celli, gridi, state, range);
  apply_time_budget(params, flags, celli, atoms, gridi, state, range);

  const float t0 = processor_seconds();
  write_count_lines(params, flags, celli, atoms.count, state);
  if (rename_outputs) rename_outputs();

  const std::vector<atom_copy> copies = collect_atom_copies(flags, celli, atoms, true, moved);
  distance_map_fast(celli, copies, gridi);

  const float t1 = processor_seconds();
  write_map_completion(params, flags, state, t1 - t0, range, moved);
}

}  // namespace porvane
