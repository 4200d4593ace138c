// The patch and edge finders on drawn slices with their expected patches and
// edges, past the old limits, and across the faces of a slice.
#include <gtest/gtest.h>

#include "reeb/find_edges.hpp"
#include "reeb/find_patches.hpp"
#include "reeb_test_support.hpp"
#include "support/table_file.hpp"

namespace porvane {
namespace {

// Patches of every slice of direction d, then the edges of every slice pair;
// returns the verbose text.
template <class Patches, class Edges>
std::string build_direction(Patches patches, Edges edges, run_params params, const run_flags& flags,
                            const cell_frame& frame, grid_store& g, int32_t d, reeb_graph& rg) {
  return testing::captured_report([&] {
    params.reebdir = d;
    for (int32_t lev = 0; lev <= g.n[d - 1]; ++lev) {
      const int32_t sp[2] = {d, lev};
      patches(params, frame, flags, g, params.clusternum, sp, rg);
    }
    for (int32_t lev = 0; lev < g.n[d - 1]; ++lev) {
      const int32_t sp[2] = {d, lev};
      edges(params, flags, g, sp, rg);
    }
  });
}

// The finders on the record of the slice's direction.
void fast_patches(const run_params& params, const cell_frame& frame, const run_flags& flags, grid_store& g,
                  int32_t clusternum, const int32_t sp[2], reeb_graph& rg) {
  find_patches(params, frame, flags, g, clusternum, sp, rg.along(sp[0]));
}
void fast_edges(const run_params&, const run_flags& flags, const grid_store& g, const int32_t sp[2], reeb_graph& rg) {
  find_edges(flags, g, sp, rg.along(sp[0]));
}

// Direction d of g built by the finders.
reeb_direction build(const run_params& params, const run_flags& flags, const cell_frame& frame, grid_store g,
                     int32_t d) {
  reeb_graph rg;
  build_direction(fast_patches, fast_edges, params, flags, frame, g, d, rg);
  return rg.along(d);
}

// The drawn slices of tests/data/reeb/drawn_slices.txt: the patches of
// slice 1 and the edges, quiet below verbosity 2.
TEST(ReebFinders, DrawnSlices) {
  const cell_frame frame = test::make_frame(20, 20, 20, 90, 90, 90);
  for (const auto& row : testing::read_table("reeb/drawn_slices.txt")) {
    const std::vector<std::string> lower = testing::words(row[1]), upper = testing::words(row[2]);
    const int32_t np = static_cast<int32_t>(upper.size()) - 1, nq = static_cast<int32_t>(upper[0].size()) - 1;
    grid_store g = test::empty_grid(np, nq, 1);
    for (int32_t k = 0; k <= 1; ++k)
      for (int32_t p = 0; p < static_cast<int32_t>((k == 0 ? lower : upper).size()); ++p)
        for (int32_t q = 0; q <= nq; ++q)
          if (const char c = (k == 0 ? lower : upper)[p][q]; c != '.') g.clust[g.index(p, q, k)] = c - '0';
    run_params params;
    params.clusternum = std::stoi(row[4]);
    run_flags flags;
    flags.vb = 1;
    grid_store fast = g;
    reeb_graph rg;
    EXPECT_EQ(build_direction(fast_patches, fast_edges, params, flags, frame, fast, 3, rg), "") << row[0];
    int32_t first = 0;  // nodes of slice 0
    for (const reeb_node& n : rg.along(3).nodes) first += n.level == 0.0f;
    std::string patches, edges;
    for (int32_t p = 0; p <= np; ++p) {
      patches += p > 0 ? " " : "";
      for (int32_t q = 0; q <= nq; ++q) {
        const int32_t l = fast.patch[fast.index(p, q, 1)];
        patches += l == -1 ? '.' : static_cast<char>('a' + l - first - 1);
      }
    }
    for (const reeb_edge& e : rg.along(3).edges)
      edges.append(edges.empty() ? "" : ";").append(std::to_string(e.node1) + " " + std::to_string(e.node2) + " " +
                                                    std::to_string(e.size));
    EXPECT_EQ(patches, row[3]) << row[0];
    EXPECT_EQ(edges, row[5]) << row[0];
  }
}

// Far more patches in a slice than provisional labels once allowed, more
// nodes and edges in a direction than the old stores held, more neighbours
// at a node.
TEST(ReebFinders, NoFixedLimits) {
  const cell_frame frame = test::make_frame(30, 30, 30, 90, 90, 90);
  grid_store g = test::empty_grid(100, 100, 2);
  for (int32_t k = 0; k <= 2; ++k)  // isolated points: 51 × 51 = 2601 patches per slice
    for (int32_t j = 0; j <= 100; j += 2)
      for (int32_t i = 0; i <= 100; i += 2) g.clust[g.index(i, j, k)] = 1;
  const reeb_direction isolated = build(run_params{}, run_flags{}, frame, g, 3);
  EXPECT_EQ(isolated.nnodes(), 3 * 2601);
  EXPECT_EQ(isolated.nedges(), 2 * 2601);

  grid_store comb = test::empty_grid(60, 60, 1);  // a comb: 31 teeth joined by the row j = 60
  for (int32_t i = 0; i <= 60; ++i)
    for (int32_t j = 0; j <= 60; ++j)
      if (j == 60 || i % 2 == 0) comb.clust[comb.index(i, j, 0)] = 1;
  for (int32_t i = 0; i <= 60; i += 4) comb.clust[comb.index(i, 0, 1)] = 1;  // 16 patches above it
  const reeb_direction teeth = build(run_params{}, run_flags{}, frame, comb, 3);
  ASSERT_EQ(teeth.nnodes(), 17);
  EXPECT_EQ(teeth.node(1).nconn, 16);
  EXPECT_EQ(teeth.node(1).npoints, 31 * 61 + 30);
}

// The grid conventions of a slice: the index wrap of a triple and the triple
// of (axis, slice) and two in-plane indices.
TEST(SliceConventions, OverlapAndAssignAxes) {
  const int32_t n[3] = {20, 10, 5}, t[3] = {-1, 11, 5};
  int32_t out[3];
  overlap(t, out, n);
  EXPECT_EQ(std::vector<int32_t>(out, out + 3), (std::vector<int32_t>{19, 1, 5}));
  const std::vector<std::vector<int32_t>> want = {{7, 3, 4}, {3, 7, 4}, {3, 4, 7}, {9, 9, 9}};
  for (int32_t d = 1; d <= 4; ++d) {
    const int32_t slicepos[2] = {d, 7};
    int32_t ijk[3] = {9, 9, 9};
    assign_axes(slicepos, ijk, 3, 4);
    EXPECT_EQ(std::vector<int32_t>(ijk, ijk + 3), want[static_cast<std::size_t>(d - 1)]) << d;
  }
}

// A patch that runs across the face p = 0 of a slice (it holds points at
// p = 0 and p = n_p) and another across q = n_q: one image each per face
// it crosses, once per node and face, moved by one cell away from the face.
TEST(ReebFinders, StraddlingPatchesGiveImagesAcrossTheFaces) {
  grid_store g = test::empty_grid(4, 6, 6);
  const std::vector<int32_t> labels =
      test::labels_at(g, {{2, 0, 1}, {2, 1, 1}, {2, 5, 1}, {2, 6, 1}, {2, 3, 6}, {2, 3, 0}, {2, 3, 5}});
  g.clust = labels;
  const cell_frame frame = test::make_frame(10, 14, 14, 90, 90, 90);
  run_params params;
  params.gridsize = 2.0f;
  params.reebdir = 1;
  reeb_graph rg;
  const int32_t slicepos[2] = {1, 2};
  testing::captured_report([&] { find_patches(params, frame, run_flags{}, g, 1, slicepos, rg.along(1)); });
  const reeb_direction& graph = rg.along(1);
  // In scan order of (p, q) = (j, k): 1 (0..1, 1), 2 (3, 0), 3 (3, 5..6), 4 (5..6, 1).
  ASSERT_EQ(graph.nnodes(), 4);
  std::vector<reeb_node> images;
  int32_t count = -1;
  find_straddling_patches(frame, g, rg.along(1), slicepos, images, count);
  // p = 0 line: node 1 sees node 4 across (p = -1 -> 5): image of 4 at -b.
  // p = n line: node 4 sees node 1 across (p = 7 -> 1): image of 1 at +b.
  // q = 0 line: node 2 sees node 3 across (q = -1 -> 5): image of 3 at -c.
  // q = n line: node 3 looks across to (3, 1), which is empty: none.
  ASSERT_EQ(count, 3);
  const int32_t ids[3] = {4, 1, 3};
  const float bases[3][3] = {{0, -1, 0}, {0, 1, 0}, {0, 0, -1}};
  for (int m = 0; m < 3; ++m) {
    const reeb_node& image = images[static_cast<std::size_t>(m)];
    const reeb_node& node = graph.node(ids[m]);
    EXPECT_EQ(image.id, ids[m]);
    EXPECT_EQ(std::vector<float>(image.base, image.base + 3), std::vector<float>(bases[m], bases[m] + 3));
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(image.xyz[c], node.xyz[c] + 14.0f * bases[m][c], 1e-4) << m;
    EXPECT_EQ(image.level, 2.0f);
    EXPECT_EQ(image.npoints, node.npoints);
    EXPECT_EQ(image.nconn, 0);
  }
  EXPECT_EQ(graph.nnodes(), 4);
}

}  // namespace
}  // namespace porvane
