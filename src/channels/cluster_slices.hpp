// The clusters' own points, grouped by cluster, for the faces, sweeps, slice
// profiles and projections: each cluster costs what its points cost (the
// sweeps what its slices cost as bit planes).
#pragma once

#include <cstdint>
#include <vector>

#include "channels/channel_points.hpp"
#include "channels/cluster_geometry.hpp"

namespace porvane {

struct slice_periods;

// The points of one cluster along one axis d: slice s holds entries
// first[s]..first[s+1]-1, in-plane order p outer, q inner.
struct slice_groups {
  std::vector<int32_t> first;  // n_d + 2 offsets
  std::vector<uint32_t> pq;    // in-plane indices, p << 16 | q
};

// cluster_geometry over the labelled channel points of one cutoff.
class cluster_slices final : public cluster_geometry {
 public:
  cluster_slices(const channel_points& points, const analysis_grid& grid);

  void mark_faces(cluster_table& chinfo, int32_t nclust) override;
  sweep_outcome sweep(int32_t k, int d, bool wrap) override;
  slice_centre profile_slice(int32_t k, int d, int32_t s, cluster_axis_block& block) override;
  int32_t open_lines(int32_t k, int d) override;

  // Points of the profiles so far whose image was searched for: those not
  // near the estimate of their slice's running mean.
  std::size_t image_searches() const { return image_searches_; }

 private:
  const channel_points& points_;
  analysis_grid grid_;
  // Channel points grouped by cluster, each group in scan order, and the
  // face planes each cluster touches (bit 2d: plane 0 of axis d, 2d + 1:
  // plane n), found by mark_faces.
  std::vector<int32_t> member_first_, members_;
  std::vector<uint32_t> faces_;
  bool grouped_ = false;
  int32_t sliced_k_[3] = {-1, -1, -1};  // cluster whose slices are held, per axis
  slice_groups groups_[3];              // its slices along a, b, c
  // Membership of one cluster as bits, per sweep axis d: slice s, in-plane
  // row p, bit q (words_[d] words a row).
  int32_t bits_k_[3] = {-1, -1, -1};  // -1: none, all zero
  std::vector<uint64_t> bits_[3];
  std::size_t words_[3] = {0, 0, 0};
  std::vector<int32_t> line_count_;
  // Fractional coordinate of each integer grid index -n..2n per axis, and
  // what limits the nearest-image search of the profiles.
  std::vector<float> frac_[3];
  double tolerance_ = 0.0;
  std::size_t image_searches_ = 0;

  void group_by_cluster();
  const slice_groups& slices_of(int32_t k, int d);
  void slice_cluster(int32_t k, int d);
  const std::vector<uint64_t>& cluster_bits(int32_t k, int d);
  template <class F>
  void for_members(int32_t k, F&& f) const;
  void position(int d, int32_t s, int32_t p, int32_t q, float x[3]) const;
  // The periods of slice s along axis d that decide the images of its points.
  slice_periods periods_of(int d, int32_t s) const;
  // The image of point (p, q) that profile_slice takes when the point lies
  // `delta` (dd squared) from the estimate of the running mean (mp, mq):
  // 0..8 for the shift (u, w) = (c / 3 − 1, c % 3 − 1).
  int nearest_image(const slice_periods& im, int d, int32_t s, int32_t p, int32_t q,
                    const double delta[3], double dd, float mp, float mq);
};

}  // namespace porvane
