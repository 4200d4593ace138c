// The atom nearest to one grid point, measured against every atom copy as
// the map measures, names the atom the map itself kept at that point.
#include <gtest/gtest.h>

#include <random>

#include "distmap/distance_map.hpp"
#include "distmap/distmap_test_support.hpp"
#include "distmap/nearest_atom_copy.hpp"
#include "support/loaded_structure.hpp"

namespace porvane {
namespace {

TEST(NearestAtomCopy, NamesTheAtomOfTheMap) {
  std::mt19937 rng(11);
  const std::vector<std::tuple<std::vector<double>, const char*, std::vector<std::pair<double, int>>, float>> crystals = {
      {{31.0, 24.5, 19.0, 90, 90, 90}, "P 21 21 21", {}, 1.5f},
      {{26.0, 29.0, 23.0, 74.0, 96.0, 111.0}, "P 1", {{90, 0}, {200, 1}}, 2.0f},
      {{23.0, 23.0, 31.0, 90, 90, 120}, "P 61", {}, 1.3f},
  };
  for (const auto& [cell, group, ncs, gridsize] : crystals) {
    const auto celli = test::make_crystal(cell, group, ncs, {0.13f, -0.07f, 0.21f});
    atom_store atoms;
    test::add_random_atoms(atoms, *celli, 25, {-0.2f, 1.2f}, {1.0f, 2.2f}, rng);
    run_params params;
    atoms.count.natoms = static_cast<int32_t>(atoms.pdbdata.size());
    params.gridsize = gridsize;
    const run_flags flags;
    grid_store gridi;
    testing::compute_map(*celli, atoms, flags, params, gridi);
    const int32_t* gridmax = gridi.n;
    for (int32_t i = 0; i <= gridmax[0]; i += 2)
      for (int32_t j = 0; j <= gridmax[1]; j += 3)
        for (int32_t k = 0; k <= gridmax[2]; ++k) {
          const int32_t g[3] = {i, j, k};
          ASSERT_EQ(nearest_atom_copy(flags, *celli, atoms, gridi, gridmax, g), gridi.iatom[gridi.index(i, j, k)])
              << group << " " << i << " " << j << " " << k;
        }
    const int32_t outside[3] = {gridmax[0] + 1, 0, 0};
    EXPECT_EQ(nearest_atom_copy(flags, *celli, atoms, gridi, gridmax, outside), 0);
  }
  // No atoms: no copy comes nearer than the start distance.
  const auto celli = test::make_crystal({20, 20, 20, 90, 90, 90}, "P 1");
  grid_store gridi;
  testing::compute_map(*celli, atom_store{}, run_flags{}, run_params{}, gridi);
  const int32_t g[3] = {1, 2, 3};
  EXPECT_EQ(nearest_atom_copy(run_flags{}, *celli, atom_store{}, gridi, gridi.n, g), 0);
}

}  // namespace
}  // namespace porvane
