// Union-find over whole-number ids: the connected groups of the channel
// analysis and of the Reeb-graph slices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <numeric>
#include <vector>

namespace porvane {

// Sets of the ids 0..n−1 as parent links with path halving; a root is its
// own parent. Ids outside every set may hold the parent −1 as long as no
// root of them is asked for.
struct union_find {
  std::vector<int32_t> parent;  // parent link of each id

  // Every id 0..n−1 a set of its own.
  void reset(std::size_t n) {
    parent.resize(n);
    std::iota(parent.begin(), parent.end(), 0);
  }

  int32_t root(int32_t x) {
    while (parent[static_cast<std::size_t>(x)] != x) {
      const int32_t up = parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(x)])];
      parent[static_cast<std::size_t>(x)] = up;
      x = up;
    }
    return x;
  }

  // Joins the set of root r with the set of y; the smaller of the two roots
  // becomes the root of both, so that a set's root is always its smallest
  // id. Returns that root.
  int32_t join_lower(int32_t r, int32_t y) {
    const int32_t ry = root(y);
    if (ry == r) return r;
    if (ry < r) {
      parent[static_cast<std::size_t>(r)] = ry;
      return ry;
    }
    parent[static_cast<std::size_t>(ry)] = r;
    return r;
  }
};

}  // namespace porvane
