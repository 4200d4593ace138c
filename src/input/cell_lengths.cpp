#include "input/cell_lengths.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "common/limits.hpp"
#include "common/run_stop.hpp"

namespace porvane {

namespace {

// The fractional coordinates the run's positions stay within: grid points
// up to twice the edge (a grid of one interval on an edge half the grid
// size), and the images and centre-line candidates up to a cell beyond.
constexpr float reach_low = -2.0f, reach_high = 4.0f;

// Squared distances between positions of the reach, summed over every point
// of the largest grid, with room for the rounding of the sums.
bool squared_distances_fit(const cell_frame& frame) {
  double low[3], high[3];
  for (int corner = 0; corner < 8; ++corner) {
    float f[3], x[3];
    for (int c = 0; c < 3; ++c) f[c] = (corner >> c & 1) != 0 ? reach_high : reach_low;
    // The same single-precision steps as the run's positions: each is
    // monotone in f, so every position of the reach lies within the
    // corners' box, and no two differ by more than its extent.
    frac_to_real(frame, f, x);
    for (int c = 0; c < 3; ++c) {
      if (!std::isfinite(x[c])) return false;
      low[c] = corner == 0 ? x[c] : std::min(low[c], static_cast<double>(x[c]));
      high[c] = corner == 0 ? x[c] : std::max(high[c], static_cast<double>(x[c]));
    }
  }
  double square = 0.0;
  for (int c = 0; c < 3; ++c) square += (high[c] - low[c]) * (high[c] - low[c]);
  const double grid_points = std::pow(static_cast<double>(maxgrid + 1), 3);
  return square * grid_points <= static_cast<double>(FLT_MAX) / 2.0;
}

}  // namespace

bool cell_lengths_fit(const cell_frame& frame, const float facearea[3]) {
  for (int c = 0; c < 3; ++c)
    if (!std::isfinite(facearea[c])) return false;
  return squared_distances_fit(frame);
}

void check_cell_lengths(const crystal_record& celli) {
  if (!cell_lengths_fit(celli, celli.facearea))
    library_failure(
        "Lengths across the cell of the CRYST1 record and its scale matrix lie beyond "
        "single precision: cannot use the cell");
}

}  // namespace porvane
