#include "input/linear_algebra.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace porvane {
namespace {

void expect_unit_matrix(const float m[3][3], float tolerance) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      EXPECT_NEAR(m[i][j], i == j ? 1.0f : 0.0f, tolerance) << "element " << i << "," << j;
}

TEST(LinearAlgebra, MmultMultipliesRowsByColumns) {
  const float a[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}};
  const float b[3][3] = {{1, 0, 2}, {0, 1, 0}, {3, 0, 1}};
  float c[3][3];
  mmult(a, b, c);
  const float expected[3][3] = {{10, 2, 5}, {22, 5, 14}, {37, 8, 24}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(c[i][j], expected[i][j]);
}

// Fractionalisation matrices of real cells are upper triangular; the inverse
// times the matrix must give the unit matrix to single precision.
TEST(LinearAlgebra, MatinvOfMonoclinicAndTriclinicScaleMatrices) {
  const float monoclinic[3][3] = {{0.015773f, 0.0f, 0.004108f},
                                  {0.0f, 0.018213f, 0.0f},
                                  {0.0f, 0.0f, 0.011933f}};
  const float triclinic[3][3] = {{0.048676f, 0.025947f, 0.014031f},
                                 {0.0f, 0.054327f, 0.016259f},
                                 {0.0f, 0.0f, 0.040366f}};
  for (const auto* s : {monoclinic, triclinic}) {
    float o[3][3], product[3][3];
    matinv(s, o);
    mmult(o, s, product);
    expect_unit_matrix(product, 1e-6f);
    mmult(s, o, product);
    expect_unit_matrix(product, 1e-6f);
  }
}

TEST(LinearAlgebra, MatinvOfAFullRotationMatrixIsItsTranspose) {
  // 40 degrees about the axis (1, 1, 1)/sqrt(3): no element is zero.
  const double angle = 40.0 * 3.14159265358979 / 180.0, c = std::cos(angle), s = std::sin(angle);
  const double u = 1.0 / std::sqrt(3.0);
  float r[3][3];
  const double axis[3] = {u, u, u};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double v = (1 - c) * axis[i] * axis[j] + (i == j ? c : 0.0);
      const int k = 3 - i - j;
      if (i != j) v += ((j == (i + 1) % 3) ? -1.0 : 1.0) * s * axis[k];
      r[i][j] = static_cast<float>(v);
    }
  float inverse[3][3], product[3][3];
  matinv(r, inverse);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(inverse[i][j], r[j][i], 1e-6f);
  mmult(r, inverse, product);
  expect_unit_matrix(product, 1e-6f);
}

TEST(LinearAlgebra, Dsyevj3OfADiagonalMatrixReturnsAtOnce) {
  double a[3][3] = {{3, 0, 0}, {0, -2, 0}, {0, 0, 7.5}};
  double q[3][3];
  float w[3];
  dsyevj3(a, q, w);
  EXPECT_EQ(w[0], 3.0f);
  EXPECT_EQ(w[1], -2.0f);
  EXPECT_EQ(w[2], 7.5f);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(q[i][j], i == j ? 1.0 : 0.0);
}

TEST(LinearAlgebra, Dsyevj3FindsEigenpairsAndLeavesTheLowerTriangle) {
  // Only the diagonal and the upper triangle are read: the lower triangle
  // holds junk that must neither be used nor written.
  double a[3][3] = {{2, 1, 0}, {99, 2, 0}, {-42, 17, 5}};
  const double original[3][3] = {{2, 1, 0}, {1, 2, 0}, {0, 0, 5}};
  double q[3][3];
  float w[3];
  dsyevj3(a, q, w);
  EXPECT_EQ(a[1][0], 99.0);
  EXPECT_EQ(a[2][0], -42.0);
  EXPECT_EQ(a[2][1], 17.0);
  EXPECT_EQ(a[0][0], 2.0);  // the diagonal is never written either

  float sorted[3] = {w[0], w[1], w[2]};
  std::sort(sorted, sorted + 3);
  EXPECT_NEAR(sorted[0], 1.0f, 1e-6f);
  EXPECT_NEAR(sorted[1], 3.0f, 1e-6f);
  EXPECT_NEAR(sorted[2], 5.0f, 1e-6f);
  for (int k = 0; k < 3; ++k) {
    double norm = 0.0;
    for (int i = 0; i < 3; ++i) norm += q[i][k] * q[i][k];
    EXPECT_NEAR(norm, 1.0, 1e-12);
    for (int i = 0; i < 3; ++i) {
      double av = 0.0;
      for (int j = 0; j < 3; ++j) av += original[i][j] * q[j][k];
      EXPECT_NEAR(av, w[k] * q[i][k], 1e-6) << "column " << k;
    }
  }
}

TEST(LinearAlgebra, CheckidIsExact) {
  const float identity[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  EXPECT_EQ(checkid(identity), 1);
  for (int i = 0; i < 3; ++i) {
    float shifted[3][4];
    std::copy(&identity[0][0], &identity[0][0] + 12, &shifted[0][0]);
    shifted[i][3] = 0.0001f;
    EXPECT_EQ(checkid(shifted), 0) << "translation " << i;
  }
  float near_one[3][4];
  std::copy(&identity[0][0], &identity[0][0] + 12, &near_one[0][0]);
  near_one[2][2] = 0.9999999f;
  EXPECT_EQ(checkid(near_one), 0);
}

TEST(LinearAlgebra, VectorHelpers) {
  const float a[3] = {1, 2, 3}, b[3] = {0.5f, -1, 4};
  float c[3];
  vecvecadd(a, b, c, 2.0f);
  EXPECT_EQ(c[0], 2.0f);
  EXPECT_EQ(c[1], 0.0f);
  EXPECT_EQ(c[2], 11.0f);
  const float m[3][3] = {{1, 2, 3}, {0, 1, 0}, {-1, 0, 2}};
  float y[3];
  matvecmult(m, a, y);
  EXPECT_EQ(y[0], 14.0f);
  EXPECT_EQ(y[1], 2.0f);
  EXPECT_EQ(y[2], 5.0f);
}

TEST(LinearAlgebra, CalcPrgGivesPrincipalRadiiOfADiagonalTensor) {
  // The cubic's roots are the diagonal elements; radii are sqrt(root / n).
  const float m[3][3] = {{40, 0, 0}, {0, 90, 0}, {0, 0, 160}};
  float r[3] = {-7, -7, -7};
  calc_prg(m, 10, r);
  float sorted[3] = {r[0], r[1], r[2]};
  std::sort(sorted, sorted + 3);
  EXPECT_NEAR(sorted[0], 2.0f, 1e-3f);
  EXPECT_NEAR(sorted[1], 3.0f, 1e-3f);
  EXPECT_NEAR(sorted[2], 4.0f, 1e-3f);
}

}  // namespace
}  // namespace porvane
