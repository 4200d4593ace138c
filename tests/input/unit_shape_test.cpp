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
      {" A, B", "AB"},
      {" A", "A"},
      {"", " "},  // a blank list visits position 2 only
      {" A, B, C, D", "ABCD"},
      {" A  B", "A"},      // no comma next to B
      {" A, B  C", "AB"},  // C has no comma before it
      {full, "A" + std::string(132, 'B')},
  };
  for (const auto& [list, ids] : cases) {
    const std::vector<char> got = listed_chains(fixed_text<400>(list));
    EXPECT_EQ(std::string(got.begin(), got.end()), ids) << '"' << list << '"';
  }
}

TEST(UnitShape, MomentSortAndDescriptors) {
  float w[3] = {3, 1, 2};
  sort_moments(w);
  EXPECT_EQ(std::vector<float>(w, w + 3), (std::vector<float>{1, 2, 3}));
  float v[3] = {2, 2, 1};
  sort_moments(v);
  EXPECT_EQ(std::vector<float>(v, v + 3), (std::vector<float>{1, 2, 2}));

  bio_unit u;
  for (int i = 0; i < 3; ++i) u.moments[i] = w[i];
  set_shape_descriptors(u);
  EXPECT_FLOAT_EQ(u.rg, std::sqrt(6.0f));
  EXPECT_FLOAT_EQ(u.asphericity, 1.5f);
  EXPECT_FLOAT_EQ(u.acylindricity, 1.0f);
  EXPECT_NEAR(u.anisotropy, 1.5f * 14.0f / 36.0f - 0.5f, 1e-6f);

  bio_unit none;  // no moments: no shape, nothing divided by zero
  set_shape_descriptors(none);
  EXPECT_EQ(none.rg, 0.0f);
  EXPECT_EQ(none.anisotropy, 0.0f);
}

}  // namespace
}  // namespace porvane
