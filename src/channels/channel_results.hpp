// What the channel analysis finds over the whole run: the porosity scan's
// deepest point, the largest radii at which the channels are 3D, 2D and 1D,
// the bottleneck tensor, the projected radii and the ranges of the averages.
// Only the channel stages write it; the summary, the Reeb stage and the
// coordinate files read it.
#pragma once

#include <cstdint>

#include "common/fixed_text.hpp"

namespace porvane {

struct channel_results {
  float porosity = 1.0f;                   // share of grid points deeper than the trial radius
  int32_t deepgrid[3] = {0, 0, 0};         // grid index of the deepest point
  float deepxyz[3] = {0, 0, 0};            // its orthogonal position (Å)
  float maxrad3d = 0.0f;                   // largest cutoff with a 3D / 2D / 1D pipe (Å)
  float maxrad2d = 0.0f;
  float maxrad1d = 0.0f;
  fixed_text<3> dir1d{"   "};              // direction letters of cluster 1 when it was 1D
  float btensor[3][3] = {};                // bottleneck tensor (Å)
  float projarea[3] = {0, 0, 0};           // projected open area per axis (Å²)
  float projradius[3] = {0, 0, 0};         // projected effective radius per axis (Å)
  float tortmin = 10000.0f, tortmax = 0.0f;  // range of the average tortuosity
  float wvmin = 10000.0f, wvmax = 0.0f;      // range of the average width variation
  int32_t nchanatoms = 0;                  // atoms marked as channel atoms
  float chanbavg = 0.0f;                   // their mean B factor
};

}  // namespace porvane
