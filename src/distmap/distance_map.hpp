// The nearest-atom-surface distance map over all symmetry and NCS copies.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"
#include "distmap/atom_copies.hpp"
#include "distmap/unit_cell_grid.hpp"

namespace porvane {

// Applies the copy (a, s, n) of atom a (1-based numbers) at orthogonal
// position x with fractional coordinates f to every point of the search box
// params.boxlo..boxhi (wrapped), keeping the strictly smaller distance.
void check_next_atom(int32_t a, int32_t s, int32_t n, const run_params& params,
                     const cell_frame& frame, const float x[3], const float f[3],
                     grid_store& gridi, const int32_t gridmax[3], const atom_store& atoms);

// The whole stage: grid counts, time estimate, the map and its report lines.
// `rename_outputs` rebuilds the output file names with the final grid size.
void calculate_distance_map(run_params& params, run_flags& flags, crystal_record& celli,
                            atom_store& atoms, grid_store& gridi, run_state& state,
                            const std::function<void()>& rename_outputs);

// Memory of the spatial search: bytes per site, and the most its bucket
// tables take.
constexpr int64_t fast_map_site_bytes = 32;
constexpr int64_t fast_map_table_bytes = int64_t{64} << 20;

// The most memory a map may take (bytes), and what a map of `ncopies` atom
// copies on a grid of `npoints` points takes: the grid, the copies and the
// sites of the spatial search, a copy and its images being at most
// `typical_sites` sites (more only for a copy exactly half a cell from a face).
constexpr int64_t map_memory_limit = int64_t{2} << 30;
constexpr int64_t typical_sites = 8;
int64_t map_memory_bytes(int64_t ncopies, int64_t nsites, int64_t npoints);

// Stops the run (status 1) when the map of the current copies and grid
// would take more than map_memory_limit, before anything is allocated.
void check_map_memory(const run_flags& flags, const crystal_record& celli,
                      const atom_store& atoms, const int32_t gridmax[3]);

// The map by its definition: dist := 10000 over the whole grid, then
// check_next_atom for every copy over the whole grid. gridi holds xyz.
void distance_map_literal(const cell_frame& frame, const atom_store& atoms,
                          const std::vector<atom_copy>& copies, grid_store& gridi);

// Figures of one fast-map run.
struct fast_map_stats {
  int64_t sites = 0;            // direct positions and image boxes
  int64_t blocks = 0;           // blocks of grid points in the grid
  int64_t blocks_done = 0;      // blocks computed (all, or a sample)
  int64_t evaluations = 0;      // point-site distances computed
  int64_t tree_blocks = 0;      // blocks whose points were searched in the site tree
  float setup_seconds = 0.0f;   // processor time to lay out sites and buckets
  float block_seconds = 0.0f;   // processor time of the blocks computed
  float tree_seconds = 0.0f;    // of it, building the site tree (once, however many blocks)
};

// The same map as distance_map_literal (same dist bits, iatom, incs, isym at
// every point) from a spatial search; gridi holds xyz. Equal because each
// point meets every copy position and image the literal map would apply
// there, computed by the same expressions, and keeps the least (distance,
// loop order) pair; pruning only drops sites whose lower bound exceeds the
// best by a margin. A map whose sites would take more than map_memory_limit
// stops the run (status 1). With sample_rows > 0 only about that many
// evenly spread rows of point blocks are computed (for the time estimate);
// the other points are left as they are.
fast_map_stats distance_map_fast(const cell_frame& frame,
                                 const std::vector<atom_copy>& copies, grid_store& gridi,
                                 int32_t sample_rows = 0);

// Processor time used so far (user + system), seconds.
float processor_seconds();

// The completion lines of the map (also written after a map is read back).
void write_map_completion(const run_params& params, const run_flags& flags,
                          const run_state& state, float seconds, const coord_range& range,
                          int32_t moved);

}  // namespace porvane
