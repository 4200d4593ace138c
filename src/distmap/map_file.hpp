// The distance map as a CCP4 map file: written after the calculation, read
// back with -rm.
#pragma once

#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Writes gridi.dist over 0..nx × 0..ny × 0..nz to exactly the file
// state.mapname, under a temporary name renamed over it once the map is
// whole (a symbolic link at the name is replaced). A map that cannot be
// created or written whole, or a name that stands for something other than
// a regular file or a link, ends the run with status 1, the old file left
// as it was.
void write_distance_map(const cell_frame& frame, const grid_store& gridi, const run_state& state);
// Reads state.mapfile (or the file an environment variable of that name
// gives) into gridi (sizing it and filling xyz at the assumed
// params.gridsize), sets state.gridmax and the cell of `frame`, and writes
// the map's completion lines. The values are laid in by the map's own axis
// order and first indices; of a map that reaches beyond the grid points
// 0..n only those are read. A map whose header check_map_header refuses
// (one that lacks grid points among them) ends the run with status 1 before
// the library opens it, as does one whose grid no grid size gives or that
// holds a value that is not a distance at a grid point; a map of another
// grid size than params.gridsize is an input error (status 2). A map of
// another cell than the structure's is used with a warning on standard
// error.
void read_distance_map(run_params& params, run_flags& flags, cell_frame& frame, grid_store& gridi,
                       run_state& state);

}  // namespace porvane
