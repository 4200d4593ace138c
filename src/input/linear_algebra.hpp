// Small fixed-size matrix routines. Matrices are [row][column].
#pragma once

#include <cstdint>

namespace porvane {

// c := a·b, single precision, (a_i1·b_1j + a_i2·b_2j) + a_i3·b_3j.
void mmult(const float a[3][3], const float b[3][3], float c[3][3]);
// b := a⁻¹ by cofactors, one division per element, no determinant test.
void matinv(const float a[3][3], float b[3][3]);
// Cyclic Jacobi eigen-solver of a symmetric 3×3 matrix (upper triangle read,
// strict upper triangle overwritten); eigenvectors in the columns of q.
void dsyevj3(double a[3][3], double q[3][3], float w[3]);

// Offered helpers no stage calls.
void vecvecadd(const float a[3], const float b[3], float c[3], float s);
void matvecmult(const float m[3][3], const float x[3], float y[3]);
int32_t checkid(const float m[3][4]);
void calc_prg(const float m[3][3], int32_t n, float r[3]);

}  // namespace porvane
