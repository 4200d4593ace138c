// Numbers written as Fortran writes them: I and F edit descriptors and the
// default widths of free-format (list-directed) output.
#pragma once

#include <cstdint>
#include <string>

namespace porvane {

// Iw: right-aligned in `width` columns, asterisks when too wide (width 0:
// as many columns as needed).
void append_integer_field(std::string& out, long long value, int width);

// Fw.d: rounded to `decimals` places (exact value, ties to even), right-
// aligned; the zero before the point only where the field has room; the
// minus sign kept when a negative value rounds to zero; asterisks when too
// wide; Inf, -Inf and NaN as gfortran spells them for the width.
void append_fixed_field(std::string& out, double value, int width, int decimals);

// Free-format items: int32 in 11 columns, real32 in 16 (9 digits), real64
// in 25 (17 digits); fixed form inside the decade range, exponent form
// outside.
void append_free_integer(std::string& out, int32_t value);
void append_free_real(std::string& out, float value);
void append_free_real(std::string& out, double value);

}  // namespace porvane
