// Cluster labelling by union-find over the channel points. Equal to the
// labelling by provisional labels, merge passes, renumbering rescans and
// exchange sort because the merges leave exactly the connected groups, the
// renumbering meets the groups in the scan order of their first points and
// sums each group's distances in scan order, and the exchange sort is
// replayed on the sizes.
#include "channels/find_clusters.hpp"

#include <cmath>
#include <numeric>

#include "channels/exchange_order.hpp"
#include "channels/grid_neighbours.hpp"
#include "common/report_writer.hpp"
#include "common/union_find.hpp"

namespace porvane {

float distance_spread(float n, float s, float q) {
  const float avg = s / n;
  const float radicand = q / n - avg * avg;
  return radicand < 0.0f ? 0.0f : std::sqrt(radicand);
}

void write_labelling_messages(channel_points& points, float r) {
  report_writer& out = report();
  std::vector<int32_t>& lab = points.label;
  for (int32_t p : points.index) lab[static_cast<std::size_t>(p)] = -1;
  auto channel = [&](std::size_t q) { return points.dist[q] > r; };

  // Provisional labels, one scan: the last labelled channel neighbour gives
  // its label, else a new one; every unlabelled channel neighbour takes it.
  int32_t created = 0;
  std::size_t nb_index[27];
  for (std::size_t id = 0; id < points.count(); ++id) {
    int32_t g[3];
    unpack_ijk(points.ijk[id], g);
    const neighbour_axes nb(g, points.n);
    int nnb = 0;
    for (int a = 0; a < nb.count[0]; ++a)
      for (int b = 0; b < nb.count[1]; ++b)
        for (int c = 0; c < nb.count[2]; ++c)
          nb_index[nnb++] = points.scan_index(nb.at[0][a], nb.at[1][b], nb.at[2][c]);
    int32_t l = -1;
    for (int t = 0; t < nnb; ++t)
      if (channel(nb_index[t]) && lab[nb_index[t]] != -1) l = lab[nb_index[t]];
    if (l == -1) {
      l = ++created;
      out.free("New cluster...", l, "near ", g[0], g[1], g[2]);
    }
    for (int t = 0; t < nnb; ++t)
      if (channel(nb_index[t]) && lab[nb_index[t]] == -1) lab[nb_index[t]] = l;
  }

  // Merge passes. A merge of M into L renames every point of M's class, so a
  // union-find over the provisional labels that keeps the surviving name
  // gives each point's current label. After one pass every pair of
  // neighbours carries one label; a second pass finds nothing to merge.
  union_find merged;
  merged.reset(static_cast<std::size_t>(created) + 1);
  std::vector<int32_t> name(merged.parent.size());
  std::iota(name.begin(), name.end(), 0);
  auto root = [&](int32_t x) { return merged.root(x); };
  out.free("Checking for multiply labeled clusters...");
  bool changed = false;
  for (std::size_t id = 0; id < points.count(); ++id) {
    int32_t g[3];
    unpack_ijk(points.ijk[id], g);
    const int32_t rl = root(lab[static_cast<std::size_t>(points.index[id])]);
    const int32_t l = name[static_cast<std::size_t>(rl)];
    const neighbour_axes nb(g, points.n);
    for (int a = 0; a < nb.count[0]; ++a) {
      for (int b = 0; b < nb.count[1]; ++b) {
        for (int c = 0; c < nb.count[2]; ++c) {
          const int32_t q = lab[points.scan_index(nb.at[0][a], nb.at[1][b], nb.at[2][c])];
          if (q == -1) continue;
          const int32_t rm = root(q);
          const int32_t m = name[static_cast<std::size_t>(rm)];
          if (m == l) continue;
          out.free("Clusters ", l, " and ", m, " are identical.");
          merged.parent[static_cast<std::size_t>(rm)] = root(rl);
          changed = true;
        }
      }
    }
  }
  if (changed) out.free("Checking for multiply labeled clusters...");

  for (std::size_t id = 0; id < points.count(); ++id)
    lab[static_cast<std::size_t>(points.index[id])] = static_cast<int32_t>(id);
}

void find_clusters(const run_flags& flags, const run_params& params, float cutoff,
                   channel_points& points, cluster_table& chinfo, int32_t& nclust) {
  report_writer& out = report();
  nclust = 0;
  if (flags.vb > 0) out.line("(A35,f8.2)", "Finding clusters...with cutoff of ", cutoff);
  points.select(cutoff);
  if (flags.vb > 1) write_labelling_messages(points, cutoff);

  std::vector<int32_t>& comp = points.point_label;  // group of each point, then its label
  const std::vector<component_stats> groups = points.connect(comp);
  if (flags.vb > 2) out.free("Renumbering clusters and counting cluster sizes");

  // Size test in the order the scan meets the groups; survivors are numbered
  // in that order, then the exchange sort orders them by size.
  const float total = static_cast<float>(points.count());
  std::vector<int32_t> kept_group, sizes;
  int32_t rejected = 0;
  for (std::size_t c = 0; c < groups.size(); ++c) {
    if (groups[c].n / total > params.clustcountcut) {
      kept_group.push_back(static_cast<int32_t>(c));
      sizes.push_back(static_cast<int32_t>(groups[c].n));
    } else {
      ++rejected;
    }
  }
  nclust = static_cast<int32_t>(kept_group.size());
  if (flags.vb > 1) {
    out.free("There were ", nclust, " clusters kept of ", static_cast<int32_t>(groups.size()));
    out.free("There were ", rejected, " clusters rejected because they were too small.");
  }

  const std::vector<int32_t> order = exchange_order(sizes);
  chinfo.assign(static_cast<std::size_t>(nclust) + 1, cluster_record{});
  std::vector<int32_t> number(groups.size(), -1);
  for (int32_t t = 0; t < nclust; ++t) {
    const int32_t c = kept_group[static_cast<std::size_t>(order[static_cast<std::size_t>(t)])];
    const component_stats& st = groups[static_cast<std::size_t>(c)];
    cluster_record& rec = chinfo[static_cast<std::size_t>(t) + 1];
    rec.npts = static_cast<int32_t>(st.n);
    rec.avgdist = st.s / st.n;
    rec.sddist = distance_spread(st.n, st.s, st.q);
    rec.maxdist = st.m;
    number[static_cast<std::size_t>(c)] = t + 1;
  }
  points.apply_labels(comp, number);
  if (flags.vb > 0) out.free("   There are ", nclust, " total clusters.");
}

}  // namespace porvane
