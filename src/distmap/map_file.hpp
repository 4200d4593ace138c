// The distance map as a CCP4 map file: written after the calculation, read
// back with -rm.
#pragma once

#include <string>

#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"
#include "distmap/map_header.hpp"

namespace porvane {

// Writes gridi.dist over 0..nx × 0..ny × 0..nz to exactly the file
// state.mapname, under a temporary name renamed over it once the map is
// whole (a symbolic link at the name is replaced). A map that cannot be
// created or written whole, or a name that stands for something other than
// a regular file or a link, ends the run with status 1, the old file left
// as it was.
void write_distance_map(const cell_frame& frame, const grid_store& gridi, const run_state& state);
// A map file named by -rm, its header checked.
struct map_source {
  std::string path;   // the name typed, or the file an environment variable of that name gives
  map_header header;  // words 1-56 as check_map_header read them
};

// Prints the line that starts the reading of a map and checks the map that
// state.mapfile names: its header (check_map_header ends the run, status 1,
// where the map cannot be used), and that params.gridsize gives its interval
// counts in its cell (an input error, status 2, where another grid size
// does; status 1 where none does).
map_source check_distance_map(const run_params& params, const run_state& state);

// Reads the values of `map` into gridi (sizing it and filling xyz at the
// assumed params.gridsize in `frame`, which by now has the map's cell), sets
// state.gridmax, and writes the map's completion lines. The values are laid
// in by the map's own axis order and first indices; of a map that reaches
// beyond the grid points 0..n only those are read. A value that is not a
// distance at a grid point ends the run with status 1.
void read_distance_map(const map_source& map, const run_params& params, const run_flags& flags,
                       const cell_frame& frame, grid_store& gridi, run_state& state);

}  // namespace porvane
