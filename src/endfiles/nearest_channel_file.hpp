// The nearest-channel file of -nc: every atom with its depth, the distance
// to the nearest channel point, in the B column and that point's cluster in
// the W column.
#pragma once

#include <functional>
#include <string>

#include "common/atom_record.hpp"
#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Writes the file `name`; the channel points lie at grid size `gridsize` in
// the cell frame. `rerun_cluster_analysis` labels gridi.clust at the channel
// cutoff (1..nclust, −1 elsewhere) and prints the rows of the cluster table;
// it runs once the file is created. Each atom 1..natoms (with -cg the
// pseudo-atoms 1..npseudo) is measured from its coordinates as read against
// the nearest periodic image of every channel point; its occupancy and B
// factor in the atom store take the W and B values (−1 and 1000 when no
// channel point is nearer) and keep them for the rest of the run. An
// existing file ends the run with an input/output error.
void write_nearest_channel_file(const std::string& name, const cell_frame& frame, float gridsize,
                                const run_flags& flags, atom_store& atoms, const grid_store& gridi,
                                const std::function<void()>& rerun_cluster_analysis);

}  // namespace porvane
