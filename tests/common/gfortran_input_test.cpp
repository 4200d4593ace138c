// Fixed-column reads compared with what gfortran's formatted READ gave for
// the same records (tests/data/format/read.txt, from tools/fortran).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "common/fixed_columns.hpp"
#include "common/run_stop.hpp"
#include "format_cases.hpp"

namespace porvane {
namespace {

// The values read, written the way the generator writes them.
std::string read_as_gfortran(const std::string& format, const std::string& types,
                             const std::string& record) {
  std::vector<float> reals(32);
  std::vector<int32_t> ints(32);
  std::vector<std::unique_ptr<char[]>> texts;
  std::vector<std::size_t> text_sizes;
  std::vector<input_target> targets;
  std::string kinds;
  std::size_t p = 0;
  while (p < types.size()) {
    std::size_t end = types.find(' ', p);
    std::string t = types.substr(p, end == std::string::npos ? std::string::npos : end - p);
    p = end == std::string::npos ? types.size() : end + 1;
    if (t == "f") {
      reals[targets.size()] = -777.0f;
      targets.push_back(&reals[targets.size()]);
    } else if (t == "i") {
      ints[targets.size()] = -777;
      targets.push_back(&ints[targets.size()]);
    } else {
      std::size_t n = std::stoul(t.substr(1));
      texts.emplace_back(new char[n]);
      std::memset(texts.back().get(), '#', n);
      text_sizes.push_back(n);
      targets.push_back(text_target{texts.back().get(), n});
    }
    kinds += t[0];
  }
  try {
    read_fields(record, format, input_place{"test.pdb", 1}, targets);
  } catch (const run_stop& stop) {
    EXPECT_EQ(stop.status, io_error);
    return "ERR";
  }
  std::string out = "=";
  std::size_t text_index = 0;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    char buf[32];
    if (kinds[k] == 'f') {
      uint32_t bits;
      std::memcpy(&bits, &reals[k], sizeof bits);
      std::snprintf(buf, sizeof buf, " r%08X", bits);
      out += buf;
    } else if (kinds[k] == 'i') {
      out += " i" + std::to_string(ints[k]);
    } else {
      std::size_t n = text_sizes[text_index];
      out += " s" + std::to_string(n) + ":" + std::string(texts[text_index].get(), n);
      ++text_index;
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
