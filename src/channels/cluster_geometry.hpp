// How the analysis of one cutoff reaches the points of its clusters: the face
// flags, the slice sweeps, the slice profiles and the open lines. The
// classification, the pipe measures and the table rows are written once on
// top of this; the run uses the points grouped by cluster and slice.
#pragma once

#include <cstdint>

#include "channels/cluster_record.hpp"
#include "common/cell_frame.hpp"

namespace porvane {

// Result of one slice sweep of a cluster along an axis.
enum class sweep_outcome {
  no_result,  // a slice 1..n_d was reached by no point: the sweep ended early
  no_exit,    // the exit step reached no point of slice 0 from slice n_d
  crossed,    // the exit step reached slice 0: the cluster crosses the cell
};

// The grid of one analysis: counts, frame and grid size.
struct analysis_grid {
  int32_t n[3] = {0, 0, 0};  // grid counts (indices 0..n)
  const cell_frame* frame = nullptr;
  float gridsize = 0.0f;     // Å
};

// Sums of one slice profile (steps 1 to 8 of the profile of slice s).
struct slice_centre {
  float ctr_grid[2][3] = {};  // geometric centre, deepest point (grid coordinates)
  float ctr_A[2][3] = {};     // the same in orthogonal coordinates (Å)
  int32_t count = 0;          // points of the cluster in the slice
};

class cluster_geometry {
 public:
  virtual ~cluster_geometry() = default;

  // Sets facetouch and spans of clusters 1..nclust to 1 where they apply
  // (the caller has zeroed them).
  virtual void mark_faces(cluster_table& chinfo, int32_t nclust) = 0;

  // One sweep of cluster k along axis d (0-based), without or with the wrap
  // inside the slice.
  virtual sweep_outcome sweep(int32_t k, int d, bool wrap) = 0;

  // The profile of slice s of cluster k along axis d: members visited p
  // outer, q inner; sliceavg(s), slicemax(s), slicecount(s) of `block` and
  // the centre sums. The extremes are the caller's.
  virtual slice_centre profile_slice(int32_t k, int d, int32_t s, cluster_axis_block& block) = 0;

  // Lines parallel to axis d through (p, q), p and q from 1, whose points
  // 1..n_d all belong to cluster k.
  virtual int32_t open_lines(int32_t k, int d) = 0;
};

}  // namespace porvane
