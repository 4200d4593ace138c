// The fast cluster labelling and analysis against the literal procedures:
// constructed clusters with what the classification must make of them,
// random grids at every verbosity, and maps of real structures.
#include <gtest/gtest.h>

#include <array>
#include <iomanip>
#include <numeric>
#include <sstream>

#include "channel_test_support.hpp"
#include "channels/exchange_order.hpp"
#include "support/run_program.hpp"
#include "support/table_file.hpp"

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

// The cases of tests/data/channels/constructed_clusters.txt at every
// verbosity, and at verbosity 0 what the classification makes of them.
TEST(FastEqualsLiteral, ConstructedClusters) {
  const auto celli = test::make_crystal({31.0, 27.0, 23.0, 90, 90, 90}, "P 1");
  const float cutoff = 1.0f;
  for (const auto& row : testing::read_table("channels/constructed_clusters.txt")) {
    const std::string& what = row[0];
    std::array<int32_t, 3> n;
    std::istringstream(row[1]) >> n[0] >> n[1] >> n[2];
    grid_store g = test::make_grid(n, [](int32_t, int32_t, int32_t) { return 0.0f; });
    std::istringstream boxes(row[2]);
    for (int32_t b[7]; boxes >> b[0] >> b[1] >> b[2] >> b[3] >> b[4] >> b[5] >> b[6]; boxes.ignore(1, ';'))
      for (int32_t i = b[0]; i <= b[3]; ++i)
        for (int32_t j = b[1]; j <= b[4]; ++j)
          for (int32_t k = b[2]; k <= b[5]; ++k) g.dist[g.index(i, j, k)] = static_cast<float>(b[6]) / 10.0f;
    for (int vb : {0, 2, 3}) {
      run_flags flags;
      flags.vb = vb;
      run_params params;
      params.clustcountcut = std::stof(row[3]);
      params.proberadius = cutoff;
      params.gridsize = 2.0f;
      channel_points points;
      points.load(g);
      const outcome fast = test::run_fast(points, g, *celli, flags, params, cutoff);
      test::expect_same(fast, test::run_literal(g, *celli, flags, params, cutoff), what + " vb " + std::to_string(vb));
      if (vb != 0) continue;
      std::string clusters;
      for (int32_t k = 1; k <= fast.chan.nclust; ++k) {
        const cluster_record& r = fast.chan.chinfo[static_cast<std::size_t>(k)];
        std::ostringstream line;
        line << (k > 1 ? ";" : "") << r.npts << "," << r.clustype.view() << "," << r.facepattern.view() << ","
             << r.spanpattern.view() << "," << std::fixed << std::setprecision(1) << r.maxdist;
        clusters += line.str();
      }
      EXPECT_EQ(clusters, row[4]) << what << "\n" << fast.text;
      if (!row[5].empty()) {
        EXPECT_EQ(testing::count_of(fast.text, row[5]), 2) << what;  // once per sweep along c
      }
      std::string cells;
      for (int cell = 0; cell < 9; ++cell) {
        const float t = fast.chan.results.btensor[cell / 3][cell % 3];
        EXPECT_TRUE(t == 0.0f || t == cutoff) << what;
        if (t == cutoff) cells.append(cells.empty() ? "" : " ").append(std::to_string(cell));
      }
      EXPECT_EQ(cells, row[6]) << what;
      if (what == "everything") {  // every line open: the whole face
        for (int d = 0; d < 3; ++d) {
          EXPECT_EQ(fast.chan.results.projarea[d], celli->facearea[d]);
          EXPECT_EQ(fast.chan.results.projradius[d], std::sqrt(celli->facearea[d] / 3.1415925f));
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
    auto m = testing::load_with_map(data + pdb, gridsize);
    channel_points points;
    points.load(m->gridi);
    for (int step = 0; step < 40; ++step) {
      const float cutoff = 1.4f + 0.4f * static_cast<float>(step);
      run_flags flags;
      flags.vb = step % 3 == 2 ? 2 : 0;
      const outcome fast = test::run_fast(points, m->gridi, *m->celli, flags, m->params, cutoff);
      const outcome lit = test::run_literal(m->gridi, *m->celli, flags, m->params, cutoff);
      test::expect_same(fast, lit, pdb + " cutoff " + std::to_string(cutoff));
      if (fast.chan.nclust == 0) break;
    }
  }
}

}  // namespace
}  // namespace porvane
