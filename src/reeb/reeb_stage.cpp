#include "reeb/reeb_stage.hpp"

#include <cmath>
#include <string>

#include "common/formatted_output.hpp"
#include "common/nearest_int.hpp"
#include "common/output_file.hpp"
#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "reeb/find_edges.hpp"
#include "reeb/find_patches.hpp"

namespace porvane {

namespace {

// A graph whose nodes the cell frame cannot place (a scale matrix far from
// the cell's gives positions that are not finite, or a centre billions of
// cells away) is not drawn: the run stops with the reason.
[[noreturn]] void unplaceable_graph(int32_t d, std::string_view what) {
  fatal_stop("Reeb graph along direction " + std::to_string(d) + ": " + std::string(what) +
             "; the scale matrix of the header does not give a usable frame");
}

// Whether a fractional centre component can be moved by whole cells: finite
// and below 2^31 cells, so that the shift is an int32.
bool shiftable(float t) { return std::isfinite(t) && std::fabs(t) < 2147483648.0f; }

// Sums the node positions in node order and moves every node by the whole
// cells that bring the mean into the cell. A graph without nodes stays
// where it is and shows a centre of 0 and no shift.
void centre_graph(int32_t d, const run_flags& flags, const cell_frame& celli,
                  reeb_direction& graph) {
  float t[3] = {0.0f, 0.0f, 0.0f};
  int32_t shift[3] = {0, 0, 0};
  if (graph.nnodes() > 0) {
    float sum[3] = {0.0f, 0.0f, 0.0f}, mean[3];
    for (const reeb_node& node : graph.nodes)
      for (int c = 0; c < 3; ++c) sum[c] = sum[c] + node.xyz[c];
    for (int c = 0; c < 3; ++c) mean[c] = sum[c] / static_cast<float>(graph.nnodes());
    to_fcoords(celli, mean, t);
    if (!shiftable(t[0]) || !shiftable(t[1]) || !shiftable(t[2]))
      unplaceable_graph(d,
                        "its nodes cannot be moved into the cell by whole cells (their fractional "
                        "centre is not a number or lies 2^31 cells or more away)");
    for (int c = 0; c < 3; ++c) shift[c] = centring_shift(t[c]);
  }
  if (flags.vb > 1) {
    report().free("Average fractional coordinate for reebgraph: ", t[0], t[1], t[2],
                  nearest_int(t[0]), nearest_int(t[1]), nearest_int(t[2]));
    report().free("Translating by ", shift[0], shift[1], shift[2]);
  }
  for (int32_t k = 1; k <= graph.nnodes(); ++k) move_node(celli, graph, k, shift);
  for (const reeb_node& node : graph.nodes)
    if (!std::isfinite(node.xyz[0]) || !std::isfinite(node.xyz[1]) || !std::isfinite(node.xyz[2]))
      unplaceable_graph(d, "its node positions are not finite numbers");
}

// A position in the f8.2 field of the script, or written whole with its two
// decimals where the field cannot hold it, so that the script stays Python.
std::string script_number(float v) {
  std::string text = formatted_text("(f8.2)", {v});
  return text.find('*') == std::string::npos ? text : formatted_text("(f0.2)", {v});
}

// The node list, then the edge list coloured by size, then the object.
void write_direction(output_file& script, reeb_direction& graph, int32_t d, int32_t trimlevel,
                     int32_t top_level, int32_t min, int32_t max) {
  script.line("('nodes',I1,' = [')", d);
  for (reeb_node& node : graph.nodes) {
    node.shown = 0;
    if (!node_shown(node, trimlevel, top_level)) continue;
    script.line("('SPHERE,',a,',',a,',',a,',0.5,')", script_number(node.xyz[0]),
                script_number(node.xyz[1]), script_number(node.xyz[2]));
    node.shown = 1;
  }
  script.line("(']')");
  script.line("('edges',I1,' = [')", d);
  script.line("('LINEWIDTH,1.0,')");
  script.line("('BEGIN,LINES,')");
  for (const reeb_edge& e : graph.edges) {
    const reeb_node& n1 = graph.node(e.node1);
    const reeb_node& n2 = graph.node(e.node2);
    if (n1.shown != 1 || n2.shown != 1) continue;
    // Largest edges red, smallest blue; max = min gives 0/0, which is blue.
    const float f = static_cast<float>(max - e.size) / static_cast<float>(max - min);
    if (f < 0.5f) script.line("('COLOR, 1.0,0.0,0.0,')");
    else if (f < 0.9f) script.line("('COLOR, 0.0,1.0,0.0,')");
    else script.line("('COLOR, 0.0,0.0,1.0,')");
    for (const reeb_node* n : {&n1, &n2})
      script.line("(' VERTEX,',a,',',a,',',a,',')", script_number(n->xyz[0]),
                  script_number(n->xyz[1]), script_number(n->xyz[2]));
    script.line("()");
  }
  script.line("(']')");
  script.line("('reebgraph'I1,' = nodes',I1,' + edges',I1)", d, d, d);
  script.line("('cmd.load_cgo(reebgraph',I1,',''reebgraph'',',I1,')')", d, d);
}

}  // namespace

int32_t centring_shift(float t) {
  if (t > 0.0f) return -static_cast<int32_t>(std::trunc(t));
  if (t < 0.0f) return nearest_int(0.5f - t);
  return 0;
}

bool node_shown(const reeb_node& node, int32_t trimlevel, int32_t top_level) {
  switch (trimlevel) {
    case 0: return true;
    case 1: return node.nconn > 0;
    case 2:
      return node.nconn > 1 ||
             (node.nconn == 1 && (node.level == 0.0f || node.level == static_cast<float>(top_level)));
    default: return false;
  }
}

void reeb_graph_stage(run_params& params, const run_flags& flags, const cell_frame& celli,
                      grid_store& gridi, float maxrad3d, reeb_graph& reebgraph,
                      const std::function<void(float cutoff)>& rerun_cluster_analysis) {
  if (params.reebdir < 1 || params.reebdir > 4)
    io_failure("Reeb direction " + std::to_string(params.reebdir) +
               " is not 1, 2, 3 or 4");
  output_file script("reeb_graph.py");
  script.line("('from pymol.cgo import *')");
  script.line("('from pymol import cmd')");

  int32_t first = params.reebdir, last = params.reebdir;
  if (params.reebdir == 4) {
    first = 1, last = 3;
    if (params.reebcutoff == 0.0f) params.reebcutoff = maxrad3d;
    report().free(" Reeb graph analysis will be done in all three directions with a cutoff of:",
                  params.reebcutoff);
  }
  rerun_cluster_analysis(params.reebcutoff);

  for (int32_t d = first; d <= last; ++d) {
    report().free(" Calculating reeb graph along direction ", d,
                  " from largest cluster from distance map contoured at ", params.reebcutoff);
    reeb_direction& graph = reebgraph.along(d);
    const int32_t top_level = gridi.n[d - 1];
    graph.nodes.clear();
    for (int32_t lev = 0; lev <= top_level; ++lev) {
      const int32_t slicepos[2] = {d, lev};
      find_patches(params, celli, flags, gridi, params.clusternum, slicepos, graph);
    }
    graph.edges.clear();
    for (int32_t lev = 0; lev < top_level; ++lev) {
      const int32_t slicepos[2] = {d, lev};
      find_edges(flags, gridi, slicepos, graph);
    }
    centre_graph(d, flags, celli, graph);
    report().line(
        "('    The channel structure of cluster ',I3,' can be represented by ',I3,' nodes and ',I4,' edges.')",
        params.clusternum, graph.nnodes(), graph.nedges());
    int32_t min = 10000, max = 0;
    for (const reeb_edge& e : graph.edges) {
      if (e.size > max) max = e.size;
      if (e.size < min) min = e.size;
    }
    report().line("('    Edge size min: ',I4,'  Edge size max: ',I4)", min, max);
    write_direction(script, graph, d, params.trimlevel, top_level, min, max);
  }
  script.close();
}

}  // namespace porvane
