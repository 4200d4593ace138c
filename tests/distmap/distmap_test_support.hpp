// Crystals for the distance-map tests, read from PDB text as a run reads them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/report_writer.hpp"
#include "input/header_reader.hpp"
#include "common/linear_algebra.hpp"
#include "support/captured_report.hpp"
#include "support/run_program.hpp"

namespace porvane::test {

// A crystal read from a CRYST1 record (cell in Å and degrees, space group)
// and MTRIX records (rotations by an angle about (1, 1, 1), given-flags) as a
// run reads it, with the orthogonalisation matrix inverted and a fracshift.
inline std::unique_ptr<crystal_record> make_crystal(const std::vector<double>& c, const char* group,
                                                    const std::vector<std::pair<double, int>>& ncs = {},
                                                    const std::vector<float>& shift = {0, 0, 0}) {
  char line[100];
  std::snprintf(line, sizeof line, "CRYST1%9.3f%9.3f%9.3f%7.2f%7.2f%7.2f %-11s\n", c[0], c[1], c[2], c[3], c[4],
                c[5], group);
  std::string text = line;
  for (std::size_t n = 0; n < ncs.size(); ++n) {
    const double th = ncs[n].first * std::acos(-1.0) / 180.0, co = std::cos(th), si = std::sin(th);
    for (int r = 0; r < 3; ++r) {
      double m[3];  // cos θ I + sin θ [a]x + (1 − cos θ) a aᵀ
      for (int q = 0; q < 3; ++q) m[q] = (r == q ? co : si * ((q - r + 3) % 3 == 1 ? -1 : 1) / std::sqrt(3.0)) + (1 - co) / 3;
      std::snprintf(line, sizeof line, "MTRIX%d %3zu%10.6f%10.6f%10.6f     %10.5f    %d\n", r + 1, n + 2, m[0], m[1],
                    m[2], ncs[n].first / (12.0 + r), ncs[n].second);
      text += line;
    }
  }
  const std::string path = std::filesystem::temp_directory_path() / ("porvane_distmap_" + std::to_string(getpid()));
  std::ofstream(path) << text << "ATOM      1  CA  ALA A   1       1.000   1.000   1.000  1.00 10.00           C\n";
  auto celli = std::make_unique<crystal_record>();
  header_store header;
  int32_t nheader = 0;
  run_flags flags;
  run_params params;
  testing::captured_report([&] { read_header(path, *celli, header, nheader, flags, params); });
  std::filesystem::remove(path);
  matinv(celli->fracmat, celli->orthmat);
  std::copy(shift.begin(), shift.end(), celli->fracshift);
  return celli;
}

inline void add_atom(atom_store& atoms, const float x[3], float r, const char* atname = " C  ",
                     const char* element = " C") {
  atom_record rec;
  rec.atname = atname;
  rec.element = element;
  for (int c = 0; c < 3; ++c) rec.xyz[c] = x[c], atoms.coords.push_back(x[c]);
  rec.radius = r;
  atoms.pdbdata.push_back(rec);
}

// n atoms GLY 1..n at random fractions frac of the cell (each axis drawn in
// turn) with random radii, their names and elements taken in turn from `names`.
inline void add_random_atoms(atom_store& atoms, const crystal_record& celli, int n, std::array<float, 2> frac,
                             std::array<float, 2> radii, std::mt19937& rng,
                             const std::vector<std::array<const char*, 2>>& names = {{" C  ", " C"}}) {
  std::uniform_real_distribution<float> uf(frac[0], frac[1]), ur(radii[0], radii[1]);
  for (int a = 0; a < n; ++a) {
    const float f[3] = {uf(rng), uf(rng), uf(rng)};
    float x[3];
    frac_to_real(celli, f, x);
    const auto& name = names[static_cast<std::size_t>(a) % names.size()];
    add_atom(atoms, x, ur(rng), name[0], name[1]);
    atoms.pdbdata.back().resname = "GLY", atoms.pdbdata.back().resseq = a + 1;
  }
}

}  // namespace porvane::test
