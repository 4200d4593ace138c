// One grid point against every atom copy.
#include "distmap/nearest_atom_copy.hpp"

#include "distmap/distance_kernel.hpp"
#include "distmap/distance_map.hpp"

namespace porvane {

int32_t nearest_atom_copy(const run_params& params, const run_flags& flags,
                          const crystal_record& celli, const atom_store& atoms,
                          const grid_store& gridi, const int32_t gridmax[3], const int32_t g[3]) {
  for (int c = 0; c < 3; ++c)
    if (g[c] < 0 || g[c] > gridi.n[c]) return 0;
  int32_t moved = 0;
  const std::vector<atom_copy> copies = collect_atom_copies(params, flags, celli, atoms, false, moved);
  const std::size_t p = gridi.index(g[0], g[1], g[2]);
  const float px = gridi.x[p], py = gridi.y[p], pz = gridi.z[p];
  float best = 10000.0f;  // the map's start distance
  int32_t atom = 0;
  for (const atom_copy& cp : copies) {
    auto take = [&](float d) {
      if (best > d) {
        best = d;
        atom = cp.a;
      }
    };
    take(surface_distance(px, py, pz, cp.x, cp.r));
    const int32_t h[3] = {image_shift(cp.f[0], g[0], gridmax[0]), image_shift(cp.f[1], g[1], gridmax[1]),
                          image_shift(cp.f[2], g[2], gridmax[2])};
    if (h[0] != 0 || h[1] != 0 || h[2] != 0) {
      float xi[3];
      image_position(celli, cp.f, h, xi);
      take(surface_distance(px, py, pz, xi, cp.r));
    }
  }
  return atom;
}

}  // namespace porvane
