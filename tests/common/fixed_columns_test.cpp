// Fixed-column reads: the diagnostics of malformed fields and the rules
// around the record's end and the targets' widths.
#include <gtest/gtest.h>

#include "common/fixed_columns.hpp"
#include "common/fixed_text.hpp"
#include "common/run_stop.hpp"

namespace porvane {
namespace {

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
  const char* format = "(6x,3f9.3,3f7.2,x,a10)";
  EXPECT_EQ(failure_of("CRYST1   50.840   42.770abc.def   90.00  90.00  90.00 P 21 21 21", format, 12),
            "cannot read a number in file 1ubq.pdb, line 12, columns 25-33: 'abc.def  '");
  EXPECT_EQ(failure_of("CRYST1   50.840   42.770   28.950  9O.00", format, 3),
            "cannot read a number in file 1ubq.pdb, line 3, columns 34-40: '  9O.00'");
  // Numbers that are not finite, as text or beyond single precision.
  EXPECT_EQ(failure_of("CRYST1      NaN", format, 4),
            "cannot read a number in file 1ubq.pdb, line 4, columns 7-15: '      NaN' (not a finite number)");
  EXPECT_NE(failure_of("CRYST1     1e22     -inf", format, 5).find("columns 16-24: '     -inf'"), std::string::npos);
  EXPECT_NE(failure_of("CRYST1   1.0e39", format, 6).find("columns 7-15"), std::string::npos);
}

// A record that ends early reads blanks: zeros and blank texts.
TEST(FixedColumns, ShortRecordsReadAsBlanks) {
  fixed_text<4> atom("xxxx");
  int32_t serial = -1, resseq = -1;
  float x = -1;
  read_fixed("ATOM     12", "(6x,i5,1x,a4,6x,i4,4x,f8.3)", input_place{"a.pdb", 7}, serial, atom,
             resseq, x);
  EXPECT_EQ(serial, 12);
  EXPECT_EQ(atom, "    ");
  EXPECT_EQ(resseq, 0);
  EXPECT_EQ(x, 0.0f);
  // Integers beyond int32 do not read.
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
