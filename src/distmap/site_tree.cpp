// The tree of site boxes of the fast distance map.
#include "distmap/site_tree.hpp"

#include <cmath>
#include <limits>

namespace porvane {
namespace {

constexpr uint32_t tree_leaf_sites = 8;
// Boxes are split at their middle down to this depth, below it at the
// median count, so that no branch is deeper than this plus 32 levels.
constexpr int tree_midpoint_depth = 64;

}  // namespace

int64_t site_tree::bytes(int64_t nsites) {
  return nsites * 4 + (2 * nsites / (tree_leaf_sites / 2) + 1) * int64_t{sizeof(tree_node)};
}

void site_tree::build(const std::vector<map_site>& sites, uint32_t first, uint32_t end) {
  for (uint32_t t = first; t < end; ++t) {
    const float* x = sites[t].x;
    if (std::isfinite(x[0]) && std::isfinite(x[1]) && std::isfinite(x[2])) order_.push_back(t);
  }
  nodes_.reserve(2 * order_.size() / (tree_leaf_sites / 2) + 1);
  build_node(sites, 0, static_cast<uint32_t>(order_.size()), 0);
}

uint32_t site_tree::build_node(const std::vector<map_site>& sites, uint32_t begin, uint32_t end,
                               int depth) {
  const auto at = static_cast<uint32_t>(nodes_.size());
  tree_node node{{0, 0, 0}, {0, 0, 0}, 0.0f, begin, end, 0};
  for (int c = 0; c < 3; ++c) {
    node.lo[c] = std::numeric_limits<float>::max();
    node.hi[c] = -std::numeric_limits<float>::max();
  }
  for (uint32_t t = begin; t < end; ++t) {
    const map_site& st = sites[order_[t]];
    node.rmax = std::max(node.rmax, st.r);
    for (int c = 0; c < 3; ++c)
      node.lo[c] = std::min(node.lo[c], st.x[c]), node.hi[c] = std::max(node.hi[c], st.x[c]);
  }
  nodes_.push_back(node);
  if (end - begin <= tree_leaf_sites) return at;
  int axis = 0;
  for (int c = 1; c < 3; ++c)
    if (node.hi[c] - node.lo[c] > node.hi[axis] - node.lo[axis]) axis = c;
  const auto first = order_.begin() + begin, last = order_.begin() + end;
  // The middle of the box's widest extent, so that groups of sites apart
  // from each other (a group of atoms and its images a cell away) fall into
  // boxes of their own; at the depth limit, and where the middle leaves
  // fewer than half a leaf on one side, the median.
  uint32_t mid = begin;
  if (depth < tree_midpoint_depth) {
    const float cut = node.lo[axis] + 0.5f * (node.hi[axis] - node.lo[axis]);
    const auto below = [&](uint32_t t) { return sites[t].x[axis] < cut; };
    mid = static_cast<uint32_t>(std::partition(first, last, below) - order_.begin());
  }
  if (mid - begin < tree_leaf_sites / 2 || end - mid < tree_leaf_sites / 2) {
    mid = begin + (end - begin) / 2;
    std::nth_element(first, order_.begin() + mid, last,
                     [&](uint32_t a, uint32_t b) { return sites[a].x[axis] < sites[b].x[axis]; });
  }
  build_node(sites, begin, mid, depth + 1);
  const uint32_t right = build_node(sites, mid, end, depth + 1);
  nodes_[at].right = right;
  return at;
}

}  // namespace porvane
