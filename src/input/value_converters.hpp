// Texts turned into numbers: the character arithmetic of the header's
// resolution field, and option values read as whole number texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace porvane {

// Reads characters 1..9 of `field` (blank-padded when shorter).
float chartoreal(std::string_view field);

// True when `text`, blanks around it aside, has the form of a number: an
// optional sign, digits with at most one decimal point, and an optional
// exponent (e or E, an optional sign, digits).
bool is_number_text(std::string_view text);

// The value of a number text; nothing when the text is not one or its value
// is beyond the single-precision range.
std::optional<float> read_real_value(std::string_view text);

// The value of an optional sign and digits (blanks around them aside);
// nothing when the text is not one or its value is beyond the int32 range.
std::optional<int32_t> read_integer_value(std::string_view text);

}  // namespace porvane
