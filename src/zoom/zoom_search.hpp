// The zoom search: the grid point farthest from the protein, found by a
// coarse grid over the whole cell and ever finer grids over a small box
// around the deepest point so far.
#pragma once

#include <cstdint>
#include <vector>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/run_params.hpp"

namespace porvane {

// What one pass found: its table line and the box it searched.
struct zoom_pass {
  float gridsize = 0.0f;                 // grid size of the pass (Å)
  int32_t gridmax[3] = {0, 0, 0};        // grid counts of the pass
  int32_t boxlo[3] = {0, 0, 0};          // search box, grid indices before the wrap
  int32_t boxhi[3] = {0, 0, 0};
  int32_t deepgrid[3] = {0, 0, 0};       // index of the deepest point after the pass
  float xyz[3] = {0, 0, 0};              // its position at the pass's grid size (Å)
  float dist = 0.0f;                     // largest distance of the pass; 0 when none is above 0
  int32_t iatom = 0, incs = 0, isym = 0; // atom and operators stored at deepgrid (0: no copy)
};

// Grid sizes of the passes: from 32 Å, halved while at least 1 Å.
constexpr float zoom_first_gridsize = 32.0f;
constexpr float zoom_last_gridsize = 1.0f;

// The box of the next pass on one axis around index m of the deepest point:
// nint((m − 1)·r) to nint((m + 1)·r) with r = new count / old count (single
// precision, halves away from zero). An old count of 0 gives no ratio; the
// box is then the whole new axis 0..new count.
void next_zoom_box(int32_t m, int32_t old_count, int32_t new_count, int32_t& lo, int32_t& hi);

// The passes at 32, 16, 8, 4, 2 and 1 Å over the atom copies of the map
// (without its wrap into the cell), with the " Searching:" line of each pass
// at verbosity 2 and its table line. params.gridsize, params.boxlo/boxhi,
// gridmax and deepgrid are left as the search leaves them. Returns false,
// after a message, when the first (whole-cell) grid has more points than a
// map may have.
bool zoom_passes(run_params& params, const run_flags& flags, const crystal_record& celli,
                 const atom_store& atoms, int32_t gridmax[3], int32_t deepgrid[3],
                 std::vector<zoom_pass>& passes);

// The table line of a pass. An iatom of 0 (no copy reached the point) shows
// blank names and 0 for the residue number.
void write_zoom_line(const zoom_pass& pass, const atom_store& atoms);

// The stage: heading lines and the passes. The caller ends the run.
void zoom_search(run_params& params, const run_flags& flags, const crystal_record& celli,
                 const atom_store& atoms, run_state& state, int32_t deepgrid[3]);

}  // namespace porvane
