// Centre lines of a pipe along one axis, slice by slice.
#include "channels/pipe_center.hpp"

#include <cmath>

#include "common/report_writer.hpp"

namespace porvane {
namespace {

// Of the candidates base + shift (in the order given), the one nearest in Å
// to `target`; a later candidate wins only when strictly nearer. With none
// nearer than the start value the base itself stays.
template <int N>
void nearest_candidate(const analysis_grid& grid, const float base[3], const float target[3],
                       const int32_t (&shifts)[N][3], float chosen[3]) {
  float best = no_candidate;
  for (int c = 0; c < 3; ++c) chosen[c] = base[c];
  for (const auto& sh : shifts) {
    float cand[3];
    for (int c = 0; c < 3; ++c) cand[c] = base[c] + static_cast<float>(sh[c]);
    const float dist = grid_to_grid_distance(grid, cand, target);
    if (dist < best) {
      best = dist;
      for (int c = 0; c < 3; ++c) chosen[c] = cand[c];
    }
  }
}

// A tortuosity or width variation: the ratio, or 0.0 where there is nothing
// to measure it by. A pipe one grid interval long (or two, whose centre line
// runs back to its start) has ends that coincide: no end-to-end length.
float measured_ratio(float part, float whole) {
  const float ratio = part / whole;
  return whole > 0.0f && std::isfinite(ratio) ? ratio : 0.0f;
}

}  // namespace

float position_distance(const float a[3], const float b[3]) {
  const float dx = a[0] - b[0];
  const float dy = a[1] - b[1];
  const float dz = a[2] - b[2];
  return std::sqrt((dx * dx + dy * dy) + dz * dz);
}

float grid_to_grid_distance(const analysis_grid& grid, const float g1[3], const float g2[3]) {
  float x1[3], x2[3];
  grid_to_real(*grid.frame, grid.gridsize, g1, x1);
  grid_to_real(*grid.frame, grid.gridsize, g2, x2);
  return position_distance(x1, x2);
}

slice_centre find_pipe_center(const run_flags& flags, const analysis_grid& grid,
                              cluster_geometry& geometry, cluster_record& rec, int32_t k, int d,
                              int32_t s) {
  if (flags.vb == 3) report().free("Finding pipe center for section ", s);
  cluster_axis_block& b = rec.axis[d];
  b.size_slices(grid.n[d]);
  const slice_centre ctr = geometry.profile_slice(k, d, s, b);
  const std::size_t si = static_cast<std::size_t>(s);
  if (b.slicecount[si] > b.slicecounthi) b.slicecounthi = b.slicecount[si];
  if (b.slicecount[si] < b.slicecountlo) b.slicecountlo = b.slicecount[si];
  if (b.slicemax[si] > b.slicemaxhi) b.slicemaxhi = b.slicemax[si];
  if (b.slicemax[si] < b.slicemaxlo) b.slicemaxlo = b.slicemax[si];
  if (flags.vb >= 2) {
    report().free("Slice ", s, ctr.count, ctr.ctr_grid[0][0], ctr.ctr_grid[0][1], ctr.ctr_grid[0][2],
                  ctr.ctr_A[0][0], ctr.ctr_A[0][1], ctr.ctr_A[0][2], b.slicemax[si], b.sliceavg[si]);
  }
  return ctr;
}

void get_contour_length(const run_flags& flags, const analysis_grid& grid,
                        cluster_geometry& geometry, cluster_record& rec, int32_t k, int d) {
  const int p = plane_p[d], q = plane_q[d];
  cluster_axis_block& b = rec.axis[d];
  float* contour = rec.contour[d];
  for (int c = 0; c < 4; ++c) contour[c] = 0.0f;

  // In-plane shifts of the deepest point at slice 0, and the 27 shifts by
  // whole cell edges that keep both lines continuous.
  int32_t plane_shifts[9][3] = {}, cell_shifts[27][3] = {};
  for (int u = -1, t = 0; u <= 1; ++u) {
    for (int w = -1; w <= 1; ++w, ++t) {
      plane_shifts[t][p] = u * grid.n[p];
      plane_shifts[t][q] = w * grid.n[q];
    }
  }
  for (int t = 0; t < 27; ++t) {
    const int u[3] = {t / 9 - 1, t / 3 % 3 - 1, t % 3 - 1};
    for (int c = 0; c < 3; ++c) cell_shifts[t][c] = u[c] * grid.n[c];
  }

  float ref[2][3] = {};  // the reference pair: last centre and deepest point
  for (int32_t s = 0; s <= grid.n[d]; ++s) {
    if (flags.vb == 3) report().free("Calling find_pipe_center with slice ", d + 1, s);
    const slice_centre ctr = find_pipe_center(flags, grid, geometry, rec, k, d, s);
    if (s == 0) {
      for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) ref[r][c] = ctr.ctr_grid[r][c];
      nearest_candidate(grid, ctr.ctr_grid[1], ref[0], plane_shifts, ref[1]);
    }
    for (int r = 0; r < 2; ++r) {
      float chosen[3];
      nearest_candidate(grid, ctr.ctr_grid[r], ref[r], cell_shifts, chosen);
      for (int c = 0; c < 3; ++c) ref[r][c] = chosen[c];
    }
    const std::size_t si = static_cast<std::size_t>(s);
    grid_to_real(*grid.frame, grid.gridsize, ref[0], b.avercentre[si].data());
    grid_to_real(*grid.frame, grid.gridsize, ref[1], b.deeppoint[si].data());
    if (s >= 1) {
      contour[0] = contour[0] + position_distance(b.avercentre[si].data(), b.avercentre[si - 1].data());
      contour[1] = contour[1] + position_distance(b.deeppoint[si].data(), b.deeppoint[si - 1].data());
    }
  }
  const std::size_t last = static_cast<std::size_t>(grid.n[d]);
  contour[2] = position_distance(b.avercentre[last].data(), b.avercentre[0].data());
  contour[3] = position_distance(b.deeppoint[last].data(), b.deeppoint[0].data());
  b.tortdeep = measured_ratio(contour[1], contour[3]);
  b.tortarea = measured_ratio(contour[0], contour[2]);
  b.wvdeep = measured_ratio(b.slicemaxhi, b.slicemaxlo);
  b.wvarea = measured_ratio(b.slicecounthi, b.slicecountlo);
}

}  // namespace porvane
