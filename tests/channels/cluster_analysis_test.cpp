// The fast cluster labelling and analysis against the literal procedures:
// constructed clusters with what the classification must make of them,
// random grids at every verbosity, and maps of real structures.
#include <gtest/gtest.h>

#include <array>
#include <numeric>

#include "channel_test_support.hpp"
#include "channels/exchange_order.hpp"

namespace porvane {
namespace {

using test::outcome;

// The exchange sort as written: a against every later b, exchanged when
// strictly smaller at that moment.
std::vector<int32_t> literal_exchange(std::vector<int32_t> sizes) {
  std::vector<int32_t> order(sizes.size());
  std::iota(order.begin(), order.end(), 0);
  for (std::size_t a = 0; a + 1 < sizes.size(); ++a)
    for (std::size_t b = a + 1; b < sizes.size(); ++b)
      if (sizes[a] < sizes[b]) std::swap(sizes[a], sizes[b]), std::swap(order[a], order[b]);
  return order;
}

TEST(ExchangeOrder, EqualsTheExchangeSort) {
  EXPECT_EQ(exchange_order({5, 5, 7}), (std::vector<int32_t>{2, 1, 0}));  // the second-found 5 second
  std::mt19937 rng(7);
  for (int trial = 0; trial < 400; ++trial) {
    const int n = trial % 60;
    const int range = 1 + trial % 9;
    std::vector<int32_t> sizes(static_cast<std::size_t>(n));
    for (int32_t& s : sizes) s = 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(range));
    if (trial % 5 == 0) std::sort(sizes.begin(), sizes.end());  // every pass a long chain
    ASSERT_EQ(exchange_order(sizes), literal_exchange(sizes)) << trial;
  }
}

// Distances that make q/n fall just below avg² by rounding give a spread of
// 0, not the square root of a negative number.
TEST(DistanceSpread, NegativeRadicandGivesZero) {
  int negative = 0;
  for (float d = 1.0f; d < 3.0f && negative < 5; d = std::nextafter(d, 4.0f) + 0.0173f) {
    for (int count = 2; count < 40; ++count) {
      float n = 0, s = 0, q = 0;
      for (int t = 0; t < count; ++t) n = n + 1.0f, s = s + d, q = q + d * d;
      const float avg = s / n;
      if (!(q / n - avg * avg < 0.0f)) continue;
      ++negative;
      EXPECT_EQ(distance_spread(n, s, q), 0.0f) << d << " x " << count;
    }
  }
  EXPECT_GT(negative, 0);
  EXPECT_EQ(distance_spread(2.0f, 3.0f, 5.0f), 0.5f);  // 1 and 2: sqrt(2.5 - 2.25)
}

struct expected_cluster {
  int32_t npts;
  const char* clustype;
  const char* facepattern;
  const char* spanpattern;
  float maxdist = 2.0f;
};

struct constructed_case {
  std::string what;
  std::array<int32_t, 3> n;
  std::vector<std::array<int32_t, 4>> points;  // i, j, k, dist ×10 (background 0)
  float clustcountcut;
  std::vector<expected_cluster> clusters;
  std::string message = "";                     // a line the analysis must print (verbosity 0)
  std::vector<int> tensor_cells = {};           // btensor cells (row·3 + column, 0-based) set to the cutoff
};

// Points of a box lo..hi with dist v (×10).
void add_box(std::vector<std::array<int32_t, 4>>& pts, std::array<int32_t, 3> lo, std::array<int32_t, 3> hi,
             int32_t v = 20) {
  for (int32_t i = lo[0]; i <= hi[0]; ++i)
    for (int32_t j = lo[1]; j <= hi[1]; ++j)
      for (int32_t k = lo[2]; k <= hi[2]; ++k) pts.push_back({i, j, k, v});
}

std::vector<std::array<int32_t, 4>> box(std::array<int32_t, 3> lo, std::array<int32_t, 3> hi, int32_t v = 20) {
  std::vector<std::array<int32_t, 4>> pts;
  add_box(pts, lo, hi, v);
  return pts;
}

std::vector<constructed_case> constructed_cases() {
  std::vector<constructed_case> cases = {
      {"one point", {6, 6, 6}, {{2, 2, 2, 20}}, 0.01f, {{1, "0D ...", "......", "none"}}},
      {"corner contact", {6, 6, 6}, {{2, 2, 2, 20}, {3, 3, 3, 20}}, 0.01f, {{2, "0D ...", "......", "none"}}},
      // Index -1 is n-1: planes 0 and 5 touch; plane 6 repeats plane 0 but is not its neighbour.
      {"wrap across i = 0", {6, 6, 6}, {{0, 3, 3, 20}, {5, 3, 3, 20}}, 0.01f, {{2, "0D ...", "......", "none"}}},
      {"planes 0 and n apart", {6, 6, 6}, {{0, 3, 3, 20}, {6, 3, 3, 30}}, 0.01f,
       {{1, "0D ...", "......", "none"}, {1, "0D ...", "......", "none", 3.0f}}},
      // Plane 6 reaches plane 1 through the wrap: one cluster joining the two a faces, an axis-only pocket.
      {"plane n joins through plane 1", {6, 6, 6}, {{0, 3, 3, 20}, {1, 3, 3, 20}, {6, 3, 3, 20}}, 0.01f,
       {{3, "0D ...", "aa....", "none"}}},
      {"straight tube along c", {8, 8, 8}, box({3, 3, 0}, {4, 4, 8}), 0.01f, {{36, "1D ..C", "none  ", "c   "}}, "",
       {8}},
      {"slab in the ab plane", {5, 6, 7}, box({0, 0, 2}, {5, 6, 3}), 0.01f, {{84, "2D AB.", "none  ", "ab  "}}, "",
       {0, 1, 3, 4}},
      {"everything", {4, 3, 5}, box({0, 0, 0}, {4, 3, 5}), 0.01f, {{120, "3D ABC", "none  ", "abc "}}, "",
       {0, 1, 2, 3, 4, 5, 6, 7, 8}},
      {"equal sizes in the order 5, 5, 7", {12, 6, 6},
       [] {
         auto p = box({1, 1, 1}, {1, 1, 5}, 20);
         add_box(p, {4, 1, 1}, {4, 1, 5}, 30);
         add_box(p, {7, 1, 1}, {7, 1, 5}, 40);
         add_box(p, {7, 2, 1}, {7, 2, 2}, 40);
         return p;
       }(),
       0.01f,
       {{7, "0D ...", "......", "none", 4.0f}, {5, "0D ...", "......", "none", 3.0f}, {5, "0D ...", "......", "none"}}},
      // 1 point of 100 is exactly the share 0.01: dropped; with a share of 0 it stays.
      {"share equal to the limit", {12, 12, 12},
       [] {
         auto p = box({1, 1, 1}, {11, 9, 1});
         p.push_back({5, 5, 6, 20});
         return p;
       }(),
       0.01f, {{99, "0D ...", "......", "none"}}},
      {"share limit 0 keeps all", {12, 12, 12},
       [] {
         auto p = box({1, 1, 1}, {11, 9, 1});
         p.push_back({5, 5, 6, 20});
         return p;
       }(),
       0.0f, {{99, "0D ...", "......", "none"}, {1, "0D ...", "......", "none"}}},
      {"axis of count 0", {6, 5, 0}, box({0, 2, 0}, {6, 2, 0}), 0.01f, {{7, "2D A.C", "none  ", "ac  "}}, "",
       {0, 2, 6, 8}},
  };
  // The tube runs along c at i = 0..1 up to k = 4, then at i = 7..8: slice 4
  // joins them only across the a face, so only the sweep with wrap crosses.
  {
    constructed_case c{"tube crossing an a face inside a slice", {8, 6, 8}, {}, 0.01f, {}, "", {8}};
    add_box(c.points, {0, 2, 0}, {1, 3, 4});
    add_box(c.points, {7, 2, 4}, {8, 3, 8});
    c.clusters = {{static_cast<int32_t>(c.points.size()), "1D ..c", "none  ", "c   "}};
    cases.push_back(c);
  }
  // A band j = i, i + 1 (modulo 8) without the plane j = 8: along a it
  // reaches slice 8 only through the wrap inside slices 7 and 8.
  {
    constructed_case c{"oblique band crossing a with the wrap", {8, 8, 6}, {}, 0.01f, {}, "", {0}};
    for (int32_t i = 0; i <= 8; ++i)
      for (int32_t j : {i % 8, (i + 1) % 8}) add_box(c.points, {i, j, 2}, {i, j, 3});
    c.clusters = {{static_cast<int32_t>(c.points.size()), "1D a..", "none  ", "a   "}};
    cases.push_back(c);
  }
  // A tube along c that drifts along a: every slice holds points, but slice 8
  // lies far from slice 0, so both sweeps along c end without exit.
  {
    constructed_case c{"fills every slice without exit", {8, 8, 8}, {}, 0.01f, {},
                       "is a pipe but appears to not exit where it entered..."};
    add_box(c.points, {2, 2, 0}, {2, 2, 3});
    for (int32_t t = 1; t <= 4; ++t) c.points.push_back({2 + t, 2, 3 + t, 20});
    c.points.push_back({6, 2, 8, 20});
    c.clusters = {{static_cast<int32_t>(c.points.size()), "0D ...", "....cc", "none"}};
    cases.push_back(c);
  }
  return cases;
}

TEST(FastEqualsLiteral, ConstructedClusters) {
  const auto celli = test::make_crystal({31.0, 27.0, 23.0, 90, 90, 90}, "P 1");
  const float cutoff = 1.0f;
  for (const constructed_case& c : constructed_cases()) {
    grid_store g = test::make_grid(c.n, [](int32_t, int32_t, int32_t) { return 0.0f; });
    for (const auto& p : c.points) g.dist[g.index(p[0], p[1], p[2])] = static_cast<float>(p[3]) / 10.0f;
    for (int vb : {0, 2, 3}) {
      run_flags flags;
      flags.vb = vb;
      run_params params;
      params.clustcountcut = c.clustcountcut;
      params.proberadius = cutoff;
      params.gridsize = 2.0f;
      channel_points points;
      points.load(g);
      const outcome fast = test::run_fast(points, g, *celli, flags, params, cutoff);
      const outcome lit = test::run_literal(g, *celli, flags, params, cutoff);
      test::expect_same(fast, lit, c.what + " vb " + std::to_string(vb));
      if (vb != 0) continue;
      ASSERT_EQ(fast.nclust, static_cast<int32_t>(c.clusters.size())) << c.what << "\n" << fast.text;
      for (std::size_t k = 1; k <= c.clusters.size(); ++k) {
        const expected_cluster& e = c.clusters[k - 1];
        const cluster_record& r = fast.chinfo[k];
        EXPECT_EQ(r.npts, e.npts) << c.what << " " << k;
        EXPECT_EQ(r.clustype.view(), e.clustype) << c.what << " " << k;
        EXPECT_EQ(r.facepattern.view(), e.facepattern) << c.what << " " << k;
        EXPECT_EQ(r.spanpattern.view(), e.spanpattern) << c.what << " " << k;
        EXPECT_EQ(r.maxdist, e.maxdist) << c.what << " " << k;
      }
      if (!c.message.empty()) {  // once from each sweep along c
        const std::size_t first = fast.text.find(c.message);
        EXPECT_NE(first, std::string::npos) << c.what << "\n" << fast.text;
        EXPECT_NE(fast.text.find(c.message, first + 1), std::string::npos) << c.what << "\n" << fast.text;
      }
      for (int cell = 0; cell < 9; ++cell) {
        const bool set = std::find(c.tensor_cells.begin(), c.tensor_cells.end(), cell) != c.tensor_cells.end();
        EXPECT_EQ(fast.results.btensor[cell / 3][cell % 3], set ? cutoff : 0.0f) << c.what << " cell " << cell;
      }
      if (c.what == "everything") {  // every line open: the whole face
        for (int d = 0; d < 3; ++d) {
          EXPECT_EQ(fast.results.projarea[d], celli->facearea[d]);
          EXPECT_EQ(fast.results.projradius[d], std::sqrt(celli->facearea[d] / 3.1415925f));
        }
      }
    }
  }
}

// Random periodic fields on random cells, rising cutoffs (the fast points
// filtered from the previous set) and one cutoff below them (rebuilt), every
// verbosity, shares, methods and a probe radius at one of the cutoffs.
TEST(FastEqualsLiteral, RandomGrids) {
  std::mt19937 rng(20261207);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  const std::vector<std::vector<double>> cells = {{31, 24.5, 19, 90, 90, 90},
                                                  {28, 22, 33, 90, 104.5, 90},
                                                  {26, 29, 23, 74, 96, 111},
                                                  {23, 23, 31, 90, 90, 120}};
  const std::vector<float> shift = {0.13f, -0.07f, 0.21f}, none = {0, 0, 0};
  int analyses = 0;
  for (int trial = 0; trial < 90; ++trial) {
    const auto celli = test::make_crystal(cells[static_cast<std::size_t>(trial) % cells.size()], "P 1", {},
                                          trial % 2 ? shift : none);
    std::array<int32_t, 3> n;
    for (int32_t& c : n) c = 2 + static_cast<int32_t>(u(rng) * 11);
    if (trial % 17 == 5) n[static_cast<std::size_t>(trial) % 3] = 1;
    if (trial % 23 == 7) n[2] = 0;
    const grid_store g = test::random_field(n, rng, 1 + trial % 6, trial % 4 == 3);
    run_flags flags;
    flags.vb = trial % 6 - 1;
    flags.ar = trial % 4 == 1;
    run_params params;
    params.gridsize = 1.0f + 2.0f * u(rng);
    params.clustcountcut = trial % 3 == 0 ? 0.0f : trial % 3 == 1 ? 0.01f : 0.05f;
    params.pocketcountcut = trial % 5 == 0 ? 0.0f : 1.0f;
    const std::vector<float> cutoffs = {-0.5f + u(rng), 0.6f + u(rng), 1.7f + u(rng), 0.3f};
    params.proberadius = cutoffs[static_cast<std::size_t>(trial) % 3];
    channel_points points;
    points.load(g);
    for (float cutoff : cutoffs) {
      const outcome fast = test::run_fast(points, g, *celli, flags, params, cutoff);
      const outcome lit = test::run_literal(g, *celli, flags, params, cutoff);
      test::expect_same(fast, lit, "trial " + std::to_string(trial) + " cutoff " + std::to_string(cutoff));
      ++analyses;
    }
    if (HasFailure()) break;
  }
  EXPECT_EQ(analyses, 360);
}

// Maps of the shared structures at coarse grids, at the loop's cutoffs.
TEST(FastEqualsLiteral, RealMaps) {
  const std::string data = std::string(PORVANE_TEST_DATA) + "/pdb/";
  const std::vector<std::pair<std::string, float>> maps = {
      {"1ubq.pdb", 2.5f}, {"3al1.pdb", 3.0f}, {"6ins_assembly.pdb", 4.0f}, {"4jsv.pdb", 9.0f}, {"1a1f.pdb", 5.0f}};
  for (const auto& [pdb, gridsize] : maps) {
    auto m = test::load_real_map(data + pdb, gridsize);
    channel_points points;
    points.load(m->gridi);
    for (int step = 0; step < 40; ++step) {
      const float cutoff = 1.4f + 0.4f * static_cast<float>(step);
      run_flags flags;
      flags.vb = step % 3 == 2 ? 2 : 0;
      const outcome fast = test::run_fast(points, m->gridi, *m->celli, flags, m->params, cutoff);
      const outcome lit = test::run_literal(m->gridi, *m->celli, flags, m->params, cutoff);
      test::expect_same(fast, lit, pdb + " cutoff " + std::to_string(cutoff));
      if (fast.nclust == 0) break;
    }
  }
}

}  // namespace
}  // namespace porvane
