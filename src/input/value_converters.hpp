// Character arithmetic that turns option and header texts into numbers.
#pragma once

#include <cstdint>
#include <string_view>

namespace porvane {

// Reads characters 1..9 of `field` (blank-padded when shorter).
float chartoreal(std::string_view field);
// Reads characters 1..4 of `field` (blank-padded when shorter).
int32_t chartoint(std::string_view field);

}  // namespace porvane
