// The patch and edge finders against their literal transcriptions on random
// grids (labels, node fields bit for bit, edges, verbose text), drawn slices
// with their expected patches, and stores past the old fixed limits.
#include <gtest/gtest.h>

#include <bit>
#include <functional>

#include "reeb/find_edges.hpp"
#include "reeb/find_patches.hpp"
#include "reeb_literal.hpp"
#include "reeb_test_support.hpp"

namespace porvane {
namespace {

using patch_finder = std::function<void(const run_params&, const cell_frame&, const run_flags&, grid_store&, int32_t,
                                        const int32_t*, reeb_graph&)>;
using edge_finder = std::function<void(const run_params&, const run_flags&, const grid_store&, const int32_t*,
                                       reeb_graph&)>;

// Patches of every slice of direction d, then the edges of every slice pair;
// returns the verbose text.
std::string build_direction(const patch_finder& patches, const edge_finder& edges, run_params& params,
                            const run_flags& flags, const cell_frame& frame, grid_store& g, int32_t d,
                            reeb_graph& rg) {
  return testing::captured_report([&] {
    params.reebdir = d;
    rg.along(d) = reeb_direction{};
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

auto node_fields(const reeb_node& n) {
  std::vector<uint32_t> v = {std::bit_cast<uint32_t>(n.level)};
  for (int c = 0; c < 3; ++c) v.push_back(std::bit_cast<uint32_t>(n.xyz[c])), v.push_back(std::bit_cast<uint32_t>(n.base[c]));
  return std::tuple(n.id, n.npoints, n.nconn, n.neighbours, v);
}

// Builds direction d both ways on copies of g; returns the fast graph.
reeb_direction expect_equal_builds(run_params params, const run_flags& flags, const cell_frame& frame,
                                   const grid_store& g, int32_t d, const std::string& what) {
  grid_store gf = g, gl = g;
  reeb_graph fast, literal;
  const std::string tf = build_direction(find_patches, find_edges, params, flags, frame, gf, d, fast);
  const std::string tl =
      build_direction(test::literal_find_patches, test::literal_find_edges, params, flags, frame, gl, d, literal);
  const reeb_direction &a = fast.along(d), &b = literal.along(d);
  EXPECT_EQ(tf, tl) << what;
  EXPECT_TRUE(gf.patch == gl.patch) << what;
  EXPECT_EQ(a.nnodes(), b.nnodes()) << what;
  for (int32_t k = 1; k <= std::min(a.nnodes(), b.nnodes()); ++k)
    if (node_fields(a.node(k)) != node_fields(b.node(k))) {
      ADD_FAILURE() << what << ": node " << k;
      break;
    }
  EXPECT_EQ(a.nedges(), b.nedges()) << what;
  for (int32_t e = 1; e <= std::min(a.nedges(), b.nedges()); ++e) {
    const reeb_edge &x = a.edge(e), &y = b.edge(e);
    if (std::tie(x.size, x.node1, x.node2) != std::tie(y.size, y.node1, y.node2)) {
      ADD_FAILURE() << what << ": edge " << e;
      break;
    }
  }
  return fast.along(d);
}

TEST(ReebFinders, FastEqualsLiteralOnRandomGrids) {
  const float shift[3] = {0.13f, -0.4f, 1.21f};
  const cell_frame frames[] = {test::make_frame(23.0, 17.5, 31.0, 90, 90, 90),
                               test::make_frame(26.0, 29.0, 23.0, 74.0, 96.0, 111.0, shift),
                               test::make_frame(19.0, 19.0, 27.0, 90, 90, 120, shift)};
  std::mt19937 rng(20240611);
  int32_t nodes = 0, edges = 0;
  for (int round = 0; round < 300; ++round) {
    std::uniform_int_distribution<int32_t> n(0, 20);
    grid_store g = test::empty_grid(n(rng), n(rng), n(rng));
    const int nlabels = 1 + round % 3;
    test::random_channels(g, rng, 3 * (round % 7), 100, nlabels, 0.07 * (round % 9));
    run_params params;
    params.gridsize = 1.0f + 0.25f * static_cast<float>(round % 5);
    params.clusternum = round % 4 == 3 ? 5 : round % 3;  // 5: no such cluster
    run_flags flags;
    flags.vb = round % 2 == 0 ? 2 : round % 4;
    const int32_t d = 1 + round % 3;
    const reeb_direction graph =
        expect_equal_builds(params, flags, frames[round % 3], g, d, "round " + std::to_string(round));
    nodes += graph.nnodes(), edges += graph.nedges();
  }
  EXPECT_GT(nodes, 10000);  // the rounds do build sizeable graphs
  EXPECT_GT(edges, 5000);
}

// One slice drawn as rows of p, characters q: '.' no channel, a digit the
// cluster label. Expected: '.' no patch, letters a, b, ... node numbers
// prior+1, prior+2, ...
struct drawn_slice {
  const char* what;
  std::vector<std::string> rows;
  int32_t clusternum;
  int32_t prior;  // nodes of earlier slices
  std::vector<std::string> expected;
};

TEST(ReebFinders, DrawnSlices) {
  const std::vector<drawn_slice> cases = {
      {"diagonal neighbours are one patch", {"1..", ".1.", "..1"}, 1, 0, {"a..", ".a.", "..a"}},
      {"no wrap across the faces", {"1...1", ".....", "1...1"}, 1, 0, {"a...b", ".....", "c...d"}},
      {"U merged, numbers consecutive", {"1.1.1", "1.1.1", "11111", "....1"}, 1, 3, {"a.a.a", "a.a.a", "aaaaa", "....a"}},
      {"two U's and a dot", {"1.1...1", "111...1", "....1.1", "1...111"}, 1, 0, {"a.a...b", "aaa...b", "....b.b", "c...bbb"}},
      {"numbered by first point", {"..1", ".1.", "1.1", "..."}, 1, 7, {"..a", ".a.", "a.a", "..."}},
      {"cluster 0 takes every cluster", {"12.3", "....", "3..."}, 0, 0, {"aa.b", "....", "c..."}},
      {"cluster 2 only", {"12.2", "2...", "2..1"}, 2, 0, {".a.b", "a...", "a..."}},
      {"cluster above the last one", {"12", "21"}, 9, 0, {"..", ".."}},
      {"cluster -1 takes no point", {"1.", ".."}, -1, 0, {"..", ".."}},
  };
  const cell_frame frame = test::make_frame(20, 20, 20, 90, 90, 90);
  for (const drawn_slice& c : cases) {
    const int32_t np = static_cast<int32_t>(c.rows.size()) - 1, nq = static_cast<int32_t>(c.rows[0].size()) - 1;
    grid_store g = test::empty_grid(np, nq, 1);  // slice k = 1 of direction 3; k = 0 left as stale labels
    for (int32_t p = 0; p <= np; ++p)
      for (int32_t q = 0; q <= nq; ++q)
        if (c.rows[p][q] != '.') g.clust[g.index(p, q, 1)] = c.rows[p][q] - '0';
    reeb_graph rg;
    rg.along(3).nodes.resize(static_cast<std::size_t>(c.prior));
    run_params params;
    params.reebdir = 3;
    run_flags flags;
    flags.vb = 1;
    const int32_t sp[2] = {3, 1};
    const std::string out = testing::captured_report([&] { find_patches(params, frame, flags, g, c.clusternum, sp, rg); });
    EXPECT_EQ(out, "") << c.what;
    std::vector<std::string> got(c.rows.size(), std::string(c.rows[0].size(), '.'));
    for (int32_t p = 0; p <= np; ++p)
      for (int32_t q = 0; q <= nq; ++q) {
        const int32_t l = g.patch[g.index(p, q, 1)];
        if (l != -1) got[p][q] = static_cast<char>('a' + l - c.prior - 1);
        EXPECT_EQ(g.patch[g.index(p, q, 0)], 77) << c.what << ": another slice was touched";
      }
    EXPECT_EQ(got, c.expected) << c.what;
  }
}

// Two slices of direction 3, lower and upper drawn as in DrawnSlices (every
// point cluster 1); expected edges (node1, node2, size) in order.
TEST(ReebFinders, DrawnEdges) {
  struct edge_case {
    const char* what;
    std::vector<std::string> lower, upper;
    std::vector<std::array<int32_t, 3>> edges;
  };
  const std::vector<edge_case> cases = {
      {"one column: size 1", {"1..", "..."}, {"1..", "..."}, {{1, 2, 1}}},
      {"a column with one point adds nothing", {"1.1", "..."}, {".1.", "..."}, {}},
      {"size counts the shared columns", {"111", "111"}, {"11.", "111"}, {{1, 2, 5}}},
      {"two below one above: the graph merges", {"1.1", "..."}, {"111", "..."}, {{1, 3, 1}, {2, 3, 1}}},
      {"one below two above: the graph splits", {"111", "..."}, {"1.1", "..."}, {{1, 2, 1}, {1, 3, 1}}},
      {"edges by first joining column", {"1.1", "1.1", "1.1"}, {"..1", "1..", "11."}, {{2, 3, 1}, {1, 4, 2}}},
      {"nothing above", {"11", ".."}, {"..", ".."}, {}},
  };
  const cell_frame frame = test::make_frame(20, 20, 20, 90, 90, 90);
  for (const edge_case& c : cases) {
    const int32_t np = static_cast<int32_t>(c.lower.size()) - 1, nq = static_cast<int32_t>(c.lower[0].size()) - 1;
    grid_store g = test::empty_grid(np, nq, 1);
    for (int32_t k = 0; k <= 1; ++k)
      for (int32_t p = 0; p <= np; ++p)
        for (int32_t q = 0; q <= nq; ++q)
          if ((k == 0 ? c.lower : c.upper)[p][q] != '.') g.clust[g.index(p, q, k)] = 1;
    run_params params;
    run_flags flags;
    const reeb_direction graph = expect_equal_builds(params, flags, frame, g, 3, c.what);
    std::vector<std::array<int32_t, 3>> got;
    for (const reeb_edge& e : graph.edges) got.push_back({e.node1, e.node2, e.size});
    EXPECT_EQ(got, c.edges) << c.what;
  }
}

// Far more patches in a slice than provisional labels once allowed, more
// nodes and edges in a direction than the old stores held, and more
// neighbours at a node: the same graph as the literal procedure.
TEST(ReebFinders, NoFixedLimits) {
  const cell_frame frame = test::make_frame(30, 30, 30, 90, 90, 90);
  run_params params;
  run_flags flags;
  grid_store g = test::empty_grid(100, 100, 2);
  for (int32_t k = 0; k <= 2; ++k)  // isolated points: 51 × 51 = 2601 patches per slice
    for (int32_t j = 0; j <= 100; j += 2)
      for (int32_t i = 0; i <= 100; i += 2) g.clust[g.index(i, j, k)] = 1;
  const reeb_direction isolated = expect_equal_builds(params, flags, frame, g, 3, "isolated points");
  EXPECT_EQ(isolated.nnodes(), 3 * 2601);
  EXPECT_EQ(isolated.nedges(), 2 * 2601);

  grid_store comb = test::empty_grid(60, 60, 1);  // a comb: 30 teeth merged by the base row
  for (int32_t i = 0; i <= 60; ++i)
    for (int32_t j = 0; j <= 60; ++j)
      if (j == 60 || i % 2 == 0) comb.clust[comb.index(i, j, 0)] = 1;
  for (int32_t i = 0; i <= 60; i += 4) comb.clust[comb.index(i, 0, 1)] = 1;  // 16 patches above it
  const reeb_direction teeth = expect_equal_builds(params, flags, frame, comb, 3, "comb");
  ASSERT_EQ(teeth.nnodes(), 17);
  EXPECT_EQ(teeth.node(1).nconn, 16);
  EXPECT_EQ(teeth.node(1).neighbours.size(), 16u);
  EXPECT_EQ(teeth.node(1).npoints, 31 * 61 + 30);
}

TEST(ReebFinders, MoveNodeByWholeCells) {
  const float shift[3] = {0.25f, 0.0f, -0.5f};
  const cell_frame frame = test::make_frame(26.0, 29.0, 23.0, 74.0, 96.0, 111.0, shift);
  reeb_graph rg;
  reeb_node n;
  n.xyz[0] = 3.5f, n.xyz[1] = -7.25f, n.xyz[2] = 11.0f;
  rg.along(2).nodes = {n, n, n};
  run_params params;
  params.reebdir = 2;
  const int32_t zero[3] = {0, 0, 0}, one_a[3] = {1, 0, 0}, mixed[3] = {-1, 2, 1};
  move_node(params, frame, rg, 1, zero);
  move_node(params, frame, rg, 2, one_a);
  move_node(params, frame, rg, 3, mixed);
  const reeb_direction& graph = rg.along(2);
  for (int c = 0; c < 3; ++c) {
    EXPECT_NEAR(graph.node(1).xyz[c], n.xyz[c], 1e-5) << c;
    EXPECT_NEAR(graph.node(2).xyz[c], n.xyz[c] + frame.orthmat[c][0], 1e-4) << c;
    EXPECT_NEAR(graph.node(3).xyz[c], n.xyz[c] - frame.orthmat[c][0] + 2 * frame.orthmat[c][1] + frame.orthmat[c][2], 1e-4)
        << c;
  }
  EXPECT_EQ(graph.node(2).level, n.level);
}

}  // namespace
}  // namespace porvane
