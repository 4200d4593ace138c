// Small crystals built in memory for the distance-map tests: a cell with its
// matrices, symmetry operators in orthogonal form, NCS operators and atoms.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"

namespace porvane::test {

using mat3 = double[3][3];

// A fractional symmetry operator x' = R x + t.
struct frac_op {
  int rot[3][3];
  double trn[3];
};

inline const std::vector<frac_op>& ops_p1() {
  static const std::vector<frac_op> ops = {{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 0, 0}}};
  return ops;
}
inline const std::vector<frac_op>& ops_p212121() {
  static const std::vector<frac_op> ops = {
      {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 0, 0}},
      {{{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}, {0.5, 0, 0.5}},
      {{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}, {0, 0.5, 0.5}},
      {{{1, 0, 0}, {0, -1, 0}, {0, 0, -1}}, {0.5, 0.5, 0}}};
  return ops;
}
inline const std::vector<frac_op>& ops_p1211() {
  static const std::vector<frac_op> ops = {
      {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 0, 0}},
      {{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}, {0, 0.5, 0}}};
  return ops;
}

inline void invert3(const mat3 a, mat3 b) {
  const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                     a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                     a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  b[0][0] = (a[1][1] * a[2][2] - a[1][2] * a[2][1]) / det;
  b[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det;
  b[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det;
  b[1][0] = (a[1][2] * a[2][0] - a[1][0] * a[2][2]) / det;
  b[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det;
  b[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det;
  b[2][0] = (a[1][0] * a[2][1] - a[1][1] * a[2][0]) / det;
  b[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det;
  b[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det;
}

// A crystal with the given cell (Å, degrees), fracshift and fractional
// symmetry operators; the operators are stored in orthogonal form.
struct test_crystal {
  std::unique_ptr<crystal_record> celli = std::make_unique<crystal_record>();
  mat3 orth{}, frac{};

  test_crystal(const double cell[6], const double shift[3], const std::vector<frac_op>& ops) {
    crystal_record& c = *celli;
    const double d2r = std::acos(-1.0) / 180.0;
    const double ca = std::cos(cell[3] * d2r), cb = std::cos(cell[4] * d2r);
    const double cg = std::cos(cell[5] * d2r), sg = std::sin(cell[5] * d2r);
    const double v = cell[0] * cell[1] * cell[2] *
                     std::sqrt(1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg);
    const mat3 o = {{cell[0], cell[1] * cg, cell[2] * cb},
                    {0, cell[1] * sg, cell[2] * (ca - cb * cg) / sg},
                    {0, 0, v / (cell[0] * cell[1] * sg)}};
    // Right angles give exact zeros, not cos(90°) residues.
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) orth[r][k] = std::fabs(o[r][k]) < 1e-9 * cell[0] ? 0.0 : o[r][k];
    invert3(orth, frac);
    for (int i = 0; i < 6; ++i) c.cell[i] = static_cast<float>(cell[i]);
    for (int r = 0; r < 3; ++r) {
      c.fracshift[r] = static_cast<float>(shift[r]);
      for (int k = 0; k < 3; ++k) {
        c.orthmat[r][k] = static_cast<float>(orth[r][k]);
        c.fracmat[r][k] = static_cast<float>(frac[r][k]);
      }
    }
    c.nsym = static_cast<int32_t>(ops.size());
    for (std::size_t s = 0; s < ops.size(); ++s) {
      // R_orth = O · R · F, t_orth = O · t.
      for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 3; ++k) {
          double sum = 0;
          for (int p = 0; p < 3; ++p)
            for (int q = 0; q < 3; ++q) sum += orth[r][p] * ops[s].rot[p][q] * frac[q][k];
          c.rsym[s][r][k] = static_cast<float>(sum);
        }
        double t = 0;
        for (int p = 0; p < 3; ++p) t += orth[r][p] * ops[s].trn[p];
        c.rsym[s][r][3] = static_cast<float>(t);
        c.rsym[s][3][r] = 0.0f;
      }
      c.rsym[s][3][3] = 1.0f;
    }
    c.nncs = 1;
    set_identity_ncs(0);
  }

  void set_identity_ncs(int n) {
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 4; ++k) celli->rncs[n][r][k] = (r == k) ? 1.0f : 0.0f;
    celli->ncsgiven[n] = 0;
  }

  // A further NCS operator: rotation by `angle` degrees about a random axis
  // and a translation, with its given-flag.
  void add_ncs(std::mt19937& rng, double angle, int32_t given) {
    crystal_record& c = *celli;
    const int n = c.nncs++;
    std::normal_distribution<double> g(0.0, 1.0);
    double ax[3] = {g(rng), g(rng), g(rng)};
    const double len = std::sqrt(ax[0] * ax[0] + ax[1] * ax[1] + ax[2] * ax[2]);
    for (double& v : ax) v /= len;
    const double th = angle * std::acos(-1.0) / 180.0, co = std::cos(th), si = std::sin(th);
    const double k[3][3] = {{0, -ax[2], ax[1]}, {ax[2], 0, -ax[0]}, {-ax[1], ax[0], 0}};
    std::uniform_real_distribution<double> u(-5.0, 5.0);
    for (int r = 0; r < 3; ++r) {
      for (int q = 0; q < 3; ++q) {
        double kk = 0;
        for (int p = 0; p < 3; ++p) kk += k[r][p] * k[p][q];
        c.rncs[n][r][q] = static_cast<float>((r == q ? 1.0 : 0.0) + si * k[r][q] + (1 - co) * kk);
      }
      c.rncs[n][r][3] = static_cast<float>(u(rng));
    }
    c.ncsgiven[n] = given;
  }

  // Orthogonal position of fractional coordinates (without fracshift).
  void to_orth(const double f[3], float x[3]) const {
    for (int r = 0; r < 3; ++r)
      x[r] = static_cast<float>(orth[r][0] * f[0] + orth[r][1] * f[1] + orth[r][2] * f[2]);
  }
};

// Appends an atom at orthogonal position x with radius r.
inline void add_atom(atom_store& atoms, const float x[3], float r, const char* atname = " C  ",
                     const char* element = " C") {
  atom_record rec;
  rec.atname = atname;
  rec.element = element;
  rec.resname = "ALA";
  rec.resseq = static_cast<int32_t>(atoms.pdbdata.size()) + 1;
  for (int c = 0; c < 3; ++c) rec.xyz[c] = x[c];
  rec.radius = r;
  atoms.pdbdata.push_back(rec);
  for (int c = 0; c < 3; ++c) atoms.coords.push_back(x[c]);
  atoms.nslots = static_cast<int32_t>(atoms.pdbdata.size());
}

// Random atoms with fractional coordinates in [flo, fhi) and radii in [rlo, rhi).
inline void add_random_atoms(atom_store& atoms, const test_crystal& tc, std::mt19937& rng, int count,
                             double flo, double fhi, float rlo, float rhi) {
  std::uniform_real_distribution<double> uf(flo, fhi);
  std::uniform_real_distribution<float> ur(rlo, rhi);
  for (int i = 0; i < count; ++i) {
    const double f[3] = {uf(rng), uf(rng), uf(rng)};
    float x[3];
    tc.to_orth(f, x);
    add_atom(atoms, x, ur(rng));
  }
}

}  // namespace porvane::test
