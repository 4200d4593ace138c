// The grid-point file of -cm: every grid point as a water oxygen with the
// point's cluster number in the W column and its distance in the B column.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "common/atom_record.hpp"
#include "common/cell_frame.hpp"
#include "common/fixed_text.hpp"
#include "common/grid_store.hpp"
#include "common/limits.hpp"

namespace porvane {

// Writes the file `name`, points at grid size `gridsize` in the cell frame.
// `rerun_cluster_analysis` labels gridi.clust at the channel cutoff
// (1..nclust, −1 elsewhere) and prints the rows of the cluster table; it
// runs before the file is created. The file starts with a CRYST1 line in
// P 1 for every CRYST line of `header`, the kept header lines, and one more,
// then holds the points 0..n of each axis, i outermost. An existing file
// ends the run with an input/output error.
void write_grid_point_file(const std::string& name, const cell_frame& frame, float gridsize,
                           std::span<const fixed_text<header_line_width>> header,
                           const atom_store& atoms, const grid_store& gridi,
                           const std::function<void()>& rerun_cluster_analysis);

}  // namespace porvane
