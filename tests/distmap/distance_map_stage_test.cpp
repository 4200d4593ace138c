// The map stage as a whole: grid-size limit, time budget, report lines.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "distmap/distance_map.hpp"
#include "distmap_test_support.hpp"

namespace porvane {
namespace {

using test::test_crystal;

const double no_shift[3] = {0, 0, 0};

struct stage_run {
  std::string out;
  int renames = 0;
};

stage_run run_stage(run_params& params, run_flags& flags, crystal_record& celli,
                    atom_store& atoms, grid_store& gridi, run_state& state) {
  stage_run r;
  ::testing::internal::CaptureStdout();
  try {
    calculate_distance_map(params, flags, celli, atoms, gridi, state, [&r] { ++r.renames; });
  } catch (...) {
    report().flush();
    r.out = ::testing::internal::GetCapturedStdout();
    throw;
  }
  report().flush();
  r.out = ::testing::internal::GetCapturedStdout();
  return r;
}

// A 502 Å edge needs 251 intervals at 2.0 Å: the grid size becomes 2.008.
TEST(DistanceMapStage, GridLimitRaisesTheGridSize) {
  const double cell[6] = {502.0, 10.0, 12.0, 90, 90, 90};
  test_crystal tc(cell, no_shift, test::ops_p1());
  atom_store atoms;
  const float x[3] = {100.0f, 5.0f, 6.0f};
  test::add_atom(atoms, x, 1.6f);
  run_params params;
  params.natoms = 1;
  run_flags flags;
  flags.f = 1;
  grid_store gridi;
  run_state state;
  state.nncs_applied = 1;
  const stage_run r = run_stage(params, flags, *tc.celli, atoms, gridi, state);
  EXPECT_NE(r.out.find("\n Calculating new distance map...\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" Starting with a gridsize of   2.0\n"
                       "   Requires grid of   251    5    6 but maximum grid is   250.\n"
                       "   Resetting gridsize to:   2.0\n"),
            std::string::npos)
      << r.out;
  EXPECT_FLOAT_EQ(params.gridsize, 2.008f);
  EXPECT_EQ(state.gridmax[0], 250);
  EXPECT_EQ(gridi.n[0], 250);
  EXPECT_EQ(params.boxhi[0], 250);
  EXPECT_EQ(r.renames, 1);
  EXPECT_NE(r.out.find("\n    Number of gridpoints:        10542\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" Map calculation completed in: "), std::string::npos);
  // The point nearest the atom: 100 Å lies between points 49 and 50.
  const std::size_t p = gridi.index(50, 2, 3);
  EXPECT_NEAR(gridi.x[p], 100.4f, 1e-4);
  const float dx = gridi.x[p] - 100.0f, dy = gridi.y[p] - 5.0f, dz = gridi.z[p] - 6.0f;
  EXPECT_NEAR(gridi.dist[p], std::sqrt(dx * dx + dy * dy + dz * dz) - 1.6f, 1e-5);
  EXPECT_EQ(gridi.iatom[p], 1);
}

// The whole stage on a small crystal gives the literal map, and the count,
// progress and verbose lines.
TEST(DistanceMapStage, MapLinesAndProgressMarks) {
  const double cell[6] = {20.0, 18.0, 16.0, 90, 90, 90};
  test_crystal tc(cell, no_shift, test::ops_p212121());
  std::mt19937 rng(21);
  atom_store atoms;
  test::add_random_atoms(atoms, tc, rng, 1000, -0.2, 1.2, 1.4f, 1.9f);
  run_params params;
  params.natoms = 1000;
  params.gridsize = 4.0f;
  run_flags flags;
  flags.f = 1;
  flags.vb = 1;
  grid_store gridi;
  run_state state;
  state.nncs_applied = 1;
  const stage_run r = run_stage(params, flags, *tc.celli, atoms, gridi, state);
  // 6 × 6 × 5 points, 1000 atoms under 4 operators: 10^5.857.
  EXPECT_NE(r.out.find("\n    Number of gridpoints:          180\n"
                       "    Number of atoms     :         1000\n"
                       "   Number of distance calculations: 10^  5.9\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(" Gridmax:            5           5           4           0           0"
                       "           0        1000           4   4.00000000    \n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\n  5... 15... 25... 35... 45... 55... 65... 75... 85... 95...  \n"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(" Gridsize            5           5           4\n"), std::string::npos);
  EXPECT_NE(r.out.find(" atoms were near cell edges and were moved to the other side of the unit cell.\n"),
            std::string::npos);

  grid_store literal;
  coord_range range;
  fill_grid_positions(params, *tc.celli, state.gridmax, literal, range);
  int32_t moved = 0;
  distance_map_literal(params, *tc.celli, atoms,
                       collect_atom_copies(params, flags, *tc.celli, atoms, false, moved), literal);
  EXPECT_EQ(literal.dist, gridi.dist);
  EXPECT_EQ(literal.iatom, gridi.iatom);
  EXPECT_EQ(literal.isym, gridi.isym);
  EXPECT_EQ(literal.incs, gridi.incs);
  std::string count = std::to_string(moved);
  count.insert(0, 11 - count.size(), ' ');
  EXPECT_NE(r.out.find("\n " + count + "  atoms were near"),
            std::string::npos)
      << r.out;
}

TEST(DistanceMapStage, OneAtomGivesOneMarkOfHundred) {
  const double cell[6] = {20.0, 18.0, 16.0, 90, 90, 90};
  test_crystal tc(cell, no_shift, test::ops_p1());
  atom_store atoms;
  const float x[3] = {3.0f, 4.0f, 5.0f};
  test::add_atom(atoms, x, 1.6f);
  run_params params;
  params.natoms = 1;
  run_flags flags;
  flags.f = 1;
  grid_store gridi;
  run_state state;
  state.nncs_applied = 1;
  const stage_run r = run_stage(params, flags, *tc.celli, atoms, gridi, state);
  EXPECT_NE(r.out.find("\n100...  \n Map calculation completed in: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" \n  Gridsize used:    2.00000000    \n"), std::string::npos) << r.out;
}

// A budget that the estimate exceeds raises the grid size once, unless -f.
TEST(DistanceMapStage, TimeBudget) {
  const double cell[6] = {40.0, 36.0, 30.0, 90, 90, 90};
  test_crystal tc(cell, no_shift, test::ops_p1());
  atom_store atoms;
  std::mt19937 rng(22);
  test::add_random_atoms(atoms, tc, rng, 50, 0.0, 1.0, 1.5f, 1.5f);
  for (int32_t f : {1, 0}) {
    run_params params;
    params.natoms = 50;
    params.gridsize = 1.0f;  // enough work for a measurable estimate on any clock
    params.maxtime = 1.0e-12f;
    run_flags flags;
    flags.f = f;
    grid_store gridi;
    run_state state;
    state.nncs_applied = 1;
    const stage_run r = run_stage(params, flags, *tc.celli, atoms, gridi, state);
    EXPECT_NE(r.out.find("    Est. time to calculate distance map:"), std::string::npos);
    const bool reset = r.out.find("    Gridsize reset to: ") != std::string::npos;
    EXPECT_EQ(reset, f == 0) << r.out;
    if (f == 0) {
      EXPECT_GT(params.gridsize, 1.0f);
      EXPECT_EQ(gridi.n[0], state.gridmax[0]);
      EXPECT_EQ(params.boxhi[2], state.gridmax[2]);
    } else {
      EXPECT_EQ(params.gridsize, 1.0f);
    }
  }
  // A budget of zero: the coarsest grid with one interval on the shortest edge.
  run_params params;
  params.natoms = 50;
  params.maxtime = 0.0f;
  run_flags flags;
  grid_store gridi;
  run_state state;
  state.nncs_applied = 1;
  const stage_run r = run_stage(params, flags, *tc.celli, atoms, gridi, state);
  EXPECT_EQ(params.gridsize, 30.0f) << r.out;
  EXPECT_EQ(state.gridmax[2], 1);
  EXPECT_EQ(gridi.points(), 2u * 2u * 2u);
}

TEST(DistanceMapStage, GridSizeOfZeroStopsCleanly) {
  const double cell[6] = {40.0, 36.0, 30.0, 90, 90, 90};
  test_crystal tc(cell, no_shift, test::ops_p1());
  atom_store atoms;
  run_params params;
  params.gridsize = 0.0f;
  run_flags flags;
  grid_store gridi;
  run_state state;
  try {
    run_stage(params, flags, *tc.celli, atoms, gridi, state);
    ADD_FAILURE() << "no stop";
  } catch (const run_stop& stop) {
    EXPECT_EQ(stop.status, plain_stop);
  }
}

}  // namespace
}  // namespace porvane
