// Grid counts, positions, the index wrap and the placing of atom copies.
#include <gtest/gtest.h>

#include <cmath>

#include "common/grid_store.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "distmap_test_support.hpp"

namespace porvane {
namespace {

using test::test_crystal;

const double no_shift[3] = {0, 0, 0};

TEST(GridCounts, RoundHalvesAwayFromZero) {
  const double cell[6] = {51.0, 49.0, 502.0, 90, 90, 90};
  test_crystal tc(cell, no_shift, test::ops_p1());
  run_params params;  // grid size 2.0
  int32_t g[3];
  set_gridmax(params, *tc.celli, g);
  EXPECT_EQ(g[0], 26);   // 25.5
  EXPECT_EQ(g[1], 25);   // 24.5
  EXPECT_EQ(g[2], 251);  // beyond the store's 250; the map stage raises the grid size
  params.gridsize = 0.0f;
  set_gridmax(params, *tc.celli, g);  // no crash, held at the int32 range
  EXPECT_GT(g[0], 250);
}

TEST(GridCounts, PointPositionsStepByGridsizeOverEdge) {
  const double cell[6] = {51.0, 40.0, 30.0, 90, 90, 90};
  const double shift[3] = {0.1, 0.0, -0.2};
  test_crystal tc(cell, shift, test::ops_p1());
  run_params params;
  int32_t g[3];
  set_gridmax(params, *tc.celli, g);
  grid_store gridi;
  coord_range range;
  fill_grid_positions(params, *tc.celli, g, gridi, range);
  ASSERT_EQ(gridi.points(), 27u * 21u * 16u);
  // Point 26 on a lies at 26 · 2 / 51 ≈ 1.0196 of the edge, shifted by −0.1.
  const std::size_t p = gridi.index(26, 0, 0);
  EXPECT_NEAR(gridi.x[p], (26.0 * 2.0 / 51.0 - 0.1) * 51.0, 1e-4);
  EXPECT_NEAR(gridi.z[p], 0.2 * 30.0, 1e-4);
  // The same position from grid_to_real with whole-number grid coordinates.
  const float gc[3] = {26.0f, 0.0f, 0.0f};
  float xyz[3];
  grid_to_real(params, *tc.celli, gc, xyz);
  EXPECT_EQ(xyz[0], gridi.x[p]);
  EXPECT_EQ(xyz[2], gridi.z[p]);
  EXPECT_FLOAT_EQ(range.lo[0], -0.1f * 51.0f);
  EXPECT_NEAR(range.hi[2], (15.0 * 2.0 / 30.0 + 0.2) * 30.0, 1e-4);
}

TEST(GridCounts, WrapOnce) {
  EXPECT_EQ(wrap_index(-1, 20), 19);
  EXPECT_EQ(wrap_index(21, 20), 1);
  EXPECT_EQ(wrap_index(20, 20), 20);
  EXPECT_EQ(wrap_index(0, 20), 0);
  EXPECT_EQ(wrap_index(-20, 20), 0);
  EXPECT_EQ(wrap_index(40, 20), 20);
}

TEST(GridCounts, FractionalRoundTrip) {
  const double cell[6] = {26.0, 29.0, 23.0, 74.0, 96.0, 111.0};
  const double shift[3] = {0.25, -0.5, 0.125};
  test_crystal tc(cell, shift, test::ops_p1());
  const float x[3] = {12.5f, -3.25f, 40.0f};
  float f[3], back[3];
  to_fcoords(*tc.celli, x, f);
  frac_to_real(*tc.celli, f, back);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(back[c], x[c], 1e-4);
}

TEST(AtomCopies, WrapIntoTheCell) {
  const double cell[6] = {20.0, 20.0, 20.0, 90, 90, 90};
  test_crystal tc(cell, no_shift, test::ops_p1());
  atom_store atoms;
  // Fractional −0.25, 1.5 and 1.0: −0.25 wraps to 0.75, 1.5 to 0.5, 1.0 stays.
  const float x[3] = {-5.0f, 30.0f, 20.0f};
  test::add_atom(atoms, x, 1.6f);
  atom_copy cp;
  bool outside[3];
  EXPECT_TRUE(place_atom_copy(*tc.celli, atoms, 1, 1, 1, cp, outside));
  EXPECT_FLOAT_EQ(cp.f[0], 0.75f);
  EXPECT_FLOAT_EQ(cp.f[1], 0.5f);
  EXPECT_EQ(cp.f[2], 1.0f);
  EXPECT_FALSE(outside[0] || outside[1] || outside[2]);
  EXPECT_FLOAT_EQ(cp.x[0], 15.0f);
  EXPECT_FLOAT_EQ(cp.x[1], 10.0f);
  EXPECT_EQ(cp.r, 1.6f);

  // 0.0 and 1.0 are not moved.
  atom_store edge;
  const float y[3] = {0.0f, 20.0f, 0.0f};
  test::add_atom(edge, y, 1.6f);
  EXPECT_FALSE(place_atom_copy(*tc.celli, edge, 1, 1, 1, cp, outside));
  EXPECT_EQ(cp.f[0], 0.0f);
  EXPECT_EQ(cp.f[1], 1.0f);
}

TEST(AtomCopies, LoopOrderSkipsAndMovedCount) {
  const double cell[6] = {20.0, 20.0, 20.0, 90, 90, 90};
  test_crystal tc(cell, no_shift, test::ops_p212121());
  std::mt19937 rng(11);
  tc.add_ncs(rng, 90.0, 1);  // given: skipped
  tc.add_ncs(rng, 30.0, 0);
  atom_store atoms;
  const float a1[3] = {2.0f, 3.0f, 4.0f}, a2[3] = {-2.0f, 13.0f, 4.0f};
  test::add_atom(atoms, a1, 1.5f);
  test::add_atom(atoms, a2, 1.5f);
  run_params params;
  params.natoms = 2;
  run_flags flags;
  int32_t moved = 0;
  const auto copies = collect_atom_copies(params, flags, *tc.celli, atoms, false, moved);
  ASSERT_EQ(copies.size(), 2u * 4u * 2u);
  std::size_t c = 0;
  for (int32_t a = 1; a <= 2; ++a)
    for (int32_t s = 1; s <= 4; ++s)
      for (int32_t n : {1, 3}) {
        EXPECT_EQ(copies[c].a, a);
        EXPECT_EQ(copies[c].s, s);
        EXPECT_EQ(copies[c].n, n);
        for (int ax = 0; ax < 3; ++ax) {
          EXPECT_GE(copies[c].f[ax], 0.0f);
          EXPECT_LE(copies[c].f[ax], 1.0f);
        }
        ++c;
      }
  EXPECT_GT(moved, 0);
  EXPECT_LE(moved, 16);
  // An atom count beyond the stored atoms never reads past them.
  params.natoms = 5;
  EXPECT_EQ(collect_atom_copies(params, flags, *tc.celli, atoms, false, moved).size(), 16u);
}

}  // namespace
}  // namespace porvane
