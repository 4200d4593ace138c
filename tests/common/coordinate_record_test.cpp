// The coordinate line written fast against the report formatter, and the
// coordinate file: created new, buffered, an existing file left alone.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "common/output_file.hpp"
#include "common/coordinate_record.hpp"
#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "support/run_program.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;

std::string by_formatter(const coordinate_fields& f) {
  return formatted_text(coordinate_record_format,
                        {f.recname, f.serial, f.atname, f.altloc, f.resname, f.chain, f.resseq,
                         f.xyz[0], f.xyz[1], f.xyz[2], f.w, f.b});
}

std::string fast(const coordinate_fields& f) {
  std::string out;
  append_coordinate_record(out, f);
  return out;
}

coordinate_fields plain() {
  coordinate_fields f;
  f.recname = "ATOM  ", f.serial = 1, f.atname = " CA ", f.altloc = " ", f.resname = "ALA";
  f.chain = "A", f.resseq = 1;
  return f;
}

// Edge values of every field: magnitudes, exact ties of the third and
// second decimals and their neighbours, values past the fields.
TEST(CoordinateRecord, EqualsTheFormatter) {
  const float inf = std::numeric_limits<float>::infinity(), max = std::numeric_limits<float>::max(),
              tiny = std::numeric_limits<float>::denorm_min();
  for (float v : {0.0f, -0.0f, 0.0625f, -0.0625f, 0.125f, 0.375f, 2.5f, 0.0005f, -0.0005f, 0.0004f, -0.0004f, 0.005f,
                  -0.005f, 0.015f, 9999.999f, 9999.9995f, 10000.0f, -999.999f, -999.9995f, -1000.0f, 999.995f, 1000.0f,
                  -99.995f, -100.0f, 99.99f, 1.0e15f, -3.0e38f, max, tiny, -tiny, 1.0e-20f, inf, -inf,
                  std::numeric_limits<float>::quiet_NaN(), 123.4565f, 12.345f, -12.345f, 1.6f, 1.0f / 3.0f,
                  4503599.5f, 8388607.5f, 16777216.0f, 0.1875f, -0.3125f, 1.4375f, std::nextafter(1.4375f, 2.0f),
                  std::nextafter(-0.3125f, 0.0f), 123.4375f, -4.125f, 0.375f, std::nextafter(0.125f, 0.0f)})
    for (int field = 0; field < 5; ++field) {
      coordinate_fields f = plain();
      (field < 3 ? f.xyz[field] : field == 3 ? f.w : f.b) = v;
      ASSERT_EQ(fast(f), by_formatter(f)) << "value " << v << " field " << field;
    }
  for (int32_t i : {0, -1, 9999, 10000, -999, -1000, 99999, 100000, -9999, -10000, INT_MAX, INT_MIN}) {
    coordinate_fields f = plain();
    f.serial = f.resseq = i;
    EXPECT_EQ(fast(f), by_formatter(f)) << i;
  }
  for (std::string_view t : {"", "x", "AB", "abc", "abcd", "abcdef", "abcdefghij", " O  "}) {
    coordinate_fields f = plain();
    f.recname = f.atname = f.altloc = f.resname = f.chain = t;
    EXPECT_EQ(fast(f), by_formatter(f)) << t;
  }
  // By hand: a B of 1000.0 is six asterisks, -0.0004 keeps its sign, ties go to even.
  coordinate_fields f = plain();
  f.xyz[0] = -0.0004f, f.xyz[1] = 0.0625f, f.xyz[2] = 10000.0f, f.w = -1.0f, f.b = 1000.0f;
  EXPECT_EQ(fast(f), "ATOM      1  CA  ALA A   1      -0.000   0.062******** -1.00******");

}

// The file: lines cross the buffer's boundary intact, formatted lines go
// through the report formatter, trailing blanks are not part of the name; a
// file that cannot be created ends the run with status 2. An existing file:
// the stops table.
TEST(CoordinateFile, CreatedNewAndWrittenWhole) {
  const fs::path dir = testing::fresh_directory("output_file");
  std::string expected = "CRYST1   50.840   42.770   28.950  90.00  90.00  90.00     P 1   \n";
  {
    output_file file((dir / "out.pdb").string() + "   ");
    file.line("('CRYST1',3f9.3,3f7.2,x,a10)", 50.84f, 42.77f, 28.95f, 90.0f, 90.0f, 90.0f, "P 1   ");
    coordinate_fields f = plain();
    for (int32_t i = 0; i < 40000; ++i) {  // 2.7 MB: the buffer is written out twice on the way
      f.serial = i, f.xyz[0] = static_cast<float>(i) * 0.001f, f.b = static_cast<float>(i % 1100);
      file.record(f);
      expected += fast(f) + "\n";
    }
    file.line("(a80)", std::string(90, 'h'));
    file.close();
  }
  EXPECT_EQ(testing::read_file(dir / "out.pdb"), expected + std::string(80, 'h') + "\n");
  try {
    output_file nowhere((dir / "no_such_directory" / "x.pdb").string());
    ADD_FAILURE() << "a file was created in a missing directory";
  } catch (const run_stop& stop) {
    EXPECT_EQ(stop.status, io_error);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
