// One atom copy applied to every point of the search box, point by point.
#include "distmap/distance_kernel.hpp"
#include "distmap/distance_map.hpp"

namespace porvane {

void check_next_atom(int32_t a, int32_t s, int32_t n, const run_params& params,
                     const cell_frame& frame, const float x[3], const float f[3],
                     grid_store& gridi, const int32_t gridmax[3], const atom_store& atoms) {
  const float r = atoms.pdbdata[static_cast<std::size_t>(a - 1)].radius;
  const int32_t* lo = params.boxlo;
  const int32_t* hi = params.boxhi;
  for (int32_t i = lo[0]; i <= hi[0]; ++i) {
    const int32_t ii = wrap_index(i, gridmax[0]);
    // A box reaching beyond one wrap, or counts that do not match the store,
    // would address points that do not exist: those are passed over.
    if (ii < 0 || ii > gridmax[0] || ii > gridi.n[0]) continue;
    for (int32_t j = lo[1]; j <= hi[1]; ++j) {
      const int32_t jj = wrap_index(j, gridmax[1]);
      if (jj < 0 || jj > gridmax[1] || jj > gridi.n[1]) continue;
      for (int32_t k = lo[2]; k <= hi[2]; ++k) {
        const int32_t kk = wrap_index(k, gridmax[2]);
        if (kk < 0 || kk > gridmax[2] || kk > gridi.n[2]) continue;
        const std::size_t p = gridi.index(ii, jj, kk);
        const float pos[3] = {gridi.x[p], gridi.y[p], gridi.z[p]};
        const int32_t idx[3] = {ii, jj, kk};
        // A strictly smaller distance takes the point: of equal ones, the
        // copy applied first keeps it.
        measure_copy_at_point(frame, pos, idx, gridmax, x, f, r, [&](float d) {
          if (gridi.dist[p] > d) {
            gridi.dist[p] = d;
            gridi.iatom[p] = a;
            gridi.incs[p] = n;
            gridi.isym[p] = s;
          }
        });
      }
    }
  }
}

}  // namespace porvane
