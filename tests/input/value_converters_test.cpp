#include "input/value_converters.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "support/table_file.hpp"

namespace porvane {
namespace {

// Header fields arrive blank-padded to 20 characters.
std::string field(const std::string& s) { return s + std::string(20 - s.size(), ' '); }

TEST(ValueConverters, CharacterArithmeticAndOptionValues) {
  for (const auto& row : testing::read_table("tables/value_converters.txt")) {
    const bool none = row[2] == "none";
    if (row[0] == "real") {
      EXPECT_FLOAT_EQ(chartoreal(field(row[1])), std::stof(row[2])) << row[1];
    } else if (row[0] == "int") {
      EXPECT_EQ(read_integer_value(row[1]), none ? std::nullopt : std::optional(std::stoi(row[2]))) << row[1];
    } else {  // "old": the very float of the character arithmetic, without the "+"
      const float old = chartoreal(row[1].substr(row[1][0] == '+' ? 1 : 0, 9));
      const std::optional<float> want = none ? std::nullopt : std::optional(row[2] == "old" ? old : std::stof(row[2]));
      EXPECT_EQ(read_real_value(row[1]), want) << row[1];
    }
  }
  EXPECT_TRUE(std::signbit(chartoreal(field("-2"))));
  EXPECT_EQ(chartoreal(""), 0.0f);
}

}  // namespace
}  // namespace porvane
