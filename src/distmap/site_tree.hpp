// A tree of boxes over the sites of the fast distance map: for points far
// from a compact group of atoms, where a sorted list of the sites near a
// block of points costs more than it saves, each point is searched in it.
#pragma once

#include <algorithm>
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

  // The search of the point at x through the tree, nearer boxes first:
  // calls offer(t) for every site t of the leaves it opens. A box is passed
  // over when its squared gap to the point exceeds the square of the best
  // distance so far (`best`, which the offers lower) or `bound`, whichever
  // is less, plus the box's largest radius, widened by a relative 1e-5 and
  // 1e-6 Å: the comparison of squares rounds differently from the square
  // root of a site's distance, and the widening keeps it short of any site
  // that could still tie. A sum below zero (a best distance inside a larger
  // atom of another class) passes the box over: no site of it comes nearer
  // than minus its radius.
  template <class Offer>
  void search(const float x[3], const float& best, float bound, Offer&& offer) const {
    struct pending {
      uint32_t node;
      float gap2;  // squared distance from the point to the box
    };
    pending stack[2 * 64];  // one more than the deepest branch (site_tree.cpp)
    int depth = 0;
    auto gap2 = [&](uint32_t n) {
      float s = 0.0f;
      for (int c = 0; c < 3; ++c) {
        const float d = std::max({0.0f, nodes_[n].lo[c] - x[c], x[c] - nodes_[n].hi[c]});
        s += d * d;
      }
      return pending{n, s};
    };
    auto beyond = [&](const pending& p) {
      const float reach = (std::min(best, bound) + nodes_[p.node].rmax) * (1.0f + 1.0e-5f) + 1.0e-6f;
      return reach < 0.0f || p.gap2 > reach * reach;
    };
    stack[depth++] = gap2(0);
    while (depth > 0) {
      const pending top = stack[--depth];
      if (beyond(top)) continue;
      const tree_node& node = nodes_[top.node];
      if (node.right == 0) {
        for (uint32_t t = node.begin; t < node.end; ++t) offer(order_[t]);
        continue;
      }
      const pending left = gap2(top.node + 1), right = gap2(node.right);
      const bool left_nearer = left.gap2 <= right.gap2;  // the nearer box is opened first
      const pending& first = left_nearer ? left : right;
      const pending& second = left_nearer ? right : left;
      if (!beyond(second)) stack[depth++] = second;
      if (!beyond(first)) stack[depth++] = first;
    }
  }

 private:
  std::vector<tree_node> nodes_;
  std::vector<uint32_t> order_;  // sites in the order of the tree

  uint32_t build_node(const std::vector<map_site>& sites, uint32_t begin, uint32_t end, int depth);
};

}  // namespace porvane
