// The channel points of the current cutoff, held in the order in which every
// cluster routine scans the grid (i outer, j, k inner), with their labels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/grid_store.hpp"
#include "common/union_find.hpp"

namespace porvane {

// Packed grid index triple of a channel point: 10 bits per axis, so that
// packed values ascend in scan order.
constexpr uint32_t pack_ijk(int32_t i, int32_t j, int32_t k) {
  return (static_cast<uint32_t>(i) << 20) | (static_cast<uint32_t>(j) << 10) |
         static_cast<uint32_t>(k);
}
inline void unpack_ijk(uint32_t c, int32_t g[3]) {
  g[0] = static_cast<int32_t>(c >> 20);
  g[1] = static_cast<int32_t>((c >> 10) & 1023u);
  g[2] = static_cast<int32_t>(c & 1023u);
}

// Size and distance statistics of one connected group, summed in scan order
// in single precision.
struct component_stats {
  float n = 0.0f;  // points
  float s = 0.0f;  // sum of dist
  float q = 0.0f;  // sum of dist²
  float m = 0.0f;  // largest dist, at least 0
};

class channel_points {
 public:
  int32_t n[3] = {0, 0, 0};           // grid counts (indices 0..n)
  std::size_t sj = 1, si = 1;         // scan-order strides of j and i (k is 1)
  std::vector<float> dist;            // dist of every grid point, scan order
  std::vector<int32_t> label;         // per grid point: cluster number, -1 = none
  std::vector<int32_t> index;         // scan indices of the channel points, ascending
  std::vector<uint32_t> ijk;          // their packed index triples
  std::vector<float> value;           // their dist
  std::vector<int32_t> point_label;   // cluster number of each channel point, -1 = none

  // Sizes the store for the grid of gridi and copies its distances into
  // scan order; no point is a channel point yet.
  void load(const grid_store& gridi);

  // Makes the points with dist > r (strictly) the channel points, each
  // labelled with its position in `index`. From a set of a lower or equal
  // cutoff the new set is filtered out of the old one.
  void select(float r);

  std::size_t count() const { return index.size(); }
  std::size_t scan_index(int32_t i, int32_t j, int32_t k) const {
    return static_cast<std::size_t>(i) * si + static_cast<std::size_t>(j) * sj +
           static_cast<std::size_t>(k);
  }

  // Connected groups of the channel points under the periodic 27-point
  // neighbourhood: comp[id] is the group of channel point id, groups numbered
  // by the scan order of their first point; returns their statistics.
  // Needs the labels of select().
  std::vector<component_stats> connect(std::vector<int32_t>& comp);

  // point_label[id] := number[comp[id]], the same into label; the points of
  // dropped groups (number -1) lose their label.
  void apply_labels(const std::vector<int32_t>& comp, const std::vector<int32_t>& number);

  // Writes the labels into gridi.clust: cluster numbers, -1 elsewhere.
  void store_labels(grid_store& gridi) const;

  // Calls f(id) for every channel point on a face plane (an index 0 or n),
  // from the runs of connect(): every point of a run in a face row (i or j on
  // a face), else the ends of a run that reach k = 0 or k = n3.
  template <class F>
  void for_face_points(F&& f) const {
    for (std::size_t r = 0; r + 1 < run_first_.size(); ++r) {
      const std::size_t first = static_cast<std::size_t>(run_first_[r]);
      const std::size_t end = static_cast<std::size_t>(run_first_[r + 1]);
      int32_t g[3];
      unpack_ijk(ijk[first], g);
      if (g[0] == 0 || g[0] == n[0] || g[1] == 0 || g[1] == n[1]) {
        for (std::size_t id = first; id < end; ++id) f(id);
        continue;
      }
      const int32_t k_last = g[2] + static_cast<int32_t>(end - first) - 1;
      if (g[2] == 0) f(first);
      if (k_last == n[2] && (end - 1 != first || g[2] != 0)) f(end - 1);
    }
  }

 private:
  float cutoff_ = 0.0f;
  bool selected_ = false;
  // Work space of connect(): runs along k and their union-find.
  std::vector<int32_t> run_first_, run_k_, run_of_, row_first_;
  union_find run_sets_;

  // The steps of connect(): the runs (returns their number), the joins
  // inside the cell and across its faces, the groups numbered, their sums.
  int32_t make_runs();
  void join_runs_in_cell();
  void join_across_faces();
  std::vector<component_stats> number_groups();
  void sum_groups(std::vector<int32_t>& comp, std::vector<component_stats>& stats) const;
};

}  // namespace porvane
