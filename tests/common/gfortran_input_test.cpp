// Fixed-column reads compared with what gfortran's formatted READ gave for
// the same records (tests/data/format/read.txt, from tools/fortran).
#include <gtest/gtest.h>

#include <bit>
#include <deque>
#include <sstream>

#include "common/fixed_columns.hpp"
#include "common/run_stop.hpp"
#include "format_cases.hpp"

namespace porvane {
namespace {

// The values read, written the way the generator writes them.
std::string read_as_gfortran(const std::string& format, const std::string& types, const std::string& record) {
  std::vector<float> reals(32, -777.0f);
  std::vector<int32_t> ints(32, -777);
  std::deque<std::string> texts;
  std::vector<input_target> targets;
  std::istringstream split(types);
  for (std::string t; split >> t;) {
    if (t == "f") targets.push_back(&reals[targets.size()]);
    else if (t == "i") targets.push_back(&ints[targets.size()]);
    else texts.emplace_back(std::stoul(t.substr(1)), '#'), targets.push_back(text_target{texts.back().data(), texts.back().size()});
  }
  try {
    read_fields(record, format, input_place{"test.pdb", 1}, targets);
  } catch (const run_stop& stop) {
    EXPECT_EQ(stop.status, io_error);
    return "ERR";
  }
  std::string out = "=";
  char buf[32];
  for (std::size_t k = 0, text = 0; k < targets.size(); ++k) {
    if (std::holds_alternative<float*>(targets[k])) {
      std::snprintf(buf, sizeof buf, " r%08X", std::bit_cast<uint32_t>(reals[k]));
      out += buf;
    } else if (std::holds_alternative<int32_t*>(targets[k])) {
      out += " i" + std::to_string(ints[k]);
    } else {
      out += " s" + std::to_string(texts[text].size()) + ":" + texts[text];
      ++text;
    }
  }
  return out;
}

// Where gfortran reads Inf or NaN (all exponent bits set), the program
// stops instead: no coordinate file has a use for them.
std::string expected_read(const std::string& gfortran) {
  for (std::size_t at = gfortran.find(" r"); at != std::string::npos; at = gfortran.find(" r", at + 1))
    if ((std::stoul(gfortran.substr(at + 2, 8), nullptr, 16) & 0x7F800000u) == 0x7F800000u) return "ERR";
  return gfortran;
}

TEST(GfortranInput, RecordsReadAsGfortranReadsThem) {
  auto cases = test::read_cases("read.txt", "read");
  ASSERT_GT(cases.size(), 400u);
  for (const test::format_case& c : cases) {
    ASSERT_EQ(c.fields.size(), 3u) << "case at line " << c.line_number;
    ASSERT_EQ(c.lines.size(), 1u) << "case at line " << c.line_number;
    EXPECT_EQ(read_as_gfortran(c.fields[0], c.fields[1], c.fields[2]), expected_read(c.lines[0]))
        << "format " << c.fields[0] << " record '" << c.fields[2] << "' (line " << c.line_number
        << ")";
  }
}

}  // namespace
}  // namespace porvane
