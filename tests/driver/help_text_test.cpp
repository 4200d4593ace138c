// The help text, run end to end; expected texts were written by gfortran's
// own list-directed and formatted output (tools/fortran/help_text.f90).
#include <gtest/gtest.h>

#include "support/run_program.hpp"
#include "support/table_file.hpp"

namespace porvane {
namespace {

TEST(HelpText, PrintedWithTheCurrentValuesAndExitZero) {
  for (const auto& row : testing::read_table("tables/help_cases.txt")) {
    const auto result = testing::run_program(PORVANE_BINARY, testing::words(row[0]));
    EXPECT_EQ(result.status, 0) << row[0];
    EXPECT_EQ(result.out, testing::read_file(std::string(PORVANE_TEST_DATA) + "/help/" + row[1])) << row[0];
    EXPECT_EQ(result.err, row.size() > 2 ? row[2] + "\n" : "") << row[0];
  }
}

}  // namespace
}  // namespace porvane
