#include "common/linear_algebra.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace porvane {
namespace {

void expect_unit_matrix(const float m[3][3]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(m[i][j], i == j ? 1.0f : 0.0f, 1e-6f) << i << j;
}

TEST(LinearAlgebra, ProductsAndVectorHelpers) {
  const float a[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}};
  const float b[3][3] = {{1, 0, 2}, {0, 1, 0}, {3, 0, 1}};
  const float ab[3][3] = {{10, 2, 5}, {22, 5, 14}, {37, 8, 24}};
  float c[3][3];
  mmult(a, b, c);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(c[i][j], ab[i][j]);
  const float x[3] = {1, 2, 3}, y[3] = {0.5f, -1, 4};
  const float sum[3] = {2, 0, 11}, bx[3] = {7, 2, 6};
  float v[3], w[3];
  vecvecadd(x, y, v, 2.0f);  // y·2 + x
  matvecmult(b, x, w);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(v[i], sum[i]);
    EXPECT_EQ(w[i], bx[i]);
  }
}

// Scale matrices of real cells are upper triangular; a rotation about
// (1, 1, 1) has no zero element and its inverse is its transpose.
TEST(LinearAlgebra, MatinvGivesTheInverseToSinglePrecision) {
  const float monoclinic[3][3] = {{0.015773f, 0, 0.004108f}, {0, 0.018213f, 0}, {0, 0, 0.011933f}};
  const float triclinic[3][3] = {
      {0.048676f, 0.025947f, 0.014031f}, {0, 0.054327f, 0.016259f}, {0, 0, 0.040366f}};
  const double angle = 40.0 * 3.14159265358979 / 180.0, cs = std::cos(angle), sn = std::sin(angle);
  const double u = 1.0 / std::sqrt(3.0);
  float rotation[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      rotation[i][j] = static_cast<float>((1 - cs) * u * u + (i == j ? cs : 0.0) +
                                          (i == j ? 0.0 : (j == (i + 1) % 3 ? -sn : sn) * u));
  for (const auto* s : {monoclinic, triclinic, static_cast<const float(*)[3]>(rotation)}) {
    float o[3][3], product[3][3];
    matinv(s, o);
    mmult(o, s, product);
    expect_unit_matrix(product);
    mmult(s, o, product);
    expect_unit_matrix(product);
  }
  float inverse[3][3];
  matinv(rotation, inverse);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(inverse[i][j], rotation[j][i], 1e-6f);
}

TEST(LinearAlgebra, Dsyevj3) {
  double diagonal[3][3] = {{3, 0, 0}, {0, -2, 0}, {0, 0, 7.5}}, q[3][3];
  float w[3];
  dsyevj3(diagonal, q, w);  // returns at once
  EXPECT_EQ(std::vector<float>(w, w + 3), (std::vector<float>{3, -2, 7.5f}));
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(q[i][j], i == j ? 1.0 : 0.0);

  // Only the diagonal and upper triangle are read; the lower triangle holds
  // junk that must be neither used nor written, nor is the diagonal written.
  const double given[2][3][3] = {{{2, 1, 0}, {99, 2, 0}, {-42, 17, 5}},
                                 {{4, 1, 2}, {99, 3, 0.5}, {-42, 17, 5}}};
  for (const auto& m : given) {
    double a[3][3];
    std::copy(&m[0][0], &m[0][0] + 9, &a[0][0]);
    dsyevj3(a, q, w);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j <= i; ++j) EXPECT_EQ(a[i][j], m[i][j]);
    // Orthonormal eigenvectors in the columns of q, eigenvalue k for column k.
    for (int k = 0; k < 3; ++k)
      for (int i = 0; i < 3; ++i) {
        double av = 0.0, dot = 0.0;
        for (int j = 0; j < 3; ++j) {
          av += m[std::min(i, j)][std::max(i, j)] * q[j][k];
          dot += q[j][i] * q[j][k];
        }
        EXPECT_NEAR(av, w[k] * q[i][k], 1e-5) << "column " << k;
        EXPECT_NEAR(dot, i == k ? 1.0 : 0.0, 1e-12);
      }
    std::sort(w, w + 3);
    if (&m == &given[0]) {
      EXPECT_EQ(std::vector<float>(w, w + 3), (std::vector<float>{1, 3, 5}));
    }
  }
}

TEST(LinearAlgebra, CheckidIsExactAndCalcPrgGivesPrincipalRadii) {
  float m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  EXPECT_EQ(checkid(m), 1);
  for (float* element : {&m[0][3], &m[1][3], &m[2][3], &m[2][2]}) {
    const float kept = *element;
    *element = kept == 0.0f ? 0.0001f : 0.9999999f;
    EXPECT_EQ(checkid(m), 0);
    *element = kept;
  }
  // The cubic's roots are the diagonal elements; radii are sqrt(root / n).
  const float tensor[3][3] = {{40, 0, 0}, {0, 90, 0}, {0, 0, 160}};
  float r[3] = {-7, -7, -7};
  calc_prg(tensor, 10, r);
  std::sort(r, r + 3);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(r[k], k + 2.0f, 1e-3f);
}

}  // namespace
}  // namespace porvane
