// The fast distance map against the literal one, point by point and bit for
// bit, over many small crystals.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "distmap/distance_kernel.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "distmap_test_support.hpp"

namespace porvane {
namespace {

using test::add_atom;
using test::add_random_atoms;
using test::test_crystal;

struct map_case {
  run_params params;
  run_flags flags;
  atom_store atoms;
};

// Computes the map both ways on the same grid; returns the number of points
// compared and fails on the first differing point.
std::size_t compare_maps(const map_case& mc, const crystal_record& celli,
                         const std::string& what) {
  int32_t gridmax[3];
  set_gridmax(mc.params, celli, gridmax);
  grid_store fast, literal;
  coord_range range;
  fill_grid_positions(mc.params, celli, gridmax, literal, range);
  fill_grid_positions(mc.params, celli, gridmax, fast, range);
  int32_t moved = 0;
  const auto copies = collect_atom_copies(mc.params, mc.flags, celli, mc.atoms, false, moved);
  distance_map_literal(mc.params, celli, mc.atoms, copies, literal);
  distance_map_fast(celli, copies, fast);
  for (int32_t i = 0; i <= gridmax[0]; ++i) {
    for (int32_t j = 0; j <= gridmax[1]; ++j) {
      for (int32_t k = 0; k <= gridmax[2]; ++k) {
        const std::size_t p = literal.index(i, j, k);
        const bool same = std::bit_cast<uint32_t>(literal.dist[p]) ==
                              std::bit_cast<uint32_t>(fast.dist[p]) &&
                          literal.iatom[p] == fast.iatom[p] && literal.incs[p] == fast.incs[p] &&
                          literal.isym[p] == fast.isym[p];
        if (!same) {
          ADD_FAILURE() << what << ": point " << i << " " << j << " " << k << " literal "
                        << literal.dist[p] << " (" << literal.iatom[p] << "," << literal.isym[p]
                        << "," << literal.incs[p] << ") fast " << fast.dist[p] << " ("
                        << fast.iatom[p] << "," << fast.isym[p] << "," << fast.incs[p] << ")";
          return 0;
        }
      }
    }
  }
  return literal.points();
}

const double orthogonal_cell[6] = {31.0, 24.5, 19.0, 90, 90, 90};
const double monoclinic_cell[6] = {28.0, 22.0, 33.0, 90, 104.5, 90};
const double triclinic_cell[6] = {26.0, 29.0, 23.0, 74.0, 96.0, 111.0};
const double no_shift[3] = {0, 0, 0};
const double some_shift[3] = {0.13, -0.07, 0.21};

// Cells of every shape, with fracshift, screw axes and NCS operators (one of
// them given, so never applied), on coarse and fine grids.
TEST(FastMapEqualsLiteral, CellShapesOperatorsAndGrids) {
  struct config {
    const double* cell;
    const double* shift;
    const std::vector<test::frac_op>& ops;
    std::vector<std::pair<double, int32_t>> ncs;  // rotation angle, given-flag
    int natoms;
    double flo, fhi;
    std::vector<float> grids;
  };
  const config configs[] = {
      {orthogonal_cell, no_shift, test::ops_p1(), {}, 25, -0.3, 1.3, {2.0f}},
      {orthogonal_cell, some_shift, test::ops_p212121(), {}, 30, -0.2, 1.2, {1.5f}},
      {monoclinic_cell, some_shift, test::ops_p1211(), {{60, 0}, {120, 1}, {200, 0}}, 18, 0.0, 1.0,
       {1.7f}},
      {triclinic_cell, some_shift, test::ops_p1(), {{90, 0}}, 20, -0.5, 1.5, {7.0f, 3.3f, 0.9f}},
  };
  std::mt19937 rng(1);
  int n = 0;
  for (const config& c : configs) {
    test_crystal tc(c.cell, c.shift, c.ops);
    for (const auto& [angle, given] : c.ncs) tc.add_ncs(rng, angle, given);
    map_case mc;
    add_random_atoms(mc.atoms, tc, rng, c.natoms, c.flo, c.fhi, 1.0f, 2.2f);
    mc.params.natoms = c.natoms;
    for (float g : c.grids) {
      mc.params.gridsize = g;
      EXPECT_GT(compare_maps(mc, *tc.celli, "configuration " + std::to_string(n) + " at " +
                                                std::to_string(g)),
                0u);
    }
    ++n;
  }
}

TEST(FastMapEqualsLiteral, AlphaCarbonFilter) {
  test_crystal tc(orthogonal_cell, no_shift, test::ops_p212121());
  std::mt19937 rng(5);
  map_case mc;
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const char* names[4] = {" CA ", " CB ", " N  ", " P  "};
  const char* elements[4] = {" C", " C", " N", " P"};
  for (int a = 0; a < 24; ++a) {
    const double f[3] = {u(rng), u(rng), u(rng)};
    float x[3];
    tc.to_orth(f, x);
    add_atom(mc.atoms, x, 1.7f, names[a % 4], elements[a % 4]);
  }
  mc.params.natoms = 24;
  mc.params.nca = 12;
  mc.flags.ca = 1;
  int32_t moved = 0;
  const auto copies = collect_atom_copies(mc.params, mc.flags, *tc.celli, mc.atoms, false, moved);
  ASSERT_EQ(copies.size(), 12u * 4u);  // CA and P atoms only, four operators each
  for (const atom_copy& cp : copies) EXPECT_NE(cp.a % 4, 2);  // no CB (slots 2, 6, ...)
  EXPECT_GT(compare_maps(mc, *tc.celli, "-ca"), 0u);
}

TEST(FastMapEqualsLiteral, PseudoAtomsWithLargeRadii) {
  test_crystal tc(monoclinic_cell, no_shift, test::ops_p1211());
  std::mt19937 rng(6);
  tc.add_ncs(rng, 45.0, 0);
  map_case mc;
  add_random_atoms(mc.atoms, tc, rng, 40, 0.0, 1.0, 3.0f, 9.0f);
  mc.params.natoms = 40;
  mc.params.npseudo = 12;  // only the first 12 slots are pseudo-atoms
  mc.flags.cg = 1;
  mc.flags.ca = 1;  // no effect with -cg
  int32_t moved = 0;
  const auto copies = collect_atom_copies(mc.params, mc.flags, *tc.celli, mc.atoms, false, moved);
  EXPECT_EQ(copies.size(), 12u * 2u * 2u);
  mc.params.gridsize = 2.5f;
  EXPECT_GT(compare_maps(mc, *tc.celli, "-cg"), 0u);
}

// Grid-aligned cube with atoms on symmetric places: many points are exactly
// as far from two copies, and the literal order decides.
TEST(FastMapEqualsLiteral, ExactTiesFollowTheLoopOrder) {
  const double cube[6] = {20.0, 20.0, 20.0, 90, 90, 90};
  test_crystal tc(cube, no_shift, test::ops_p212121());
  map_case mc;
  const float places[][3] = {{5, 10, 10}, {15, 10, 10}, {0, 0, 0}, {20, 20, 20},
                             {10, 5, 0},  {10, 15, 20}, {0, 10, 5}};
  for (const auto& x : places) add_atom(mc.atoms, x, 1.5f);
  mc.params.natoms = 7;
  // At 2.5 Å the plane 15 Å from x = 5 is exactly half a cell away: the
  // direct position and its image tie there, and the direct one wins.
  for (float g : {2.5f, 4.0f, 2.0f}) {
    mc.params.gridsize = g;
    EXPECT_GT(compare_maps(mc, *tc.celli, "ties at " + std::to_string(g)), 0u);
  }

  // A point on the mirror plane between the first two atoms: both are at the
  // same distance, the first atom in the loop order keeps it.
  int32_t gridmax[3];
  set_gridmax(mc.params, *tc.celli, gridmax);
  grid_store g;
  coord_range range;
  fill_grid_positions(mc.params, *tc.celli, gridmax, g, range);
  int32_t moved = 0;
  const auto copies = collect_atom_copies(mc.params, mc.flags, *tc.celli, mc.atoms, false, moved);
  distance_map_fast(*tc.celli, copies, g);
  const std::size_t p = g.index(5, 5, 5);  // (10, 10, 10) Å
  EXPECT_EQ(g.dist[p], 3.5f);
  EXPECT_EQ(g.iatom[p], 1);
  EXPECT_EQ(g.isym[p], 1);
}

// Two symmetry copies of one atom at the same distance: the lower operator.
TEST(FastMapEqualsLiteral, EqualSymmetryCopiesKeepTheLowerOperator) {
  const double cube[6] = {20.0, 20.0, 20.0, 90, 90, 90};
  // Operator 2 maps (x, y, z) to (1 - x, y, z): mirror about x = 0.5.
  const std::vector<test::frac_op> ops = {{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 0, 0}},
                                          {{{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {1.0, 0, 0}}};
  test_crystal tc(cube, no_shift, ops);
  map_case mc;
  const float x[3] = {6.0f, 10.0f, 10.0f};
  add_atom(mc.atoms, x, 1.6f);
  mc.params.natoms = 1;
  EXPECT_GT(compare_maps(mc, *tc.celli, "mirror"), 0u);
  int32_t gridmax[3];
  set_gridmax(mc.params, *tc.celli, gridmax);
  grid_store g;
  coord_range range;
  fill_grid_positions(mc.params, *tc.celli, gridmax, g, range);
  int32_t moved = 0;
  distance_map_fast(*tc.celli, collect_atom_copies(mc.params, mc.flags, *tc.celli, mc.atoms, false, moved), g);
  const std::size_t p = g.index(5, 4, 5);  // (10, 8, 10): 4 Å and 2 Å off both copies
  EXPECT_EQ(g.isym[p], 1);
  EXPECT_EQ(g.iatom[p], 1);
  EXPECT_EQ(g.dist[p], std::sqrt(20.0f) - 1.6f);
}

// An axis with a count of 0 has no image shift at all (index / count is not
// a number); a single atom and no atoms at all.
TEST(FastMapEqualsLiteral, DegenerateGridsAndStructures) {
  const double flat[6] = {30.0, 25.0, 3.0, 90, 90, 90};
  test_crystal tc(flat, some_shift, test::ops_p212121());
  std::mt19937 rng(7);
  map_case mc;
  add_random_atoms(mc.atoms, tc, rng, 6, 0.0, 1.0, 1.5f, 1.5f);
  mc.params.natoms = 6;
  mc.params.gridsize = 8.0f;  // counts 4, 3, 0
  EXPECT_GT(compare_maps(mc, *tc.celli, "count 0"), 0u);

  map_case one;
  const float x[3] = {1.0f, 2.0f, 1.0f};
  add_atom(one.atoms, x, 1.8f);
  one.params.natoms = 1;
  EXPECT_GT(compare_maps(one, *tc.celli, "one atom"), 0u);

  map_case none;
  EXPECT_GT(compare_maps(none, *tc.celli, "no atoms"), 0u);
  int32_t gridmax[3];
  set_gridmax(none.params, *tc.celli, gridmax);
  grid_store g;
  coord_range range;
  fill_grid_positions(none.params, *tc.celli, gridmax, g, range);
  distance_map_fast(*tc.celli, {}, g);
  for (std::size_t p = 0; p < g.points(); ++p) {
    EXPECT_EQ(g.dist[p], 10000.0f);
    EXPECT_EQ(g.iatom[p], 0);
  }
}

// Atoms far from everything: a point farther than 10000 Å keeps the start
// value, exactly as the strict comparison of the literal map leaves it.
TEST(FastMapEqualsLiteral, DistancesBeyondTheStartValue) {
  const double huge[6] = {30000.0, 30000.0, 30000.0, 90, 90, 90};
  test_crystal tc(huge, no_shift, test::ops_p1());
  map_case mc;
  const float x[3] = {15000.0f, 15000.0f, 15000.0f};
  add_atom(mc.atoms, x, 1.0f);
  mc.params.natoms = 1;
  mc.params.gridsize = 4000.0f;  // counts 8: corners lie beyond 10000 Å
  EXPECT_GT(compare_maps(mc, *tc.celli, "far"), 0u);
}

// Many random crystals of every kind.
TEST(FastMapEqualsLiteral, RandomCrystals) {
  std::mt19937 rng(20261206);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::size_t compared = 0;
  for (int trial = 0; trial < 48; ++trial) {
    double cell[6] = {15 + 25 * u(rng), 15 + 25 * u(rng), 15 + 25 * u(rng), 90, 90, 90};
    const int kind = trial % 3;
    if (kind == 1) cell[4] = 95 + 20 * u(rng);
    if (kind == 2) {
      cell[3] = 70 + 40 * u(rng);
      cell[4] = 70 + 40 * u(rng);
      cell[5] = 70 + 40 * u(rng);
    }
    const double shift[3] = {u(rng) - 0.5, u(rng) - 0.5, u(rng) - 0.5};
    const auto& ops = kind == 0 ? test::ops_p212121() : kind == 1 ? test::ops_p1211() : test::ops_p1();
    test_crystal tc(cell, trial % 2 ? shift : no_shift, ops);
    const int nncs = static_cast<int>(u(rng) * 3);
    for (int n = 0; n < nncs; ++n) tc.add_ncs(rng, 360 * u(rng), u(rng) < 0.3 ? 1 : 0);
    map_case mc;
    const int natoms = 1 + static_cast<int>(u(rng) * 30);
    const bool pseudo = trial % 7 == 3;
    add_random_atoms(mc.atoms, tc, rng, natoms, -0.6, 1.6, pseudo ? 3.0f : 1.0f,
                     pseudo ? 10.0f : 2.1f);
    mc.params.natoms = natoms;
    mc.params.npseudo = natoms;
    mc.flags.cg = pseudo ? 1 : 0;
    mc.params.gridsize = static_cast<float>(0.9 + 3.0 * u(rng));
    compared += compare_maps(mc, *tc.celli, "random crystal " + std::to_string(trial));
    if (HasFailure()) break;
  }
  EXPECT_GT(compared, 100000u);
}

// The runs of equal image shift agree with the shift at every index: for
// random coordinates, coordinates on grid fractions and one step off them,
// the cell faces, coordinates left outside the cell, and a count of 0.
TEST(FastMap, ImageShiftRunsMatchEveryIndex) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<float> u(-0.2f, 1.2f);
  std::vector<shift_run> runs;
  for (int32_t n : {0, 1, 2, 3, 7, 25, 64, 139, 250}) {
    std::vector<float> fs = {0.0f, 1.0f, 0.5f, -0.0f, 1.5f, -0.75f, 2.25f};
    for (int t = 0; t < 200; ++t) fs.push_back(u(rng));
    for (int32_t q = 0; q <= n; ++q) {
      const float at = n > 0 ? static_cast<float>(q) / static_cast<float>(n) : 0.0f;
      for (float base : {at + 0.5f, at - 0.5f}) {
        fs.push_back(base);
        fs.push_back(std::nextafter(base, 2.0f));
        fs.push_back(std::nextafter(base, -2.0f));
      }
    }
    for (float fc : fs) {
      image_shift_runs(fc, n, runs);
      int32_t next = 0;
      for (const shift_run& r : runs) {
        ASSERT_EQ(r.lo, next);
        ASSERT_LE(r.lo, r.hi);
        for (int32_t idx = r.lo; idx <= r.hi; ++idx)
          ASSERT_EQ(r.h, image_shift(fc, idx, n)) << "f " << fc << " n " << n << " index " << idx;
        next = r.hi + 1;
      }
      ASSERT_EQ(next, n + 1);
    }
  }
}

// A sample for the time estimate computes some rows and leaves the rest.
TEST(FastMap, SampleComputesPartOfTheGrid) {
  test_crystal tc(orthogonal_cell, no_shift, test::ops_p1());
  std::mt19937 rng(8);
  map_case mc;
  add_random_atoms(mc.atoms, tc, rng, 10, 0.0, 1.0, 1.5f, 1.5f);
  mc.params.natoms = 10;
  mc.params.gridsize = 1.0f;
  int32_t gridmax[3];
  set_gridmax(mc.params, *tc.celli, gridmax);
  grid_store g;
  coord_range range;
  fill_grid_positions(mc.params, *tc.celli, gridmax, g, range);
  int32_t moved = 0;
  const auto copies = collect_atom_copies(mc.params, mc.flags, *tc.celli, mc.atoms, false, moved);
  const fast_map_stats st = distance_map_fast(*tc.celli, copies, g, 4);
  EXPECT_GT(st.blocks_done, 0);
  EXPECT_LT(st.blocks_done, st.blocks);
  std::size_t untouched = 0;
  for (float d : g.dist) untouched += d == 0.0f;
  EXPECT_GT(untouched, 0u);
}

}  // namespace
}  // namespace porvane
