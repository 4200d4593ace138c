// The Reeb stage of a run on a real structure, reproduced by the literal
// procedures: the structure's map, the cluster analysis by the literal
// labelling (the multiscale loop, or the single pass of -s, only where the
// 3D radius stands in for the cutoff), the literal patch and edge finders,
// then centring, the size lines, trimming and the script written step by
// step as the procedure reads.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "channels/literal_stages.hpp"
#include "reeb_literal.hpp"

namespace porvane::test {

struct literal_reeb_run {
  std::string stage;   // the report from the stage's first line on
  std::string script;  // reeb_graph.py
  reeb_graph graph;    // as written, shown flags set
  run_params params;   // after the stage
};

// The Reeb stage of `args` (the program's arguments, input name included) on
// `pdb`, on the map of grid size `gridsize` (the size the run used).
inline literal_reeb_run literal_reeb_stage(const std::string& pdb, const std::vector<std::string>& args,
                                           float gridsize) {
  auto m = testing::load_with_map(pdb, gridsize, args);
  run_flags flags = m->flags;
  flags.cl = 0;  // centre-line files are the run's business
  const crystal_record& celli = *m->celli;
  grid_store& g = m->gridi;
  run_params params = m->params;
  channel_context chan;
  auto analysis = [&](float cutoff) { literal::analysis(flags, params, celli, g, cutoff, chan); };
  if (params.reebdir == 4 && params.reebcutoff == 0.0f) {
    testing::captured_report([&] {
      literal::porosity_scan(flags, celli, g, chan);
      multiscale_loop(flags, params, chan, [&](float cutoff, bool) { analysis(cutoff); });
    });
  }

  literal_reeb_run out;
  auto put = [&](std::string_view format, const std::vector<report_item>& items = {}) {
    out.script += formatted_text(format, items) + "\n";
  };
  out.stage = testing::captured_report([&] {
    put("('from pymol.cgo import *')");
    put("('from pymol import cmd')");
    int32_t first = params.reebdir, last = params.reebdir;
    if (params.reebdir == 4) {
      first = 1, last = 3;
      if (params.reebcutoff == 0.0f) params.reebcutoff = chan.results.maxrad3d;
      report().free(" Reeb graph analysis will be done in all three directions with a cutoff of:", params.reebcutoff);
    }
    chan.counts.avgtort = -1.0f;
    chan.counts.avgwv = -1.0f;
    analysis(params.reebcutoff);

    for (int32_t d = first; d <= last; ++d) {
      params.reebdir = d;
      report().free(" Calculating reeb graph along direction ", d,
                    " from largest cluster from distance map contoured at ", params.reebcutoff);
      reeb_direction& graph = out.graph.along(d);
      const int32_t n = g.n[d - 1];
      graph.nodes.clear();
      for (int32_t lev = 0; lev <= n; ++lev) {
        const int32_t slicepos[2] = {d, lev};
        literal_find_patches(params, celli, flags, g, params.clusternum, slicepos, out.graph);
      }
      graph.edges.clear();
      for (int32_t lev = 0; lev < n; ++lev) {
        const int32_t slicepos[2] = {d, lev};
        literal_find_edges(params, flags, g, slicepos, out.graph);
      }

      // Centring; a graph without nodes stays put with a centre shown as 0.
      float t[3] = {0, 0, 0};
      int32_t shift[3] = {0, 0, 0};
      if (graph.nnodes() > 0) {
        float sum[3] = {0, 0, 0}, mean[3];
        for (int32_t k = 1; k <= graph.nnodes(); ++k)
          for (int c = 0; c < 3; ++c) sum[c] = sum[c] + graph.node(k).xyz[c];
        for (int c = 0; c < 3; ++c) mean[c] = sum[c] / static_cast<float>(graph.nnodes());
        matrix_times(celli.fracmat, mean, t);
        for (int c = 0; c < 3; ++c) {
          t[c] = t[c] + celli.fracshift[c];
          if (t[c] > 0) shift[c] = -static_cast<int32_t>(std::trunc(t[c]));
          if (t[c] < 0) shift[c] = static_cast<int32_t>(std::lround(0.5f - t[c]));
        }
      }
      if (flags.vb > 1) {
        report().free("Average fractional coordinate for reebgraph: ", t[0], t[1], t[2],
                      static_cast<int32_t>(std::lround(t[0])), static_cast<int32_t>(std::lround(t[1])),
                      static_cast<int32_t>(std::lround(t[2])));
        report().free("Translating by ", shift[0], shift[1], shift[2]);
      }
      for (int32_t k = 1; k <= graph.nnodes(); ++k) {
        float* xyz = graph.node(k).xyz;  // f = RF·xyz + u, f + shift, xyz = RO·(f − u)
        float f[3];
        matrix_times(celli.fracmat, xyz, f);
        for (int c = 0; c < 3; ++c) f[c] = f[c] + celli.fracshift[c];
        for (int c = 0; c < 3; ++c) f[c] = f[c] + static_cast<float>(shift[c]);
        for (int c = 0; c < 3; ++c) f[c] = f[c] - celli.fracshift[c];
        matrix_times(celli.orthmat, f, xyz);
      }

      report().line("('    The channel structure of cluster ',I3,' can be represented by ',I3,' nodes and ',I4,' edges.')",
                    params.clusternum, graph.nnodes(), graph.nedges());
      int32_t min = 10000, max = 0;
      for (int32_t e = 1; e <= graph.nedges(); ++e) {
        if (graph.edge(e).size > max) max = graph.edge(e).size;
        if (graph.edge(e).size < min) min = graph.edge(e).size;
      }
      report().line("('    Edge size min: ',I4,'  Edge size max: ',I4)", min, max);

      put("('nodes',I1,' = [')", {d});
      for (int32_t k = 1; k <= graph.nnodes(); ++k) {
        reeb_node& node = graph.node(k);
        node.shown = 0;
        const bool end_slice = node.level == 0.0f || node.level == static_cast<float>(n);
        if (params.trimlevel == 0 || (params.trimlevel == 1 && node.nconn > 0) ||
            (params.trimlevel == 2 && (node.nconn > 1 || (node.nconn == 1 && end_slice)))) {
          put("('SPHERE,',f8.2,',',f8.2,',',f8.2,',0.5,')", {node.xyz[0], node.xyz[1], node.xyz[2]});
          node.shown = 1;
        }
      }
      put("(']')");
      put("('edges',I1,' = [')", {d});
      put("('LINEWIDTH,1.0,')");
      put("('BEGIN,LINES,')");
      for (int32_t e = 1; e <= graph.nedges(); ++e) {
        const reeb_node &n1 = graph.node(graph.edge(e).node1), &n2 = graph.node(graph.edge(e).node2);
        if (n1.shown != 1 || n2.shown != 1) continue;
        const float f = static_cast<float>(max - graph.edge(e).size) / static_cast<float>(max - min);
        if (f < 0.5f) put("('COLOR, 1.0,0.0,0.0,')");
        else if (f < 0.9f) put("('COLOR, 0.0,1.0,0.0,')");
        else put("('COLOR, 0.0,0.0,1.0,')");
        put("(' VERTEX,',f8.2,','f8.2,','f8.2,',')", {n1.xyz[0], n1.xyz[1], n1.xyz[2]});
        put("(' VERTEX,',f8.2,','f8.2,','f8.2,',')", {n2.xyz[0], n2.xyz[1], n2.xyz[2]});
        out.script += "\n";
      }
      put("(']')");
      put("('reebgraph'I1,' = nodes',I1,' + edges',I1)", {d, d, d});
      put("('cmd.load_cgo(reebgraph',I1,',''reebgraph'',',I1,')')", {d, d});
    }
  });
  out.params = params;
  return out;
}

}  // namespace porvane::test
