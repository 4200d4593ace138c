// The patch and edge finders written out step by step as the procedures
// read: labelling by 3×3 windows, merge sweeps that relabel the whole
// slice, renumbering, linear searches over nodes and edges. The reference
// for the fast finders. Two deliberate differences: a point outside every
// cluster (-1) is never a member, and the renumbering offset grows with the
// number of provisional labels instead of stopping at 2000. The benchmark
// times the fast finders against them.
#pragma once

#include <algorithm>
#include <array>
#include <map>

#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"
#include "common/report_writer.hpp"
#include "common/run_params.hpp"
#include "reeb/reeb_graph_store.hpp"

namespace porvane::test {

// Grid indices, and the grid index, of the in-plane point (p, q) of slice
// lev along d.
inline std::array<int32_t, 3> literal_point(int d, int lev, int p, int q) {
  return d == 1 ? std::array{lev, p, q} : d == 2 ? std::array{p, lev, q} : std::array{p, q, lev};
}
inline std::size_t literal_at(const grid_store& g, int d, int lev, int p, int q) {
  const auto [i, j, k] = literal_point(d, lev, p, q);
  return g.index(i, j, k);
}

inline void literal_find_patches(const run_params& params, const cell_frame& celli, const run_flags& flags,
                                 grid_store& g, int32_t clusternum, const int32_t slicepos[2], reeb_graph& rg) {
  const int d = slicepos[0], lev = slicepos[1];
  reeb_direction& graph = rg.along(params.reebdir);
  const int np = d == 1 ? g.n[1] : g.n[0], nq = d == 3 ? g.n[1] : g.n[2];
  auto label = [&](int p, int q) -> int32_t& { return g.patch[literal_at(g, d, lev, p, q)]; };
  auto member = [&](int p, int q) {
    const int32_t c = g.clust[literal_at(g, d, lev, p, q)];
    return (clusternum == 0 && c != -1) || (c == clusternum && c != -1);
  };
  auto inside = [&](int p, int q) { return p >= 0 && p <= np && q >= 0 && q <= nq; };
  auto relabel_all = [&](auto&& test, int32_t to) {
    for (int p = 0; p <= np; ++p)
      for (int q = 0; q <= nq; ++q)
        if (test(label(p, q))) label(p, q) = to;
  };
  if (flags.vb > 1) report().free("Finding patches (nodes) for cluster ", clusternum, " at level ", lev, " along axis number ", d);
  relabel_all([](int32_t) { return true; }, -1);
  const int32_t nnodes = graph.nnodes();
  int32_t counter = nnodes;
  for (int p = 0; p <= np; ++p)
    for (int q = 0; q <= nq; ++q) {
      if (!member(p, q)) continue;
      int32_t l = -1;
      for (int a = p - 1; a <= p + 1; ++a)
        for (int b = q - 1; b <= q + 1; ++b)
          if (inside(a, b) && member(a, b) && label(a, b) != -1) l = label(a, b);
      if (l == -1) l = ++counter;
      for (int a = p - 1; a <= p + 1; ++a)
        for (int b = q - 1; b <= q + 1; ++b)
          if (inside(a, b) && member(a, b)) label(a, b) = l;
    }
  if (flags.vb > 1) report().free("Checking for multiply labeled patches...");
  if (counter >= 1) {
    int32_t start;
    do {
      start = counter;
      for (int p = 0; p <= np; ++p)
        for (int q = 0; q <= nq; ++q) {
          if (label(p, q) == -1) continue;
          for (int a = p - 1; a <= p + 1; ++a)
            for (int b = q - 1; b <= q + 1; ++b) {
              if (!inside(a, b)) continue;
              const int32_t l1 = label(p, q), l2 = label(a, b);
              if (l2 != -1 && l2 != l1) {
                ++counter;
                relabel_all([&](int32_t l) { return l == l1 || l == l2; }, counter);
              }
            }
        }
    } while (counter != start);
  }
  const int32_t offset = std::max(2000, counter - nnodes + 2);
  int32_t next = nnodes + offset;
  for (int p = 0; p <= np; ++p)
    for (int q = 0; q <= nq; ++q) {
      const int32_t l = label(p, q);
      if (l != -1 && l <= nnodes + offset - 2) relabel_all([&](int32_t m) { return m == l; }, ++next);
    }
  for (int p = 0; p <= np; ++p)
    for (int q = 0; q <= nq; ++q)
      if (label(p, q) != -1) label(p, q) -= offset;
  const int32_t newcount = next - offset;
  if (flags.vb > 1) report().free("Averaging patch coordinates...");
  std::map<int32_t, std::array<float, 3>> avg;  // avgpatchcoords, sized to the need
  std::map<int32_t, int32_t> count;
  for (int32_t k = nnodes + 1; k <= newcount; ++k) avg[k] = {0.0f, 0.0f, 0.0f}, count[k] = 0;
  for (int p = 0; p <= np; ++p)
    for (int q = 0; q <= nq; ++q) {
      const int32_t l = label(p, q);
      if (l == -1) continue;
      const auto [i, j, k] = literal_point(d, lev, p, q);
      float xyz[3];
      grid_point_position(celli, params.gridsize, i, j, k, xyz);
      for (int c = 0; c < 3; ++c) avg[l][c] = avg[l][c] + xyz[c];
      count[l] += 1;
    }
  for (int32_t k = nnodes + 1; k <= newcount; ++k) {
    for (int c = 0; c < 3; ++c) avg[k][c] = avg[k][c] / static_cast<float>(count[k]);
    reeb_node node;
    node.id = k;
    std::copy(avg[k].begin(), avg[k].end(), node.xyz);
    node.level = static_cast<float>(lev);
    node.npoints = count[k];
    graph.nodes.push_back(node);
    if (flags.vb > 1)
      report().free("Patch:", k, "Average patch coordinates: ", node.xyz[0], node.xyz[1], node.xyz[2], "Base,level ",
                    node.id, node.level);
  }
  if (flags.vb > 1)
    report().free("Thus far,", graph.nnodes(), " patches (nodes) have been found. Current level :", lev);
}

inline void literal_find_edges(const run_params& params, const run_flags& flags, const grid_store& g,
                               const int32_t slicepos[2], reeb_graph& rg) {
  const int d = slicepos[0], lev = slicepos[1];
  reeb_direction& graph = rg.along(params.reebdir);
  const int np = d == 1 ? g.n[1] : g.n[0], nq = d == 3 ? g.n[1] : g.n[2];
  if (flags.vb > 1) report().free("Finding edges along level", lev, " along axis number ", d);
  const int32_t n = graph.nnodes(), e0 = graph.nedges();
  int32_t e = e0;
  for (int p = 0; p <= np; ++p)
    for (int q = 0; q <= nq; ++q) {
      const int32_t p1 = g.patch[literal_at(g, d, lev, p, q)];
      if (p1 == -1) continue;
      for (int32_t r = 1; r <= n; ++r) {
        if (graph.node(r).id != p1) continue;
        const int32_t p2 = g.patch[literal_at(g, d, lev + 1, p, q)];
        if (p2 == -1) continue;
        for (int32_t s = 1; s <= n; ++s) {
          if (graph.node(s).id != p2) continue;
          if (flags.vb > 1) {
            const auto a = literal_point(d, lev, p, q), b = literal_point(d, lev + 1, p, q);
            report().free("Testing ", r, s, graph.node(r).id, graph.node(s).id, a[0], a[1], a[2], b[0], b[1], b[2]);
          }
          if (!std::equal(graph.node(r).base, graph.node(r).base + 3, graph.node(s).base)) continue;
          int32_t found = 0;
          for (int32_t x = e0 + 1; x <= e && found == 0; ++x) {
            const reeb_edge& ex = graph.edge(x);
            if ((ex.node1 == r && ex.node2 == s) || (ex.node1 == s && ex.node2 == r)) found = x;
          }
          if (found != 0) {
            ++graph.edge(found).size;
            continue;
          }
          ++e;
          graph.edges.push_back(reeb_edge{1, 0, 0});
          if (flags.vb > 1) report().free("Adding an edge: ", e);
          graph.node(r).neighbours.push_back(s), ++graph.node(r).nconn;
          graph.node(s).neighbours.push_back(r), ++graph.node(s).nconn;
          graph.edge(e).node1 = r, graph.edge(e).node2 = s;
        }
      }
    }
}

}  // namespace porvane::test
