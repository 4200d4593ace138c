// The Reeb graph of a channel cluster: one record per cell direction, its
// nodes (patches of one slice) and edges (patches of neighbouring slices
// that share grid columns). Node and edge numbers are 1-based; the stores
// grow with the graph, so there is no limit on nodes, edges or neighbours.
#pragma once

#include <cstdint>
#include <vector>

namespace porvane {

struct reeb_node {
  int32_t id = 0;                    // patch label the node stands for (its own number)
  float base[3] = {0, 0, 0};         // whole-cell translation of the image it represents
  float xyz[3] = {0, 0, 0};          // orthogonal position (Å): mean of the patch's points
  float level = 0.0f;                // slice index of the patch, as a real
  int32_t npoints = 0;               // grid points in the patch
  int32_t nconn = 0;                 // entries of neighbours, one per edge met at the node
  std::vector<int32_t> neighbours;   // node numbers joined to this one, in edge order
  int32_t shown = 0;                 // 1 once written to the script as a sphere
};

struct reeb_edge {
  int32_t size = 0;                  // grid columns joining the two patches
  int32_t node1 = 0;                 // node number of the end in slice lev
  int32_t node2 = 0;                 // node number of the end in slice lev + 1
};

// One direction: nodes 1..nnodes and edges 1..nedges.
struct reeb_direction {
  std::vector<reeb_node> nodes;
  std::vector<reeb_edge> edges;

  int32_t nnodes() const { return static_cast<int32_t>(nodes.size()); }
  int32_t nedges() const { return static_cast<int32_t>(edges.size()); }
  reeb_node& node(int32_t k) { return nodes[static_cast<std::size_t>(k - 1)]; }
  const reeb_node& node(int32_t k) const { return nodes[static_cast<std::size_t>(k - 1)]; }
  reeb_edge& edge(int32_t e) { return edges[static_cast<std::size_t>(e - 1)]; }
  const reeb_edge& edge(int32_t e) const { return edges[static_cast<std::size_t>(e - 1)]; }
};

// Directions 1, 2, 3 cut the grid into slices of constant i, j or k.
struct reeb_graph {
  reeb_direction direction[3];

  reeb_direction& along(int32_t d) { return direction[d - 1]; }
  const reeb_direction& along(int32_t d) const { return direction[d - 1]; }
};

}  // namespace porvane
