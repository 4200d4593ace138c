// Space-group symbols of the CRYST1 record and their numbers.
#pragma once

#include <array>
#include <string_view>

namespace porvane {

struct space_group_row {
  const char* symbol;  // 10 characters, blank-padded, as in CRYST1 columns 56-65
  float number;        // International Tables number; 4.1, 18.3, 18.5 for
                       // alternative settings, -1.0 for "OTHER"
};

constexpr int space_group_rows = 266;
extern const std::array<space_group_row, space_group_rows> space_group_table;

// Result of a symbol missing from the table.
constexpr float space_group_unknown = -10.0f;

// Number of the 10-character symbol (a shorter text is blank-padded): every
// row is compared by exact equality of all ten characters and the last equal
// row wins; space_group_unknown when no row is equal.
float space_group_number(std::string_view symbol);

}  // namespace porvane
