// The channel point nearest to a position, over the periodic images of the
// channel points: the depth of an atom in the nearest-channel file.
#pragma once

#include <cstdint>
#include <vector>

#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"
#include "distmap/bucket_grid.hpp"

namespace porvane {

// What an atom starts with before any channel point is met: W −1, B 1000.
constexpr float no_channel_distance = 1000.0f;
constexpr int32_t no_channel_cluster = -1;

// The 27 shifts (−1, 0, +1 on each axis) of a channel point, a outermost,
// as orthogonal offsets orthmat · shift.
struct image_offsets {
  float offset[27][3];
  explicit image_offsets(const cell_frame& frame);
};

// Distance from a channel point's image at p + offset to the atom at c:
// sqrt((dx² + dy²) + dz²), with the image position rounded first.
float image_distance(const float p[3], const float offset[3], const float c[3]);

// The channel points (clust ≠ −1) of a labelled grid, in buckets in space.
// nearest() gives the same point as measuring every channel point in the
// order i, j, k by the least distance over its 27 images and keeping a
// strictly smaller distance: the least distance, of equal ones the point
// met first, and the start values when nothing comes under 1000 Å. It
// measures with image_distance itself, so the distances are the same bits;
// the bins only decide which points can be passed over, with a margin far
// beyond what rounding moves a distance.
class channel_point_index {
 public:
  channel_point_index(const cell_frame& frame, float gridsize, const grid_store& gridi);

  // Distance to the nearest channel point image of c and that point's
  // cluster; no_channel_distance and no_channel_cluster when none is nearer.
  void nearest(const float c[3], float& dist, int32_t& clust) const;

  std::size_t size() const { return points_.size(); }

 private:
  struct point {
    float x[3];       // grid position (Å)
    uint32_t order;   // place in the order i, j, k of the whole grid
    int32_t clust;    // cluster number
  };

  image_offsets images_;
  std::vector<point> points_;    // in bucket order
  bucket_grid buckets_;          // over the box of the points
  float lo_[3] = {0, 0, 0}, hi_[3] = {0, 0, 0};  // box of the points
  float extent_ = 0.0f;          // largest coordinate magnitude of the points
};

}  // namespace porvane
