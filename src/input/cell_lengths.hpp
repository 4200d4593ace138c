// Whether single precision carries the lengths a run derives from its cell.
#pragma once

#include "common/crystal_record.hpp"

namespace porvane {

// Ends the run as a cell without volume does (libccp4's signal, status 1)
// when a length the run derives from the cell and its frame would overflow
// single precision: a face area, or the squared distances between positions
// of the frame that the grid, the images of its points and the centre lines
// reach (fractional coordinates from -2 to 4 on each axis), summed over
// every point a grid may have, as the spread of a cluster's distances sums
// them. A cell edge of 1e25 Å, or a SCALE element of 1e-30, is such a cell.
void check_cell_lengths(const crystal_record& celli);
// The test of check_cell_lengths on a frame and its face areas.
bool cell_lengths_fit(const cell_frame& frame, const float facearea[3]);

}  // namespace porvane
