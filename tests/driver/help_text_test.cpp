// The help text, run end to end; expected texts were written by gfortran's
// own list-directed and formatted output (tools/fortran/help_text.f90).
#include <gtest/gtest.h>

#include "support/run_program.hpp"

namespace porvane {
namespace {

using testing::read_file;
using testing::run_program;

std::string expected(const std::string& name) {
  return read_file(std::string(PORVANE_TEST_DATA) + "/help/" + name);
}

TEST(HelpText, PrintedWithTheCurrentValuesAndExitZero) {
  struct help_case {
    std::vector<std::string> args;
    const char* file;
  };
  const help_case cases[] = {
      {{}, "default.txt"},
      {{"-h"}, "default.txt"},
      {{"-s", "-nm", "-vb", "1"}, "default.txt"},
      {{"-help"}, "default.txt"},              // no input name
      {{"x.pdb", "-h"}, "default.txt"},
      {{"-re", "1.5", "-h"}, "re_1.5.txt"},
      {{"-h", "-re", "1.5", "x.pdb"}, "re_1.5.txt"},
      {{"-cg"}, "cg.txt"},
      {{"-re", "2"}, "re_no_point.txt"},
      {{"-re", "123.0", "-mt", "1234567.0", "-cd", "-10.0", "-st", "99.0", "-pc", "100.0", "-mf",
        "10.0"},
       "too_wide.txt"},
  };
  for (const auto& c : cases) {
    auto result = run_program(PORVANE_BINARY, c.args);
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    EXPECT_EQ(result.status, 0) << joined;
    EXPECT_EQ(result.out, expected(c.file)) << joined;
    EXPECT_EQ(result.err, "") << joined;
  }
}

}  // namespace
}  // namespace porvane
