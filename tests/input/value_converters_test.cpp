#include "input/value_converters.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "support/table_file.hpp"

namespace porvane {
namespace {

// Option values arrive blank-padded to 20 characters.
std::string field(const std::string& s) { return s + std::string(20 - s.size(), ' '); }

TEST(ValueConverters, NumbersByCharacterArithmetic) {
  for (const auto& row : testing::read_table("tables/value_converters.txt")) {
    if (row[0] == "real")
      EXPECT_FLOAT_EQ(chartoreal(field(row[1])), std::stof(row[2])) << row[1];
    else
      EXPECT_EQ(chartoint(field(row[1])), std::stoi(row[2])) << row[1];
  }
  EXPECT_TRUE(std::signbit(chartoreal(field("-2"))));
  EXPECT_EQ(chartoreal(""), 0.0f);
}

}  // namespace
}  // namespace porvane
