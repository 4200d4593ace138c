// A tree of boxes over the sites of the fast distance map: for blocks of
// points where a sorted list of the sites near the block costs more than
// it saves (points far from a compact group of atoms), the block's points
// are searched in it together.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "distmap/site_buckets.hpp"

namespace porvane {

// A box of the tree: its sites are order[begin, end); an inner node's
// children are the next node and node `right`.
struct tree_node {
  float lo[3], hi[3];  // bounding box of the sites' positions (Å)
  float rmax;          // largest radius of the sites
  uint32_t begin, end;
  uint32_t right;  // 0 for a leaf
};

class site_tree {
 public:
  // Memory the tree over `nsites` sites takes at most (bytes).
  static int64_t bytes(int64_t nsites);

  // The tree over the sites first..end of `sites` with finite coordinates:
  // boxes split across their widest axis, at its middle where that leaves
  // half a leaf or more on each side, else at the median.
  void build(const std::vector<map_site>& sites, uint32_t first, uint32_t end);

  bool empty() const { return nodes_.empty(); }

  // Relative widening of the reach of a box test.
  static constexpr float reach_slack = 0x1p-20f;

  // The most points searched together.
  static constexpr int max_batch = 256;

  // The search of the points from..n-1 of a batch (positions px, py, pz)
  // through the tree together, so that a box is tested against every point
  // still in need of it in one pass: calls offer(p, t) for every site t of
  // the leaves it opens for point p. A box is passed over for a point when
  // its squared gap to the point exceeds the square of the point's best
  // distance so far (best[p], which the offers lower) or `bound`, whichever
  // is less, plus the box's largest radius, each widened by reach_slack.
  // A site of the box can tie only when its coordinate differences, at
  // least the box's gaps on each axis, give a square root and a radius
  // subtraction that round to no more than that least; the widening, sixteen
  // times the rounding unit of single precision, covers the rounding of the
  // site's distance and of the test itself. A reach below zero (a best
  // distance inside a larger atom of another class) passes the box over: no
  // site of it comes nearer than minus its radius. Boxes nearer to `centre`
  // are opened first. Returns the number of box tests made.
  template <class Offer>
  int64_t search(int from, int n, const float* px, const float* py, const float* pz,
                 const float* best, float bound, const float centre[3], Offer&& offer) const {
    // Per level of the branch at hand, the node, the points it is open for
    // (1) or not (0), and the range of points that holds those it is open for.
    uint32_t node_at[2 * 64];  // more than the deepest branch (site_tree.cpp)
    uint8_t open_at[2 * 64][max_batch];
    int first_at[2 * 64], end_at[2 * 64];
    int depth = 0;
    int64_t tests = 0;
    node_at[0] = 0;
    first_at[0] = from, end_at[0] = n;
    std::fill(open_at[0] + from, open_at[0] + n, uint8_t{1});
    ++depth;
    while (depth > 0) {
      --depth;
      const tree_node& node = nodes_[node_at[depth]];
      uint8_t* open = open_at[depth];
      int first = first_at[depth], end = end_at[depth];
      // Branch-free over the points, so that the compiler can take several
      // at once.
      for (int p = first; p < end; ++p) {
        const float x[3] = {px[p], py[p], pz[p]};
        const float least = bound < best[p] ? bound : best[p];
        const float reach = (least + node.rmax) + reach_slack * (std::fabs(least) + node.rmax);
        const float g = gap2(node, x);
        open[p] &= static_cast<uint8_t>(!(reach < 0.0f) & !(g > (reach * reach) * (1.0f + reach_slack)));
      }
      tests += end - first;
      while (first < end && !open[first]) ++first;
      while (end > first && !open[end - 1]) --end;
      if (first == end) continue;
      if (node.right == 0) {
        for (int p = first; p < end; ++p)
          if (open[p])
            for (uint32_t t = node.begin; t < node.end; ++t) offer(p, order_[t]);
        continue;
      }
      // The nearer child is opened first: it goes on top.
      const uint32_t left = node_at[depth] + 1, right = node.right;
      const bool left_nearer = gap2(nodes_[left], centre) <= gap2(nodes_[right], centre);
      std::copy(open + first, open + end, open_at[depth + 1] + first);
      node_at[depth] = left_nearer ? right : left;
      node_at[depth + 1] = left_nearer ? left : right;
      first_at[depth] = first_at[depth + 1] = first;
      end_at[depth] = end_at[depth + 1] = end;
      depth += 2;
    }
    return tests;
  }

 private:
  std::vector<tree_node> nodes_;

  // Squared distance from x to the box of a node, the squares summed as in
  // surface_distance.
  static float gap2(const tree_node& node, const float x[3]) {
    float s = 0.0f;
    for (int c = 0; c < 3; ++c) {
      const float d = std::max(std::max(0.0f, node.lo[c] - x[c]), x[c] - node.hi[c]);
      s += d * d;
    }
    return s;
  }

  std::vector<uint32_t> order_;  // sites in the order of the tree

  uint32_t build_node(const std::vector<map_site>& sites, uint32_t begin, uint32_t end, int depth);
};

}  // namespace porvane
