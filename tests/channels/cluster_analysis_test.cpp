// The exchange order, the spread of distances, and constructed clusters with
// what the labelling and the classification must make of them.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "channel_test_support.hpp"
#include "channels/exchange_order.hpp"
#include "support/run_program.hpp"
#include "support/table_file.hpp"

namespace porvane {
namespace {

// An exchange sort: a against every later b, exchanged when strictly
// smaller at that moment; equal sizes need not keep their order.
TEST(ExchangeOrder, OrderOfTheExchangeSort) {
  const std::vector<std::pair<std::vector<int32_t>, std::vector<int32_t>>> cases = {
      {{5, 5, 7}, {2, 1, 0}},  // the second-found 5 second
      {{1, 2, 3, 4, 5}, {4, 3, 2, 1, 0}},
      {{3, 1, 3, 2, 3}, {0, 2, 4, 3, 1}},
      {{2, 2, 2, 1}, {0, 1, 2, 3}},
      {{4, 9, 4, 9, 1, 9}, {1, 3, 5, 0, 2, 4}},
      {{}, {}}};
  for (const auto& [sizes, order] : cases) EXPECT_EQ(exchange_order(sizes), order) << sizes.size();
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

// The image of a point is searched for only away from the running mean of its
// slice: not once for a tube inside the cell (every point within half a
// period of the mean), but for one whose slices wrap across the a face.
TEST(SliceProfile, ImagesSearchedOnlyAwayFromTheMean) {
  const auto celli = test::make_crystal({31.0, 27.0, 23.0, 90, 90, 90}, "P 1");
  auto searches = [&](const std::function<bool(int32_t)>& in_tube) {
    grid_store g = test::make_grid({8, 8, 8}, [&](int32_t i, int32_t j, int32_t) {
      return in_tube(i) && (j == 3 || j == 4) ? 2.0f : 0.0f;
    });
    channel_points points;
    points.load(g);
    cluster_table chinfo;
    int32_t nclust = 0;
    find_clusters(run_flags{}, run_params{}, 1.0f, points, chinfo, nclust);
    const analysis_grid grid{{8, 8, 8}, celli.get(), 2.0f};
    cluster_slices geometry(points, grid);
    cluster_axis_block block;
    block.size_slices(8);
    for (int32_t s = 0; s <= 8; ++s) geometry.profile_slice(1, 2, s, block);
    return geometry.image_searches();
  };
  EXPECT_EQ(searches([](int32_t i) { return i >= 2 && i <= 5; }), 0u);
  EXPECT_GT(searches([](int32_t i) { return i <= 1 || i >= 7; }), 0u);
}

// The cases of tests/data/channels/constructed_clusters.txt: the clusters,
// the text and the bottleneck tensor.
TEST(ConstructedClusters, ClustersRowsAndTensor) {
  const auto celli = test::make_crystal({31.0, 27.0, 23.0, 90, 90, 90}, "P 1");
  const float cutoff = 1.0f;
  for (auto row : testing::read_table("channels/constructed_clusters.txt")) {
    row.resize(8);
    const std::string& what = row[0];
    std::array<int32_t, 3> n;
    std::istringstream(row[1]) >> n[0] >> n[1] >> n[2];
    grid_store g = test::make_grid(n, [](int32_t, int32_t, int32_t) { return 0.0f; });
    std::istringstream boxes(row[2]);
    for (int32_t b[7]; boxes >> b[0] >> b[1] >> b[2] >> b[3] >> b[4] >> b[5] >> b[6]; boxes.ignore(1, ';'))
      for (int32_t i = b[0]; i <= b[3]; ++i)
        for (int32_t j = b[1]; j <= b[4]; ++j)
          for (int32_t k = b[2]; k <= b[5]; ++k) g.dist[g.index(i, j, k)] = static_cast<float>(b[6]) / 10.0f;
    run_params params;
    params.clustcountcut = std::stof(row[3]);
    params.proberadius = cutoff;
    params.gridsize = 2.0f;
    run_flags flags;
    flags.vb = row[7].empty() ? 0 : std::stoi(row[7]);
    const test::outcome fast = test::analyse(g, *celli, flags, params, cutoff);
    std::string clusters;
    for (int32_t k = 1; k <= fast.chan.nclust; ++k) {
      const cluster_record& r = fast.chan.chinfo[static_cast<std::size_t>(k)];
      std::ostringstream line;
      line << (k > 1 ? ";" : "") << r.npts << "," << r.clustype.view() << "," << r.facepattern.view() << ","
           << r.spanpattern.view() << "," << std::fixed << std::setprecision(1) << r.maxdist;
      clusters += line.str();
    }
    EXPECT_EQ(clusters, row[4]) << what << "\n" << fast.text;
    std::string text;  // "\n" in the table ends a line
    for (std::size_t at = 0; at < row[5].size(); ++at) text += row[5].compare(at, 2, "\\n") == 0 ? (++at, '\n') : row[5][at];
    EXPECT_EQ(fast.text, text + "\n") << what;
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

}  // namespace
}  // namespace porvane
