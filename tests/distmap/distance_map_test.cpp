// The distance map: the fast map against the literal check_next_atom loop,
// point by point and bit for bit, over the crystals of a table; grid
// positions and atom copies; the stage run end to end on small structures.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <sstream>
#include <tuple>

#include "distmap/bucket_grid.hpp"
#include "distmap/distance_kernel.hpp"
#include "distmap/distance_map.hpp"
#include "distmap_test_support.hpp"
#include "support/report_cases.hpp"
#include "support/table_file.hpp"

namespace porvane {
namespace {

// Both maps on the grid of params; fails at the first differing point. With
// sample_rows, only checks that the fast map computes part of the grid.
grid_store compare_maps(const run_params& params, const run_flags& flags, const crystal_record& celli,
                        const atom_store& atoms, const std::string& what, std::size_t ncopies, int sample_rows = 0,
                        bool tree = false) {
  int32_t gridmax[3], moved = 0;
  set_gridmax(params, celli, gridmax);
  grid_store literal;
  coord_range range;
  fill_grid_positions(params, celli, gridmax, literal, range);
  grid_store fast = literal;
  const auto copies = collect_atom_copies(flags, celli, atoms, false, moved);
  EXPECT_TRUE(ncopies == 0 || copies.size() == ncopies) << what << " " << copies.size();
  const fast_map_stats st = distance_map_fast(celli, copies, fast, sample_rows);
  if (sample_rows > 0) {  // a sample for the time estimate leaves the other points as they are
    EXPECT_TRUE(st.blocks_done > 0 && st.blocks_done < st.blocks && std::count(fast.dist.begin(), fast.dist.end(), 0.0f));
    return fast;
  }
  EXPECT_TRUE(!tree || 2 * st.tree_blocks > st.blocks) << what << ": " << st.tree_blocks << " of " << st.blocks << " blocks in the tree";
  distance_map_literal(celli, atoms, copies, literal);
  const auto point = [](const grid_store& g, std::size_t p) {
    return std::tuple(std::bit_cast<uint32_t>(g.dist[p]), g.iatom[p], g.isym[p], g.incs[p]);
  };
  for (std::size_t p = 0; p < literal.points() && !::testing::Test::HasFailure(); ++p)
    EXPECT_EQ(point(literal, p), point(fast, p)) << what << ": point " << p;
  return literal;
}

struct crystal_case {
  std::string what;
  std::shared_ptr<crystal_record> celli;
  int nrandom = 0;                         // random atoms at fractions frac, radii radii
  std::array<float, 2> frac = {0, 1}, radii = {1.5f, 1.5f};
  std::vector<std::array<float, 4>> places = {};  // further atoms and radii (0: radii[0]) (Å)
  std::vector<float> grids = {};
  int ca = 0, cg = 0, nca = 0, npseudo = 0;  // -ca cycles names CA, CB, N, P; npseudo 0: all atoms
  std::size_t ncopies = 0;                   // copies expected (0: not checked)
  std::vector<float> probe = {};             // a point of the last grid i, j, k: dist, iatom, isym
  bool tree = false;                         // the site tree serves most blocks of the grid
};

std::vector<float> numbers(const std::string& text) {
  std::vector<float> v;
  for (const std::string& w : testing::words(text)) v.push_back(std::stof(w));
  return v;
}

// The crystals of tests/data/distmap/crystal_cases.txt.
std::vector<crystal_case> crystal_table() {
  std::vector<crystal_case> cases;
  for (const auto& row : testing::read_table("distmap/crystal_cases.txt")) {
    std::vector<std::pair<double, int>> ncs;
    std::vector<std::array<float, 4>> places;
    for (std::istringstream in(row[3]); in.good();)
      if (double angle; in >> angle) ncs.emplace_back(angle, 0), in >> ncs.back().second, in.ignore(1, ';');
    for (std::istringstream in(row[8]); in.good();)
      if (std::string entry; std::getline(in, entry, ';') && numbers(entry).size() >= 3)
        places.push_back({numbers(entry)[0], numbers(entry)[1], numbers(entry)[2], numbers(entry + " 0")[3]});
    const std::vector<float> cell = numbers(row[1]), frac = numbers(row[6]), radii = numbers(row[7]),
                             flags = numbers(row[10]);
    cases.push_back({row[0], test::make_crystal({cell.begin(), cell.end()}, row[2].c_str(), ncs, numbers(row[4])),
                     std::stoi(row[5]), {frac[0], frac[1]}, {radii[0], radii[1]}, places, numbers(row[9]),
                     int(flags[0]), int(flags[1]), int(flags[2]), int(flags[3]), std::stoul(row[11]), numbers(row[12]),
                     row[13] == "tree"});
  }
  return cases;
}

TEST(FastMapEqualsLiteral, CrystalTable) {
  std::vector<crystal_case> cases = crystal_table();
  std::mt19937 rng(20261206);
  const std::vector<std::array<const char*, 2>> names = {{" CA ", " C"}, {" CB ", " C"}, {" N  ", " N"}, {" P  ", " P"}};
  for (const crystal_case& c : cases) {
    atom_store atoms;
    test::add_random_atoms(atoms, *c.celli, c.nrandom, c.frac, c.radii, rng,
                           c.ca != 0 ? names : decltype(names){names[0]});
    for (const auto& x : c.places) test::add_atom(atoms, x.data(), x[3] > 0 ? x[3] : c.radii[0]);
    atom_counts& count = atoms.count;
    count.natoms = static_cast<int32_t>(atoms.pdbdata.size());
    count.nca = c.nca, count.npseudo = c.npseudo > 0 ? c.npseudo : count.natoms;
    run_params params;
    run_flags flags;
    flags.ca = c.ca, flags.cg = c.cg;
    grid_store g;
    for (float size : c.grids) {
      params.gridsize = size;
      g = compare_maps(params, flags, *c.celli, atoms, c.what + " at " + std::to_string(size), c.ncopies, 0, c.tree);
    }
    if (HasFailure()) break;
    if (c.what == "many atoms") compare_maps(params, flags, *c.celli, atoms, "sample", 0, 4);
    if (c.probe.empty()) continue;
    const std::size_t p = g.index(int32_t(c.probe[0]), int32_t(c.probe[1]), int32_t(c.probe[2]));
    EXPECT_EQ(std::vector<float>({g.dist[p], float(g.iatom[p]), float(g.isym[p])}),
              std::vector<float>(c.probe.begin() + 3, c.probe.end()))
        << c.what;
  }
}

// The rounding of the image shift in line equals std::lround at halves,
// their neighbours and integers; the image shift holds at 2^30 beyond. The runs of equal
// image shift: the crystal table above.
TEST(FastMap, NearestIntEqualsLround) {
  std::vector<float> values = {-0.0f, 0.49999997f, -0.49999997f, 8388607.5f, -8388607.5f, 8388609.0f, 1.0e-30f,
                               -1.0e-30f, 1073741823.0f, -1073741760.0f};
  for (int k = -70; k <= 70; ++k)
    for (float base : {static_cast<float>(k) + 0.5f, static_cast<float>(k)})
      values.insert(values.end(), {base, std::nextafter(base, 1e9f), std::nextafter(base, -1e9f)});
  for (float v : values) EXPECT_EQ(nearest_int(v), static_cast<int32_t>(std::lround(v))) << v;
  EXPECT_EQ(image_shift(3.0e9f, 0, 1), -1073741824);
  EXPECT_EQ(image_shift(-1.0e30f, 0, 1), 1073741824);
}

// A site 3.37 Å (as a float) below a point, of radius 1.37, lies at a
// surface distance of exactly 2.0; the reach 2.0 + 1.37 rounds below 3.37, so
// the site, just under a bucket edge, is in range only by the widening.
TEST(FastMap, BucketRangesHoldSitesJustAcrossABucketEdge) {
  const float site[3] = {std::nextafter(4.0f, 0.0f), 0.0f, 0.0f}, p = 7.37f, r = 1.37f;
  const float d = surface_distance(p, 0.0f, 0.0f, site, r);
  ASSERT_EQ(d, 2.0f);
  ASSERT_LT(d + r, p - site[0]);
  int32_t lo, hi;
  bucket_span(p, p, d + r, bucket_slack, 0.0f, 4.0f, 10, lo, hi);
  EXPECT_EQ(bucket_coordinate(site[0], 0.0f, 4.0f, 10), 0);
  EXPECT_EQ(lo, 0);
}

// The same in a map: eight points at (7.37, 0, 0), buckets of 4 Å from the
// copy at the origin (far along z), the nearest copy just below x = 4.
TEST(FastMap, NearestCopyJustAcrossABucketEdge) {
  const auto frame = test::make_crystal({10, 10, 10, 90, 90, 90}, "P 1");
  grid_store g;
  g.resize(1, 1, 1);
  std::fill(g.x.begin(), g.x.end(), 7.37f);
  std::vector<atom_copy> copies = {{1, 1, 1, {std::nextafter(4.0f, 0.0f), 0, 0}, {0.25f, 0.25f, 0.25f}, 1.37f},
                                   {2, 1, 1, {0, 0, 20}, {0.25f, 0.25f, 0.25f}, 1.37f}};
  distance_map_fast(*frame, copies, g);
  EXPECT_EQ(std::make_pair(g.dist[0], g.iatom[0]), std::make_pair(2.0f, 1));
}

TEST(AtomCopies, WrapLoopOrderAndSkips) {
  const auto tc = test::make_crystal({20.0, 20.0, 20.0, 90, 90, 90}, "P 21 21 21", {{90, 1}, {30, 0}});  // NCS 2 given
  atom_store atoms;
  test::add_atom(atoms, std::array{-5.0f, 30.0f, 20.0f}.data(), 1.6f);  // fractions −0.25, 1.5, 1.0
  test::add_atom(atoms, std::array{20.0f, 0.0f, 0.0f}.data(), 1.5f);    // fractions 1, 0, 0
  atom_copy cp;
  bool outside[3];
  EXPECT_TRUE(place_atom_copy(*tc, atoms, 1, 1, 1, cp, outside));
  EXPECT_EQ(std::vector<float>({cp.f[0], cp.f[1], cp.f[2], cp.x[0], cp.x[1], cp.r}),
            std::vector<float>({0.75f, 0.5f, 1.0f, 15.0f, 10.0f, 1.6f}));
  EXPECT_FALSE(outside[0] || outside[1] || outside[2]);
  EXPECT_FALSE(place_atom_copy(*tc, atoms, 2, 1, 1, cp, outside));  // 0.0 and 1.0 stay
  EXPECT_EQ(std::vector<float>(cp.f, cp.f + 3), (std::vector<float>{1.0f, 0.0f, 0.0f}));
  atoms.count.natoms = 5;  // beyond the stored atoms: never read past them
  int32_t moved = 0;
  const auto copies = collect_atom_copies(run_flags{}, *tc, atoms, false, moved);
  ASSERT_EQ(copies.size(), 2u * 4u * 2u);
  for (int32_t c = 0; c < 16; ++c) {  // atom outer, then symmetry operator, then NCS operators 1 and 3
    EXPECT_EQ(std::vector<int32_t>({copies[c].a, copies[c].s, copies[c].n}),
              std::vector<int32_t>({c / 8 + 1, c / 2 % 4 + 1, c % 2 ? 3 : 1}));
    for (float fc : copies[c].f) EXPECT_TRUE(fc >= 0.0f && fc <= 1.0f) << fc;
  }
  EXPECT_TRUE(moved > 0 && moved <= 16) << moved;
  for (const auto& [t, want] : {std::pair{-1, 19}, {21, 1}, {20, 20}, {0, 0}, {-20, 0}, {40, 20}})
    EXPECT_EQ(wrap_index(t, 20), want) << t;
  int32_t g[3];
  run_params zero;
  zero.gridsize = 0.0f;
  set_gridmax(zero, *tc, g);  // no crash, held at the int32 range
  EXPECT_GT(g[0], 250);
}

// The wrap brings every finite fractional coordinate into [0, 1]: f − nint(f −
// 0.5) is exact below 2^22 and rounds to 0 or 1 above, so the "Oops..." line
// of the map and of the expanded file needs a coordinate that is not finite.
TEST(AtomCopies, WrapNeverLeavesFiniteCoordinatesOutside) {
  std::mt19937 rng(12);
  std::uniform_real_distribution<float> u(-99999.999f, 99999.999f);
  for (const auto& cell : {std::vector<double>{1, 1, 1, 90, 90, 90}, std::vector<double>{26, 29, 23, 74, 96, 111}}) {
    const auto tc = test::make_crystal(cell, "P 1");
    atom_store atoms;
    for (int a = 0; a < 20000; ++a) {
      const float x[3] = {u(rng) * (a % 2 ? 1.0f : 1.0e-4f), u(rng), u(rng) * (a % 3 ? 1.0f : 1.0e-3f)};
      test::add_atom(atoms, x, 1.5f);
    }
    for (const float x : {8388609.0f, -8388609.0f, 4194304.5f, -1.0e-30f, 16777215.0f})
      test::add_atom(atoms, std::array{x, x, x}.data(), 1.5f);
    for (int32_t a = 1; a <= static_cast<int32_t>(atoms.pdbdata.size()); ++a) {
      atom_copy cp;
      bool outside[3];
      place_atom_copy(*tc, atoms, a, 1, 1, cp, outside);
      ASSERT_FALSE(outside[0] || outside[1] || outside[2]) << a << " " << cp.f[0] << " " << cp.f[1] << " " << cp.f[2];
    }
  }
}

// The stage of small structures; a grid size of 0 stops the run before it
// starts (driver tests).
TEST(DistanceMapStage, ReportsEndToEnd) {
  testing::expect_reports("distmap_stage", testing::report_table("cases/distmap.txt"));
}

}  // namespace
}  // namespace porvane
