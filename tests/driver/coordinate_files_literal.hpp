// The coordinate files by their definitions: the nearest channel point of an
// atom, measured against every channel point and every image, and the
// expanded file written record by record.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "common/cell_frame.hpp"
#include "common/coordinate_record.hpp"
#include "common/grid_store.hpp"
#include "distmap/distance_map.hpp"
#include "support/loaded_structure.hpp"

namespace porvane::test {

// (W, B) of the atom at c: cluster number and distance of its nearest channel
// point, (-1, 1000) without one. Every channel point in the order i, j, k, the
// least distance over its 27 images (the grid position plus orthmat times the
// shift); a strictly smaller distance takes the atom.
inline std::pair<float, float> nearest_literal(const cell_frame& frame, float gridsize, const grid_store& gridi,
                                               const float c[3]) {
  float w = -1.0f, b = 1000.0f;
  for (int32_t i = 0; i <= gridi.n[0]; ++i)
    for (int32_t j = 0; j <= gridi.n[1]; ++j)
      for (int32_t k = 0; k <= gridi.n[2]; ++k) {
        const int32_t clust = gridi.clust[gridi.index(i, j, k)];
        if (clust == -1) continue;
        float p[3];
        grid_point_position(frame, gridsize, i, j, k, p);
        float d = std::numeric_limits<float>::infinity();
        for (int sa = -1; sa <= 1; ++sa)
          for (int sb = -1; sb <= 1; ++sb)
            for (int sc = -1; sc <= 1; ++sc) {
              const float shift[3] = {float(sa), float(sb), float(sc)};
              float o[3];
              matrix_times(frame.orthmat, shift, o);
              const float dx = (p[0] + o[0]) - c[0], dy = (p[1] + o[1]) - c[1], dz = (p[2] + o[2]) - c[2];
              d = std::min(d, std::sqrt((dx * dx + dy * dy) + dz * dz));
            }
        if (b > d) b = d, w = static_cast<float>(clust);
      }
  return {w, b};
}

// A coordinate line of `rec` with the given names, chain, position, W and B.
inline std::string atom_line(const atom_record& rec, std::string_view atname, std::string_view resname,
                             std::string_view chain, const float x[3], float w, float b) {
  return formatted_text(coordinate_record_format, {rec.recname, rec.serial, atname, rec.altloc, resname, chain,
                                                   rec.resseq, x[0], x[1], x[2], w, b}) +
         "\n";
}

// The expanded file of a loaded run: the header lines (CRYST1 in P 1, the
// others' first 80 columns), then for s, n, a the copy wrapped into the cell,
// chain character A + (s - 1) mod 62; W and B from `wb` by atom when given.
inline std::string expanded_reference(const testing::loaded_structure& run,
                                      const std::vector<std::pair<float, float>>& wb = {}) {
  const crystal_record& celli = *run.celli;
  std::string text;
  for (int32_t h = 0; h < run.state.nheader; ++h) {
    const std::string line(run.header[h].view());
    text += line.rfind("CRYST1", 0) == 0 ? formatted_text("(a6,3(f9.3),3(f7.2),' P 1          ')",
                                                          {"CRYST1", celli.cell[0], celli.cell[1], celli.cell[2],
                                                           celli.cell[3], celli.cell[4], celli.cell[5]})
                                         : line.substr(0, 80);
    text += '\n';
  }
  const int32_t natoms = run.flags.cg ? run.atoms.count.npseudo : run.atoms.count.natoms;
  for (int32_t s = 1; s <= celli.nsym; ++s)
    for (int32_t n = 1; n <= celli.nncs; ++n)
      for (int32_t a = 1; a <= natoms; ++a) {
        const atom_record& rec = run.atoms.pdbdata[a - 1];
        if (celli.ncsgiven[n - 1] != 0) continue;
        if (run.flags.ca && !run.flags.cg && !(rec.atname == " CA " || rec.element == " P")) continue;
        atom_copy cp;
        bool outside[3];
        place_atom_copy(celli, run.atoms, a, s, n, cp, outside);
        const char chain[1] = {static_cast<char>('A' + (s - 1) % 62)};
        const auto [w, b] = wb.empty() ? std::pair(rec.occupancy, rec.bfactor) : wb[a - 1];
        text += atom_line(rec, rec.atname, rec.resname, std::string_view(chain, 1), cp.x, w, b);
      }
  return text;
}

}  // namespace porvane::test
