// The distance map: the fast map against the literal check_next_atom loop,
// point by point and bit for bit, over small and random crystals; grid
// positions and atom copies; the stage run end to end on small structures.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <tuple>

#include "distmap/distance_kernel.hpp"
#include "distmap/distance_map.hpp"
#include "distmap_test_support.hpp"
#include "support/report_cases.hpp"

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
  EXPECT_TRUE(!tree || st.tree_blocks > 0) << what << ": no block in the tree";
  distance_map_literal(celli, atoms, copies, literal);
  const auto point = [](const grid_store& g, std::size_t p) {
    return std::tuple(std::bit_cast<uint32_t>(g.dist[p]), g.iatom[p], g.isym[p], g.incs[p]);
  };
  for (std::size_t p = 0; p < literal.points() && !::testing::Test::HasFailure(); ++p)
    EXPECT_EQ(point(literal, p), point(fast, p)) << what << ": point " << p;
  return literal;
}

const std::vector<double> orthogonal = {31.0, 24.5, 19.0, 90, 90, 90}, monoclinic = {28.0, 22.0, 33.0, 90, 104.5, 90},
                          triclinic = {26.0, 29.0, 23.0, 74.0, 96.0, 111.0}, cube = {20, 20, 20, 90, 90, 90};
const std::vector<float> shift = {0.13f, -0.07f, 0.21f}, none = {0, 0, 0};

struct crystal_case {
  std::string what;
  std::shared_ptr<crystal_record> celli;
  int nrandom = 0;                                 // random atoms at fractions frac, radii radii
  std::array<float, 2> frac = {0, 1}, radii = {1.5f, 1.5f};
  std::vector<std::array<float, 3>> places = {};   // further atoms of radius radii[0] (Å)
  std::vector<float> grids = {2.0f};
  int ca = 0, cg = 0, nca = 0, npseudo = 0;        // -ca cycles names CA, CB, N, P; npseudo 0: all atoms
  std::size_t ncopies = 0;                         // copies expected (0: not checked)
  std::array<int32_t, 3> probe = {-1, 0, 0};       // a point of the last grid: dist, iatom, isym
  float pdist = 0;
  int32_t patom = 0, psym = 0;
  bool tree = false;                               // the site tree serves part of the grid
};

TEST(FastMapEqualsLiteral, CrystalTable) {
  using test::make_crystal;
  const std::shared_ptr<crystal_record> flat = make_crystal({30.0, 25.0, 3.0, 90, 90, 90}, "P 21 21 21", {}, shift);
  // Far from the origin every coordinate is a multiple of 0.25 Å: distances tie exactly and often.
  const std::shared_ptr<crystal_record> far_shift = make_crystal(orthogonal, "P 21 21 21", {}, {-1.0e5f, 2.0e5f, -3.0e5f});
  std::vector<crystal_case> cases = {
      {.what = "monoclinic, NCS one given", .celli = make_crystal(monoclinic, "P 1 21 1", {{60, 0}, {120, 1}, {200, 0}}, shift),
       .nrandom = 18, .radii = {1.0f, 2.2f}, .grids = {1.7f}, .ncopies = 18 * 2 * 3},
      {.what = "triclinic", .celli = make_crystal(triclinic, "P 1", {{90, 0}}, shift), .nrandom = 20, .frac = {-0.5f, 1.5f},
       .radii = {1.0f, 2.2f}, .grids = {7.0f, 3.3f, 0.9f}},
      {.what = "hexagonal", .celli = make_crystal({23.0, 23.0, 31.0, 90, 90, 120}, "P 61", {}, shift), .nrandom = 8,
       .frac = {-0.2f, 1.2f}, .radii = {1.0f, 2.2f}, .grids = {1.3f}},
      {.what = "-ca", .celli = make_crystal(orthogonal, "P 21 21 21"), .nrandom = 24, .radii = {1.7f, 1.7f}, .ca = 1,
       .nca = 12, .ncopies = 12 * 4},
      {.what = "-cg -ca, large radii", .celli = make_crystal(monoclinic, "P 1 21 1", {{45, 0}}), .nrandom = 40,
       .radii = {3.0f, 9.0f}, .grids = {2.5f}, .ca = 1, .cg = 1, .npseudo = 12, .ncopies = 12 * 2 * 2},
      // At 2.5 Å an atom and its image tie half a cell away; (10, 10, 10) is 3.5 from atoms 1 and 2.
      {.what = "ties", .celli = make_crystal(cube, "P 21 21 21"),
       .places = {{5, 10, 10}, {15, 10, 10}, {0, 0, 0}, {20, 20, 20}, {10, 5, 0}, {10, 15, 20}, {0, 10, 5}},
       .grids = {2.5f, 4.0f, 2.0f}, .probe = {5, 5, 5}, .pdist = 3.5f, .patom = 1, .psym = 1},
      // (10, 8, 10) is as far from (6, 10, 10) as from its inverse (14, 10, 10).
      {.what = "symmetry copies tie", .celli = make_crystal(cube, "P -1"), .radii = {1.6f, 1.6f}, .places = {{6, 10, 10}},
       .ncopies = 2, .probe = {5, 4, 5}, .pdist = std::sqrt(20.0f) - 1.6f, .patom = 1, .psym = 1},
      // Atoms on the two-fold axes and at the inversion centre: their copies coincide.
      {.what = "copies coincide", .celli = make_crystal(cube, "P 2 2 2", {{180, 0}}),
       .places = {{0, 0, 7}, {10, 0, 3}, {0, 10, 10}, {10, 10, 10}}, .grids = {2.0f, 2.5f}},
      {.what = "copies coincide, inverted", .celli = make_crystal(triclinic, "P -1", {}, shift), .radii = {1.0f, 1.0f},
       .places = {{0, 0, 0}, {13, 0, 0}, {6.5f, 7.25f, 3.5f}}, .grids = {1.0f}},
      {.what = "coordinates on a 0.25 Å lattice", .celli = far_shift, .nrandom = 40, .radii = {1.5f, 1.75f},
       .grids = {2.0f, 1.0f}},
      // Point 13 of 26 is half a cell from x = 64 by index (13 / 26) but 31.6875 Å from 0: the image is nearer.
      {.what = "image at half a cell", .celli = make_crystal({64, 64, 64, 90, 90, 90}, "P 1"), .places = {{64, 31.6875f, 31.6875f}},
       .grids = {2.4375f}, .probe = {13, 13, 13}, .pdist = 30.1875f, .patom = 1, .psym = 1},
      {.what = "count 0 on c", .celli = flat, .nrandom = 6, .grids = {8.0f}},
      {.what = "one atom", .celli = flat, .radii = {1.8f, 1.8f}, .places = {{1, 2, 1}}},
      {.what = "no atoms", .celli = flat, .probe = {3, 2, 1}, .pdist = 10000},
      {.what = "many atoms", .celli = make_crystal(orthogonal, "P 21 21 21", {{70, 0}}), .nrandom = 1500,
       .frac = {-0.1f, 1.1f}, .radii = {1.2f, 2.0f}, .grids = {1.1f}},
      // Corners lie beyond 10000 Å: the start value stays, as the strict test leaves it.
      {.what = "far", .celli = make_crystal({30000, 30000, 30000, 90, 90, 90}, "P 1"), .places = {{15000, 15000, 15000}},
       .grids = {4000.0f}, .probe = {0, 0, 0}, .pdist = 10000},
      // A compact group of atoms in a large cell: far points are searched in the tree.
      {.what = "group in a large cell", .celli = make_crystal({900, 700, 800, 90, 90, 90}, "P 21 21 21"), .nrandom = 60,
       .frac = {0.0f, 0.02f}, .radii = {1.4f, 1.9f}, .grids = {25.0f}, .tree = true},
  };
  std::mt19937 rng(20261206);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  for (int trial = 0; trial < 48; ++trial) {  // random orthogonal P212121, monoclinic P1211, triclinic P1
    const int kind = trial % 3;
    std::vector<double> cell = {15 + 25 * u(rng), 15 + 25 * u(rng), 15 + 25 * u(rng), 90, 90, 90};
    if (kind == 1) cell[4] = 95 + 20 * u(rng);
    if (kind == 2) cell[3] = 70 + 40 * u(rng), cell[4] = 70 + 40 * u(rng), cell[5] = 70 + 40 * u(rng);
    std::vector<std::pair<double, int>> ncs;
    for (int n = static_cast<int>(u(rng) * 3); n > 0; --n) ncs.emplace_back(1 + 358 * u(rng), u(rng) < 0.3f);
    const std::vector<float> sh = {u(rng) - 0.5f, u(rng) - 0.5f, u(rng) - 0.5f};
    const bool pseudo = trial % 7 == 3;
    cases.push_back({.what = "random crystal " + std::to_string(trial),
                     .celli = make_crystal(cell, kind == 0 ? "P 21 21 21" : kind == 1 ? "P 1 21 1" : "P 1", ncs,
                                           trial % 2 ? sh : none),
                     .nrandom = 1 + static_cast<int>(u(rng) * 30), .frac = {-0.6f, 1.6f},
                     .radii = {pseudo ? 3.0f : 1.0f, pseudo ? 10.0f : 2.1f}, .grids = {0.9f + 3.0f * u(rng)}, .cg = pseudo});
  }
  const std::vector<std::array<const char*, 2>> names = {{" CA ", " C"}, {" CB ", " C"}, {" N  ", " N"}, {" P  ", " P"}};
  for (const crystal_case& c : cases) {
    atom_store atoms;
    test::add_random_atoms(atoms, *c.celli, c.nrandom, c.frac, c.radii, rng,
                           c.ca != 0 ? names : decltype(names){names[0]});
    for (const auto& x : c.places) test::add_atom(atoms, x.data(), c.radii[0]);
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
    if (c.probe[0] < 0) continue;
    const std::size_t p = g.index(c.probe[0], c.probe[1], c.probe[2]);
    EXPECT_EQ(std::make_tuple(g.dist[p], g.iatom[p], g.isym[p]), std::make_tuple(c.pdist, c.patom, c.psym)) << c.what;
  }
}

// The rounding of the image shift in line equals std::lround at halves,
// their neighbours and integers, and holds at 2^30 beyond. The runs of equal
// image shift: the crystal table above.
TEST(FastMap, NearestIntEqualsLround) {
  std::vector<float> values = {-0.0f, 0.49999997f, -0.49999997f, 8388607.5f, -8388607.5f, 8388609.0f, 1.0e-30f,
                               -1.0e-30f, 1073741823.0f, -1073741760.0f};
  for (int k = -70; k <= 70; ++k)
    for (float base : {static_cast<float>(k) + 0.5f, static_cast<float>(k)})
      values.insert(values.end(), {base, std::nextafter(base, 1e9f), std::nextafter(base, -1e9f)});
  for (float v : values) EXPECT_EQ(nearest_int(v), static_cast<int32_t>(std::lround(v))) << v;
  EXPECT_EQ(nearest_int(3.0e9f), 1073741824);
  EXPECT_EQ(nearest_int(-1.0e30f), -1073741824);
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
