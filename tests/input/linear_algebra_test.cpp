#include "common/linear_algebra.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace porvane {
namespace {

// The products and the inverse serve every run: the end-to-end reports.
TEST(LinearAlgebra, Dsyevj3) {
  double diagonal[3][3] = {{3, 0, 0}, {0, -2, 0}, {0, 0, 7.5}}, q[3][3];
  float w[3];
  EXPECT_TRUE(dsyevj3(diagonal, q, w));  // returns at once
  EXPECT_EQ(std::vector<float>(w, w + 3), (std::vector<float>{3, -2, 7.5f}));
  EXPECT_EQ(std::vector<double>(&q[0][0], &q[0][0] + 9), (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  // Only the diagonal and upper triangle are read; the lower triangle holds
  // junk that must be neither used nor written, nor is the diagonal written.
  const double given[2][3][3] = {{{2, 1, 0}, {99, 2, 0}, {-42, 17, 5}}, {{4, 1, 2}, {99, 3, 0.5}, {-42, 17, 5}}};
  for (const auto& m : given) {
    double a[3][3];
    std::copy(&m[0][0], &m[0][0] + 9, &a[0][0]);
    EXPECT_TRUE(dsyevj3(a, q, w));
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j <= i; ++j) EXPECT_EQ(a[i][j], m[i][j]);
    for (int k = 0; k < 3; ++k)  // orthonormal eigenvectors in the columns of q, eigenvalue k for column k
      for (int i = 0; i < 3; ++i) {
        double av = 0.0, dot = 0.0;
        for (int j = 0; j < 3; ++j) av += m[std::min(i, j)][std::max(i, j)] * q[j][k], dot += q[j][i] * q[j][k];
        EXPECT_NEAR(av, w[k] * q[i][k], 1e-5) << "column " << k;
        EXPECT_NEAR(dot, i == k ? 1.0 : 0.0, 1e-12);
      }
  }
  std::sort(w, w + 3);
  EXPECT_NEAR(w[0] + w[1] + w[2], 12.0, 1e-5);
  double no_number[3][3] = {{NAN, 1, 0}, {0, 1, 0}, {0, 0, 1}};
  EXPECT_FALSE(dsyevj3(no_number, q, w));  // the caller reports it
}

TEST(LinearAlgebra, CheckidIsExact) {
  float m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  EXPECT_EQ(checkid(m), 1);
  for (float* element : {&m[0][3], &m[1][3], &m[2][3], &m[2][2]}) {
    const float kept = *element;
    *element = kept == 0.0f ? 0.0001f : 0.9999999f;
    EXPECT_EQ(checkid(m), 0);
    *element = kept;
  }
}

}  // namespace
}  // namespace porvane
