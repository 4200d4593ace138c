#include "reeb/find_edges.hpp"

#include <unordered_map>

#include "common/report_writer.hpp"
#include "reeb/slice_geometry.hpp"

namespace porvane {

void find_edges(const run_flags& flags, const grid_store& gridi, const int32_t slicepos[2],
                reeb_direction& graph) {
  const int32_t d = slicepos[0], lev = slicepos[1];
  const bool verbose = flags.vb > 1;
  if (verbose) report().free("Finding edges along level", lev, " along axis number ", d);

  const slice_layout lower = slice_layout::of(gridi, d, lev);
  const slice_layout upper = slice_layout::of(gridi, d, lev + 1);
  std::unordered_map<uint64_t, int32_t> made;  // (r, s) -> edge number
  uint64_t last_key = 0;
  int32_t last_edge = 0;
  for (int32_t p = 0; p <= lower.np; ++p) {
    for (int32_t q = 0; q <= lower.nq; ++q) {
      const int32_t r = gridi.patch[lower.at(p, q)];
      if (r == -1) continue;
      const int32_t s = gridi.patch[upper.at(p, q)];
      if (s == -1) continue;
      if (verbose) {
        int32_t a[3] = {0, 0, 0}, b[3] = {0, 0, 0};
        lower.point(p, q, a);
        upper.point(p, q, b);
        report().free("Testing ", r, s, graph.node(r).id, graph.node(s).id, a[0], a[1], a[2], b[0],
                      b[1], b[2]);
      }
      const uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(r)) << 32) |
                           static_cast<uint32_t>(s);
      if (last_edge == 0 || key != last_key) {
        auto [at, added] = made.try_emplace(key, graph.nedges() + 1);
        if (added) {
          graph.edges.push_back(reeb_edge{0, r, s});
          if (verbose) report().free("Adding an edge: ", graph.nedges());
          reeb_node& nr = graph.node(r);
          nr.neighbours.push_back(s);
          ++nr.nconn;
          reeb_node& ns = graph.node(s);
          ns.neighbours.push_back(r);
          ++ns.nconn;
        }
        last_key = key;
        last_edge = at->second;
      }
      ++graph.edge(last_edge).size;
    }
  }
}

void move_node(const cell_frame& celli, reeb_direction& graph, int32_t k, const int32_t shift[3]) {
  reeb_node& node = graph.node(k);
  float f[3];
  to_fcoords(celli, node.xyz, f);
  for (int c = 0; c < 3; ++c) f[c] = f[c] + static_cast<float>(shift[c]);
  frac_to_real(celli, f, node.xyz);
}

}  // namespace porvane
