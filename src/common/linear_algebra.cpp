#include "linear_algebra.hpp"

#include <cmath>

#include "report_writer.hpp"

namespace porvane {

void mmult(const float a[3][3], const float b[3][3], float c[3][3]) {
  float out[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      out[i][j] = (a[i][0] * b[0][j] + a[i][1] * b[1][j]) + a[i][2] * b[2][j];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) c[i][j] = out[i][j];
}

void matinv(const float a[3][3], float b[3][3]) {
  const float a11 = a[0][0], a12 = a[0][1], a13 = a[0][2];
  const float a21 = a[1][0], a22 = a[1][1], a23 = a[1][2];
  const float a31 = a[2][0], a32 = a[2][1], a33 = a[2][2];
  const float d =
      a11 * (a22 * a33 - a23 * a32) - a12 * (a21 * a33 - a23 * a31) + a13 * (a21 * a32 - a22 * a31);
  // One division per element: a singular matrix gives infinities or NaNs,
  // never a trap, and the callers only pass cells that have passed the
  // cell check of the header reader.
  b[0][0] = (a22 * a33 - a23 * a32) / d;
  b[0][1] = -(a12 * a33 - a13 * a32) / d;
  b[0][2] = (a12 * a23 - a13 * a22) / d;
  b[1][0] = -(a21 * a33 - a23 * a31) / d;
  b[1][1] = (a11 * a33 - a13 * a31) / d;
  b[1][2] = -(a11 * a23 - a13 * a21) / d;
  b[2][0] = (a21 * a32 - a22 * a31) / d;
  b[2][1] = -(a11 * a32 - a12 * a31) / d;
  b[2][2] = (a11 * a22 - a12 * a21) / d;
}

bool dsyevj3(double a[3][3], double q[3][3], float w[3]) {
  constexpr int n = 3;
  constexpr int max_sweeps = 50;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) q[i][j] = 0.0;
    q[i][i] = 1.0;
    w[i] = static_cast<float>(a[i][i]);
  }

  for (int sweep = 1; sweep <= max_sweeps; ++sweep) {
    double so = 0.0;
    for (int p = 0; p < n; ++p)
      for (int r = p + 1; r < n; ++r) so += std::fabs(a[p][r]);
    if (so == 0.0) return true;

    const double thresh = sweep < 4 ? 0.2 * so / (n * n) : 0.0;

    for (int p = 0; p < n; ++p) {
      for (int r = p + 1; r < n; ++r) {
        const int qq = r;  // the pair (p, qq)
        const double g = 100.0 * std::fabs(a[p][qq]);
        const double wp = std::fabs(static_cast<double>(w[p]));
        const double wq = std::fabs(static_cast<double>(w[qq]));
        if (sweep > 4 && wp + g == wp && wq + g == wq) {
          a[p][qq] = 0.0;
          continue;
        }
        if (!(std::fabs(a[p][qq]) > thresh)) continue;

        const double h = static_cast<double>(w[qq] - w[p]);
        double t;
        if (std::fabs(h) + g == std::fabs(h)) {
          t = a[p][qq] / h;
        } else {
          const double theta = 0.5 * h / a[p][qq];
          if (theta < 0.0)
            t = -1.0 / (std::sqrt(1.0 + theta * theta) - theta);
          else
            t = 1.0 / (std::sqrt(1.0 + theta * theta) + theta);
        }
        const double c = 1.0 / std::sqrt(1.0 + t * t);
        const double s = t * c;
        const double z = t * a[p][qq];

        a[p][qq] = 0.0;
        w[p] = static_cast<float>(static_cast<double>(w[p]) - z);
        w[qq] = static_cast<float>(static_cast<double>(w[qq]) + z);

        // Rotate the rest of the upper triangle, each pair from old values.
        for (int k = 0; k < p; ++k) {
          const double x = a[k][p];
          a[k][p] = c * x - s * a[k][qq];
          a[k][qq] = s * x + c * a[k][qq];
        }
        for (int k = p + 1; k < qq; ++k) {
          const double x = a[p][k];
          a[p][k] = c * x - s * a[k][qq];
          a[k][qq] = s * x + c * a[k][qq];
        }
        for (int k = qq + 1; k < n; ++k) {
          const double x = a[p][k];
          a[p][k] = c * x - s * a[qq][k];
          a[qq][k] = s * x + c * a[qq][k];
        }
        for (int k = 0; k < n; ++k) {
          const double x = q[k][p];
          q[k][p] = c * x - s * q[k][qq];
          q[k][qq] = s * x + c * q[k][qq];
        }
      }
    }
  }
  return false;
}

int32_t checkid(const float m[3][4]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j)
      if (m[i][j] != (i == j ? 1.0f : 0.0f)) return 0;
  return 1;
}

}  // namespace porvane
