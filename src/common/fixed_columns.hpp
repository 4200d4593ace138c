// Fixed-column numeric input with Fortran edit descriptors: the header and
// atom readers parse their columns with the same format strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "fixed_text.hpp"

namespace porvane {

// Where a record came from, for the diagnostic of a malformed field.
struct input_place {
  std::string_view file;
  long line = 0;  // 1-based line number in the file
};

// A character target of a fixed width (an `a` field).
struct text_target {
  char* data;
  std::size_t size;
};

using input_target = std::variant<float*, int32_t*, text_target>;

inline input_target to_target(float& v) { return &v; }
inline input_target to_target(int32_t& v) { return &v; }
template <std::size_t N>
input_target to_target(fixed_text<N>& v) {
  return text_target{v.c.data(), N};
}

// Reads the targets from `record` by `format` (a record shorter than the
// format needs reads as if padded with blanks). A field that does not read
// as a finite number ends the run with an input/output error naming file,
// line and columns.
void read_fields(std::string_view record, std::string_view format, const input_place& where,
                 const std::vector<input_target>& targets);

// One numeric field as Fw.d and Iw read it (blanks ignored, all blank is
// zero); nothing when the field does not read as a number.
std::optional<float> read_real_field(std::string_view field, int decimals);
std::optional<int32_t> read_integer_field(std::string_view field);

template <class... T>
void read_fixed(std::string_view record, std::string_view format, const input_place& where,
                T&... targets) {
  read_fields(record, format, where, {to_target(targets)...});
}

}  // namespace porvane
