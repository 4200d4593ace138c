// The chain-list walk and the shape descriptors of a biological unit. The
// structure report as printed: atoms_end_to_end_test.cpp.
#include "input/unit_shape.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace porvane {
namespace {

TEST(UnitShape, ChainListWalk) {
  std::string full = " A";  // 133 identifiers: positions 2 .. 398
  for (int i = 0; i < 132; ++i) full += ", B";
  const std::pair<std::string, std::string> cases[] = {
      {" A, B", "AB"}, {" A", "A"}, {"", " "},  // a blank list visits position 2 only
      {" A, B, C, D", "ABCD"}, {" A  B", "A"},   // no comma next to B
      {" A, B  C", "AB"},                        // C has no comma before it
      {full, "A" + std::string(132, 'B')}};
  for (const auto& [list, ids] : cases) {
    const std::vector<char> got = listed_chains(fixed_text<400>(list));
    EXPECT_EQ(std::string(got.begin(), got.end()), ids) << '"' << list << '"';
  }
}

TEST(UnitShape, MomentSortAndDescriptors) {
  bio_unit u, none;  // none: no moments, no shape, nothing divided by zero
  float v[3] = {2, 2, 1};
  u.moments[0] = 3, u.moments[1] = 1, u.moments[2] = 2;
  sort_moments(u.moments);
  sort_moments(v);
  set_shape_descriptors(u);
  set_shape_descriptors(none);
  EXPECT_EQ(std::vector<float>({u.moments[0], u.moments[1], u.moments[2], v[0], v[1], v[2]}),
            (std::vector<float>{1, 2, 3, 1, 2, 2}));
  EXPECT_EQ(std::vector<float>({u.rg, u.asphericity, u.acylindricity, none.rg, none.anisotropy}),
            (std::vector<float>{std::sqrt(6.0f), 1.5f, 1.0f, 0.0f, 0.0f}));
  EXPECT_NEAR(u.anisotropy, 1.5f * 14.0f / 36.0f - 0.5f, 1e-6f);
}

}  // namespace
}  // namespace porvane
