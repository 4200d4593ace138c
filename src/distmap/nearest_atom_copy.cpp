// One grid point against every atom copy.
#include "distmap/nearest_atom_copy.hpp"

#include "distmap/distance_kernel.hpp"
#include "distmap/distance_map.hpp"

namespace porvane {

int32_t nearest_atom_copy(const run_flags& flags, const crystal_record& celli, const atom_store& atoms,
                          const grid_store& gridi, const int32_t gridmax[3], const int32_t g[3]) {
  for (int c = 0; c < 3; ++c)
    if (g[c] < 0 || g[c] > gridi.n[c]) return 0;
  int32_t moved = 0;
  const std::vector<atom_copy> copies = collect_atom_copies(flags, celli, atoms, false, moved);
  const std::size_t p = gridi.index(g[0], g[1], g[2]);
  const float pos[3] = {gridi.x[p], gridi.y[p], gridi.z[p]};
  float best = no_atom_distance;
  int32_t atom = 0;
  for (const atom_copy& cp : copies) {
    measure_copy_at_point(celli, pos, g, gridmax, cp.x, cp.f, cp.r, [&](float d) {
      if (best > d) {
        best = d;
        atom = cp.a;
      }
    });
  }
  return atom;
}

}  // namespace porvane
