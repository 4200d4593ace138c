#include "input/unit_shape.hpp"

#include <cmath>
#include <utility>

namespace porvane {

std::vector<char> listed_chains(const fixed_text<400>& chainlist) {
  std::vector<char> ids;
  constexpr std::size_t n = fixed_text<400>::size();
  for (std::size_t k = 2; k <= n; k += 3) {
    bool visit = k == 2 || (k + 1 <= n && chainlist.at(k + 1) == ',') || chainlist.at(k - 2) == ',';
    if (!visit) break;
    ids.push_back(chainlist.at(k));
  }
  return ids;
}

void sort_moments(float w[3]) {
  if (w[0] > w[1]) std::swap(w[0], w[1]);
  if (w[0] > w[2]) std::swap(w[0], w[2]);
  if (w[1] > w[2]) std::swap(w[1], w[2]);
}

void set_shape_descriptors(bio_unit& unit) {
  const float* w = unit.moments;
  float wsum = w[0] + w[1] + w[2];
  unit.rg = 0.0f;
  unit.asphericity = 0.0f;
  unit.acylindricity = 0.0f;
  unit.anisotropy = 0.0f;
  if (!(wsum > 0.0f)) return;
  unit.rg = std::sqrt(wsum);
  unit.asphericity = w[2] - 0.5f * (w[0] + w[1]);
  unit.acylindricity = w[1] - w[0];
  unit.anisotropy = 1.5f * (w[0] * w[0] + w[1] * w[1] + w[2] * w[2]) / (wsum * wsum) - 0.5f;
}

}  // namespace porvane
