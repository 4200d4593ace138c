// Small fixed-size matrix routines, single precision unless said otherwise.
// Matrices are [row][column]; an operator [R t] holds the rotation in
// columns 0-2 and the translation in column 3.
#pragma once

#include <cstdint>

namespace porvane {

// y := m · v, each row summed left to right: (m1·v1 + m2·v2) + m3·v3. y may
// be v.
inline void matrix_times(const float m[3][3], const float v[3], float y[3]) {
  float out[3];
  for (int r = 0; r < 3; ++r) out[r] = (m[r][0] * v[0] + m[r][1] * v[1]) + m[r][2] * v[2];
  for (int r = 0; r < 3; ++r) y[r] = out[r];
}

// y := R · v + t for an operator of 3 or 4 rows ([R t] or [R t; 0 0 0 1]),
// summed ((R1·v1 + R2·v2) + R3·v3) + t. y may be v.
template <int Rows>
void apply_operator(const float (&op)[Rows][4], const float v[3], float y[3]) {
  static_assert(Rows == 3 || Rows == 4);
  float out[3];
  for (int r = 0; r < 3; ++r)
    out[r] = ((op[r][0] * v[0] + op[r][1] * v[1]) + op[r][2] * v[2]) + op[r][3];
  for (int r = 0; r < 3; ++r) y[r] = out[r];
}

// c := a·b, (a_i1·b_1j + a_i2·b_2j) + a_i3·b_3j. c may be a or b.
void mmult(const float a[3][3], const float b[3][3], float c[3][3]);
// b := a⁻¹ by cofactors, one division per element, no determinant test.
void matinv(const float a[3][3], float b[3][3]);
// Cyclic Jacobi eigen-solver of a symmetric 3×3 matrix (upper triangle read,
// strict upper triangle overwritten); eigenvectors in the columns of q.
// False when 50 sweeps did not converge (the caller reports it where its
// report stands; q and w hold what the sweeps left).
bool dsyevj3(double a[3][3], double q[3][3], float w[3]);

// y := m · x (the matrix_times above under its own name).
inline void matvecmult(const float m[3][3], const float x[3], float y[3]) { matrix_times(m, x, y); }
// 1 when [R t] is exactly [I 0], else 0.
int32_t checkid(const float m[3][4]);

}  // namespace porvane
