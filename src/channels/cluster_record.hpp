// The cluster records of one cutoff (chinfo) and the per-cutoff counters.
// Cluster k is entry k of the table (entry 0 is not used); the table holds
// exactly the clusters kept at the current cutoff, however many there are.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/fixed_text.hpp"

namespace porvane {

// Slice profile of one cluster along one cell axis d; slice s is the grid
// plane whose index on d is s. The slice arrays are sized 0..n_d when the
// axis is first profiled at this cutoff and are empty before.
struct cluster_axis_block {
  std::vector<float> slicecount;                // points of slice s, as a real
  std::vector<float> slicemax;                  // largest dist in slice s (Å)
  std::vector<float> sliceavg;                  // mean dist in slice s (Å)
  std::vector<std::array<float, 3>> avercentre; // geometric centre on the continuous line (Å)
  std::vector<std::array<float, 3>> deeppoint;  // deepest point on the continuous line (Å)
  float slicemaxhi = 0.0f;                      // largest slicemax
  float slicemaxlo = 100000.0f;                 // smallest slicemax
  float slicecounthi = 0.0f;                    // largest slicecount
  float slicecountlo = 100000.0f;               // smallest slicecount
  float tortdeep = 0.0f;                        // tortuosity, deepest-point line
  float tortarea = 0.0f;                        // tortuosity, geometric-centre line
  float wvdeep = 0.0f;                          // width variation by slicemax
  float wvarea = 0.0f;                          // width variation by slicecount

  // Slices 0..nd zeroed, unless already sized at this cutoff.
  void size_slices(int32_t nd) {
    const std::size_t n = static_cast<std::size_t>(nd) + 1;
    if (slicecount.size() == n) return;
    for (auto* v : {&slicecount, &slicemax, &sliceavg}) v->assign(n, 0.0f);
    avercentre.assign(n, {0.0f, 0.0f, 0.0f});
    deeppoint.assign(n, {0.0f, 0.0f, 0.0f});
  }
};

struct cluster_record {
  int32_t npts = 0;                  // grid points of the cluster (planes n included)
  float avgdist = 0.0f;              // mean dist (Å)
  float sddist = 0.0f;               // spread of dist (Å)
  float maxdist = 0.0f;              // largest dist, at least 0 (Å)
  fixed_text<6> facepattern{"none  "};  // pocket faces such as "aa....", "none  " for a pipe
  fixed_text<4> spanpattern{"none"};    // crossed axes of a pipe such as "ab  "
  float contour[3][4] = {};          // per axis: centre and deepest contour, centre and deepest end to end (Å)
  int32_t facetouch[6] = {};         // points on i = 0, i = n1, j = 0, j = n2, k = 0, k = n3
  int32_t spans[3] = {};             // joins face plane 0 to face plane n across a, b, c
  cluster_axis_block axis[3];        // slice profiles along a, b, c
  fixed_text<6> clustype{"      "};  // "3D ", "2D ", "1D ", "0D " and three direction letters
};

// chinfo: entry k describes cluster k (1 = the largest); entry 0 unused.
using cluster_table = std::vector<cluster_record>;

// Per-cutoff counters.
struct cluster_counts {
  int32_t ntotal = 0;       // points of all clusters
  int32_t npocketpts = 0;   // points of the pockets
  int32_t npipepts = 0;     // points of the pipes
  int32_t npipes = 0;       // pipes
  int32_t npockets = 0;     // pockets above the pocket share
  float avgtort = -1.0f;    // size-weighted tortuosity of the 1D pipes, -1 = none
  float avgwv = -1.0f;      // size-weighted width variation of the 1D pipes, -1 = none
};

// In-plane axes (0-based) of slices along axis d: p is visited in the outer
// loop, q in the inner loop.
constexpr int plane_p[3] = {1, 0, 0};
constexpr int plane_q[3] = {2, 2, 1};

}  // namespace porvane
