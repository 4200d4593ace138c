// Fixed-column reads: the diagnostics of malformed fields and the rules
// around the record's end and the targets' widths.
#include <gtest/gtest.h>

#include <cmath>

#include "common/fixed_columns.hpp"
#include "common/fixed_text.hpp"
#include "common/run_stop.hpp"

namespace porvane {
namespace {

const char* atom_format = "(a6,i5,1x,a4,a1,a3,1x,a1,i4,4x,3(f8.3),2(f6.2),10x,a2)";

std::string failure_of(std::string_view record, std::string_view format, long line) {
  float x[6] = {};
  fixed_text<10> t;
  try {
    read_fixed(record, format, input_place{"1ubq.pdb", line}, x[0], x[1], x[2], x[3], x[4], x[5], t);
  } catch (const run_stop& stop) {
    EXPECT_EQ(stop.status, io_error);
    return stop.message;
  }
  return "no failure";
}

TEST(FixedColumns, MalformedFieldNamesFileLineColumnsAndText) {
  EXPECT_EQ(failure_of("CRYST1   50.840   42.770abc.def   90.00  90.00  90.00 P 21 21 21",
                       "(6x,3f9.3,3f7.2,x,a10)", 12),
            "porvane: cannot read a number in file 1ubq.pdb, line 12, columns 25-33: 'abc.def  '");
  EXPECT_EQ(failure_of("CRYST1   50.840   42.770   28.950  9O.00", "(6x,3f9.3,3f7.2,x,a10)", 3),
            "porvane: cannot read a number in file 1ubq.pdb, line 3, columns 34-40: '  9O.00'");
}

TEST(FixedColumns, AtomRecordAndShortRecords) {
  fixed_text<6> name;
  fixed_text<4> atom;
  fixed_text<1> alt, chain;
  fixed_text<3> res;
  fixed_text<2> element;
  int32_t serial = -1, resseq = -1;
  float x = -1, y = -1, z = -1, occ = -1, b = -1;
  input_place where{"a.pdb", 7};
  read_fixed("ATOM     12  CA AALA B  31      -1.500   2.250  -3.125  0.50 12.75           C",
             atom_format, where, name, serial, atom, alt, res, chain, resseq, x, y, z, occ, b,
             element);
  EXPECT_EQ(name, "ATOM  ");
  EXPECT_EQ(serial, 12);
  EXPECT_EQ(atom, " CA ");
  EXPECT_EQ(alt, "A");
  EXPECT_EQ(res, "ALA");
  EXPECT_EQ(chain, "B");
  EXPECT_EQ(resseq, 31);
  EXPECT_EQ(x, -1.5f);
  EXPECT_EQ(y, 2.25f);
  EXPECT_EQ(z, -3.125f);
  EXPECT_EQ(occ, 0.5f);
  EXPECT_EQ(b, 12.75f);
  EXPECT_EQ(element, " C");
  // A record that ends early reads blanks: zeros and blank texts.
  read_fixed("ATOM     12", atom_format, where, name, serial, atom, alt, res, chain, resseq, x, y,
             z, occ, b, element);
  EXPECT_EQ(serial, 12);
  EXPECT_EQ(atom, "    ");
  EXPECT_EQ(resseq, 0);
  EXPECT_EQ(x, 0.0f);
  EXPECT_EQ(element, "  ");
  int32_t n = 5;
  read_fixed("", "(I2)", where, n);
  EXPECT_EQ(n, 0);
}

TEST(FixedColumns, FieldRules) {
  EXPECT_EQ(read_real_field("   1234", 2), 12.34f);       // implied decimal point
  EXPECT_EQ(read_real_field(" 1 2.3 ", 2), 12.3f);        // blanks ignored
  EXPECT_EQ(read_real_field("1.5+3", 1), 1500.0f);        // exponent without a letter
  EXPECT_EQ(read_real_field("       ", 3), 0.0f);
  EXPECT_TRUE(std::signbit(*read_real_field("  -0.0", 1)));
  EXPECT_FALSE(read_real_field("1.2.3", 1).has_value());
  EXPECT_FALSE(read_real_field("1e", 1).has_value());
  EXPECT_TRUE(std::isinf(*read_real_field(" -Inf", 1)));
  EXPECT_EQ(read_integer_field("  -12"), -12);
  EXPECT_EQ(read_integer_field("     "), 0);
  EXPECT_FALSE(read_integer_field("   - ").has_value());
  EXPECT_FALSE(read_integer_field("2147483648").has_value());
  EXPECT_EQ(read_integer_field("-2147483648"), INT32_MIN);
}

TEST(FixedColumns, TargetsOfTheOtherTypeAndTooFewFields) {
  input_place where{"b.pdb", 2};
  float f = 0;
  int32_t i = 0;
  read_fixed("  42 7.9", "(i4,f4.1)", where, f, i);
  EXPECT_EQ(f, 42.0f);
  EXPECT_EQ(i, 7);
  try {
    read_fixed("1 2 3", "(i2)", where, i, i);
    ADD_FAILURE() << "second value had no field";
  } catch (const run_stop& stop) {
    EXPECT_EQ(stop.status, io_error);
    EXPECT_NE(stop.message.find("b.pdb, line 2"), std::string::npos) << stop.message;
  }
}

}  // namespace
}  // namespace porvane
