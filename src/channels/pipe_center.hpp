// Pipe slice profiles, the continuous centre lines through them, contour and
// end-to-end lengths, tortuosity and width variation.
#pragma once

#include <cstdint>

#include "channels/cluster_geometry.hpp"
#include "common/run_params.hpp"

namespace porvane {

// The distance every nearest-image search of the analysis starts from (Å): a
// candidate must come strictly nearer to be taken.
constexpr float no_candidate = 100000.0f;

// Distance in Å between two points given in real-valued grid coordinates:
// both turned into orthogonal positions by the grid rule, then
// sqrt((dx² + dy²) + dz²) in single precision.
float grid_to_grid_distance(const analysis_grid& grid, const float g1[3], const float g2[3]);

// Orthogonal distance of two positions, sqrt((dx² + dy²) + dz²).
float position_distance(const float a[3], const float b[3]);

// Profiles slice s of cluster k along axis d (0-based) into record `rec` and
// updates the extremes of the axis block; the report lines of the verbosity.
slice_centre find_pipe_center(const run_flags& flags, const analysis_grid& grid,
                              cluster_geometry& geometry, cluster_record& rec, int32_t k, int d,
                              int32_t s);

// Profiles every slice 0..n_d of cluster k along axis d, links them into the
// continuous centre and deepest-point lines and fills avercentre, deeppoint,
// contour(d, 1:4), the tortuosities and width variations of the axis block.
void get_contour_length(const run_flags& flags, const analysis_grid& grid,
                        cluster_geometry& geometry, cluster_record& rec, int32_t k, int d);

}  // namespace porvane
