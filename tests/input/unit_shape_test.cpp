// The chain-list walk of a biological unit; its mass, centre and shape as
// printed: atoms_end_to_end_test.cpp.
#include "input/unit_shape.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace porvane
