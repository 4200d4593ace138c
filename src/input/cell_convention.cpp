#include "input/cell_convention.hpp"

#include <cmath>

#include "common/linear_algebra.hpp"
#include "input/symmetry_library.hpp"

namespace porvane {

namespace {

constexpr float pi = 3.1415927f;
constexpr float scale_tolerance = 0.001f;   // relative, as the header's check of SCALE
constexpr float scale_rounding = 1.0e-6f;   // SCALE elements carry six decimals
constexpr float shift_rounding = 5.0e-6f;   // and translations five

// The angles in radians, single precision.
void radians(const float cell[6], float angle[3]) {
  const float deg = pi / 180.0f;
  for (int c = 0; c < 3; ++c) angle[c] = cell[3 + c] * deg;
}

}  // namespace

void pdb_scale_matrix(const float cell[6], float x[3][3]) {
  float ro[3][3];
  cell_orthogonalisation(cell, ro);
  float a4[4][4] = {}, ai4[4][4];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) a4[i][j] = ro[i][j];
  a4[3][3] = 1.0f;
  invert_4x4(a4, ai4);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) x[i][j] = ai4[i][j];
}

void use_pdb_convention(cell_frame& frame) {
  float x[3][3];
  pdb_scale_matrix(frame.cell, x);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) frame.fracmat[i][j] = x[i][j];
    frame.fracshift[i] = 0.0f;
  }
  matinv(x, frame.orthmat);
}

bool in_pdb_convention(const cell_frame& frame) {
  float x[3][3];
  pdb_scale_matrix(frame.cell, x);
  for (int i = 0; i < 3; ++i) {
    if (!(std::fabs(frame.fracshift[i]) <= shift_rounding)) return false;
    for (int j = 0; j < 3; ++j)
      if (!(std::fabs(frame.fracmat[i][j] - x[i][j]) <= scale_tolerance * std::fabs(x[i][j]) + scale_rounding))
        return false;
  }
  return true;
}

float cell_volume(const float cell[6]) {
  float angle[3];
  radians(cell, angle);
  const float ca = std::cos(angle[0]), cb = std::cos(angle[1]), cg = std::cos(angle[2]);
  return cell[0] * cell[1] * cell[2] *
         std::sqrt(1.0f - ca * ca - cb * cb - cg * cg + 2.0f * ca * cb * cg);
}

void cell_face_areas(const float cell[6], float facearea[3]) {
  float angle[3];
  radians(cell, angle);
  const float a = cell[0], b = cell[1], c = cell[2];
  facearea[0] = b * c * std::sin(angle[0]);
  facearea[1] = a * c * std::sin(angle[1]);
  facearea[2] = a * b * std::sin(angle[2]);
}

}  // namespace porvane
