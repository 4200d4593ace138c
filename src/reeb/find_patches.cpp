#include "reeb/find_patches.hpp"

#include <vector>

#include "common/report_writer.hpp"
#include "common/union_find.hpp"
#include "reeb/slice_geometry.hpp"

namespace porvane {

namespace {

// Products orthmat[r][c] · f_c(t) of the fractional coordinate of index t on
// axis c, so that a point's position is summed exactly as matrix_times sums
// the row: (m0·f0 + m1·f1) + m2·f2.
struct axis_products {
  std::vector<float> v[3];  // v[c][3·t + r]

  axis_products(const cell_frame& frame, float gridsize, const int32_t n[3]) {
    for (int c = 0; c < 3; ++c) {
      v[c].resize(3 * (static_cast<std::size_t>(n[c]) + 1));
      for (int32_t t = 0; t <= n[c]; ++t) {
        const float f = (static_cast<float>(t) * gridsize) / frame.cell[c] - frame.fracshift[c];
        for (int r = 0; r < 3; ++r) v[c][3 * t + r] = frame.orthmat[r][c] * f;
      }
    }
  }
  void position(const int32_t ijk[3], float xyz[3]) const {
    for (int r = 0; r < 3; ++r)
      xyz[r] = (v[0][3 * ijk[0] + r] + v[1][3 * ijk[1] + r]) + v[2][3 * ijk[2] + r];
  }
};

// The member points of slice s joined into patches, by local index
// p·(nq+1) + q; −1 for the points that are not members. Scan order: each
// member is joined to its members among the four window points already
// visited, (p-1, q-1..q+1) and (p, q-1).
union_find join_members(const grid_store& gridi, int32_t clusternum, const slice_layout& s) {
  const int32_t width = s.nq + 1;
  union_find uf;
  uf.parent.assign(static_cast<std::size_t>(s.np + 1) * static_cast<std::size_t>(width), -1);
  for (int32_t p = 0; p <= s.np; ++p) {
    for (int32_t q = 0; q <= s.nq; ++q) {
      if (!patch_member(gridi.clust[s.at(p, q)], clusternum)) continue;
      const int32_t a = p * width + q;
      uf.parent[a] = a;
      if (q > 0 && uf.parent[a - 1] >= 0) uf.join_lower(uf.root(a), a - 1);
      if (p > 0) {
        for (int32_t b = a - width - 1; b <= a - width + 1; ++b) {
          const int32_t qb = q + (b - (a - width));
          if (qb >= 0 && qb <= s.nq && uf.parent[b] >= 0) uf.join_lower(uf.root(a), b);
        }
      }
    }
  }
  return uf;
}

// The patches of a slice numbered from `first` + 1 in the scan order of
// their first points: each point's number into gridi.patch (−1 outside
// every patch), and each patch's position sum (x, y, z, summed in scan
// order) and point count.
struct patch_sums {
  std::vector<float> sums;
  std::vector<int32_t> counts;
};

patch_sums number_patches(union_find& uf, int32_t first, const slice_layout& s,
                          const axis_products& products, grid_store& gridi) {
  const int32_t width = s.nq + 1;
  std::vector<int32_t> number(uf.parent.size(), 0);
  patch_sums out;
  int32_t newcount = first;
  for (int32_t p = 0; p <= s.np; ++p) {
    for (int32_t q = 0; q <= s.nq; ++q) {
      const int32_t a = p * width + q;
      const std::size_t g = s.at(p, q);
      if (uf.parent[a] < 0) {
        gridi.patch[g] = -1;
        continue;
      }
      int32_t& label = number[uf.root(a)];
      if (label == 0) {
        label = ++newcount;
        out.sums.insert(out.sums.end(), {0.0f, 0.0f, 0.0f});
        out.counts.push_back(0);
      }
      gridi.patch[g] = label;
      int32_t ijk[3] = {0, 0, 0};
      float xyz[3];
      s.point(p, q, ijk);
      products.position(ijk, xyz);
      float* sum = &out.sums[3 * static_cast<std::size_t>(label - first - 1)];
      for (int c = 0; c < 3; ++c) sum[c] = sum[c] + xyz[c];
      ++out.counts[static_cast<std::size_t>(label - first - 1)];
    }
  }
  return out;
}

}  // namespace

void find_patches(const run_params& params, const cell_frame& celli, const run_flags& flags,
                  grid_store& gridi, int32_t clusternum, const int32_t slicepos[2],
                  reeb_direction& graph) {
  const int32_t d = slicepos[0], lev = slicepos[1];
  const bool verbose = flags.vb > 1;
  if (verbose)
    report().free("Finding patches (nodes) for cluster ", clusternum, " at level ", lev,
                  " along axis number ", d);

  const slice_layout s = slice_layout::of(gridi, d, lev);
  union_find uf = join_members(gridi, clusternum, s);
  if (verbose) report().free("Checking for multiply labeled patches...");

  const int32_t first = graph.nnodes();
  const axis_products products(celli, params.gridsize, gridi.n);
  const patch_sums patches = number_patches(uf, first, s, products, gridi);
  if (verbose) report().free("Averaging patch coordinates...");

  for (std::size_t m = 0; m < patches.counts.size(); ++m) {
    reeb_node node;
    node.id = first + 1 + static_cast<int32_t>(m);
    for (int c = 0; c < 3; ++c) node.xyz[c] = patches.sums[3 * m + c] / static_cast<float>(patches.counts[m]);
    node.level = static_cast<float>(lev);
    node.npoints = patches.counts[m];
    graph.nodes.push_back(node);
    if (verbose)
      report().free("Patch:", node.id, "Average patch coordinates: ", node.xyz[0], node.xyz[1],
                    node.xyz[2], "Base,level ", node.id, node.level);
  }
  if (verbose)
    report().free("Thus far,", graph.nnodes(), " patches (nodes) have been found. Current level :",
                  lev);
}

void find_straddling_patches(const cell_frame& celli, const grid_store& gridi,
                             const reeb_direction& graph, const int32_t slicepos[2],
                             std::vector<reeb_node>& images, int32_t& count) {
  const slice_layout s = slice_layout::of(gridi, slicepos[0], slicepos[1]);
  const int32_t d = slicepos[0];
  const int axis_p = d == 1 ? 1 : 0, axis_q = d == 3 ? 1 : 2;  // cell axes of p and q
  images.clear();
  // The point (p, q) on a face line and the side it looks across: the
  // neighbour one step beyond the face along in-plane axis `along` (0: p).
  auto look_across = [&](int32_t p, int32_t q, int along, int side) {
    if (gridi.patch[s.at(p, q)] == -1) return;
    const int32_t n = along == 0 ? s.np : s.nq;
    const int32_t beyond = wrap_index(side < 0 ? -1 : n + 1, n);
    if (beyond < 0 || beyond > n) return;  // an axis of no intervals has no point across
    const int32_t label = along == 0 ? gridi.patch[s.at(beyond, q)] : gridi.patch[s.at(p, beyond)];
    if (label < 1 || label > graph.nnodes()) return;
    float base[3] = {0.0f, 0.0f, 0.0f};
    base[along == 0 ? axis_p : axis_q] = static_cast<float>(side);
    for (const reeb_node& image : images)
      if (image.id == label && image.base[0] == base[0] && image.base[1] == base[1] && image.base[2] == base[2])
        return;
    const reeb_node& node = graph.node(label);
    reeb_node image;
    image.id = label;
    float f[3];
    to_fcoords(celli, node.xyz, f);
    for (int c = 0; c < 3; ++c) image.base[c] = base[c], f[c] = f[c] + base[c];
    frac_to_real(celli, f, image.xyz);
    image.level = static_cast<float>(slicepos[1]);
    image.npoints = node.npoints;
    images.push_back(image);
  };
  for (int32_t q = 0; q <= s.nq; ++q) look_across(0, q, 0, -1);
  for (int32_t q = 0; q <= s.nq; ++q) look_across(s.np, q, 0, 1);
  for (int32_t p = 0; p <= s.np; ++p) look_across(p, 0, 1, -1);
  for (int32_t p = 0; p <= s.np; ++p) look_across(p, s.nq, 1, 1);
  count = static_cast<int32_t>(images.size());
}

}  // namespace porvane
