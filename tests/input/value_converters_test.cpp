#include "input/value_converters.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace porvane {
namespace {

// Option values arrive blank-padded to 20 characters.
std::string field(const std::string& s) { return s + std::string(20 - s.size(), ' '); }

TEST(ValueConverters, RealsByCharacterArithmetic) {
  EXPECT_EQ(chartoreal(field("1.5")), 1.5f);
  EXPECT_EQ(chartoreal(field(".5")), 0.5f);
  EXPECT_EQ(chartoreal(field("-.5")), -0.5f);
  EXPECT_EQ(chartoreal(field("-1.25")), -1.25f);
  EXPECT_EQ(chartoreal(field("2.")), 2.0f);
  EXPECT_EQ(chartoreal(field("2")), 0.0f);
  float minus_two = chartoreal(field("-2"));
  EXPECT_EQ(minus_two, 0.0f);
  EXPECT_TRUE(std::signbit(minus_two));
  EXPECT_EQ(chartoreal(field("+1.5")), -48.5f);
  EXPECT_EQ(chartoreal(field("12345678.9")), 12345678.0f);
  EXPECT_EQ(chartoreal(field("  2.00")), -1758.0f);
  EXPECT_FLOAT_EQ(chartoreal(field("1.2.3")), 83.483f);
  EXPECT_FLOAT_EQ(chartoreal(field("1.5e3")), 2.033f);
  EXPECT_EQ(chartoreal(field("1e3")), 0.0f);
  EXPECT_FLOAT_EQ(chartoreal(field("1.23456789")), 1.2345678f);  // the ninth character ends it
  EXPECT_EQ(chartoreal(""), 0.0f);
}

TEST(ValueConverters, IntegersByCharacterArithmetic) {
  EXPECT_EQ(chartoint(field("3")), 3);
  EXPECT_EQ(chartoint(field("12")), 12);
  EXPECT_EQ(chartoint(field("1234")), 1234);
  EXPECT_EQ(chartoint(field("12345")), 1234);
  EXPECT_EQ(chartoint(field("-1")), -29);
  EXPECT_EQ(chartoint(field("")), -16);
  EXPECT_EQ(chartoint(field("1 3")), -57);
  EXPECT_EQ(chartoint(field(" 5")), -155);
}

}  // namespace
}  // namespace porvane
