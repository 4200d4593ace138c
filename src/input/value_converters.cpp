#include "input/value_converters.hpp"

#include <cmath>

namespace porvane {

namespace {

// Character at 1-based position `pos`, a blank past the end of the field.
unsigned char char_at(std::string_view field, std::size_t pos) {
  return pos <= field.size() ? static_cast<unsigned char>(field[pos - 1]) : ' ';
}

}  // namespace

// Plain character arithmetic on the first nine characters: every character
// counts as its code minus the code of "0", whatever it is, and each "."
// adds the value read around it. There is no validation.
float chartoreal(std::string_view field) {
  float value = 0.0f;
  const bool negative = char_at(field, 1) == '-';
  for (int p = 1; p <= 9; ++p) {
    if (char_at(field, p) != '.') continue;
    const int first = negative ? 2 : 1;
    if (p >= first + 1) {
      for (int q = first; q <= p - 1; ++q) {
        float power = std::pow(10.0f, static_cast<float>(p - 1 - q));
        value += power * (static_cast<float>(char_at(field, q)) - 48.0f);
      }
    }
    for (int q = p + 1; q <= 9; ++q) {
      unsigned char c = char_at(field, q);
      if (c == ' ') continue;
      float power = std::pow(10.0f, static_cast<float>(q - p));
      value += static_cast<float>(static_cast<int>(c) - 48) / power;
    }
  }
  if (negative) value = -value;
  return value;
}

// The number of digits is decided by the first non-blank among characters
// 4, 3, 2; no sign, no range test.
int32_t chartoint(std::string_view field) {
  int32_t d[5];
  for (int k = 1; k <= 4; ++k) d[k] = static_cast<int32_t>(char_at(field, k)) - 48;
  if (char_at(field, 4) != ' ') return 1000 * d[1] + 100 * d[2] + 10 * d[3] + d[4];
  if (char_at(field, 3) != ' ') return 100 * d[1] + 10 * d[2] + d[3];
  if (char_at(field, 2) != ' ') return 10 * d[1] + d[2];
  return d[1];
}

}  // namespace porvane
