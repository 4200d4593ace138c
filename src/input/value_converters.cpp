#include "input/value_converters.hpp"

#include <cmath>

#include "common/fixed_columns.hpp"

namespace porvane {

namespace {

// Character at 1-based position `pos`, a blank past the end of the field.
unsigned char char_at(std::string_view field, std::size_t pos) {
  return pos <= field.size() ? static_cast<unsigned char>(field[pos - 1]) : ' ';
}

// The number of characters at and after `at` that are digits.
std::size_t digits_at(std::string_view s, std::size_t at) {
  std::size_t n = 0;
  while (at + n < s.size() && s[at + n] >= '0' && s[at + n] <= '9') ++n;
  return n;
}

std::string_view without_blanks_around(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool is_sign(std::string_view s, std::size_t at) {
  return at < s.size() && (s[at] == '+' || s[at] == '-');
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

bool is_number_text(std::string_view text) {
  const std::string_view s = without_blanks_around(text);
  std::size_t p = is_sign(s, 0) ? 1 : 0;
  const std::size_t whole = digits_at(s, p);
  p += whole;
  std::size_t fraction = 0;
  if (p < s.size() && s[p] == '.') {
    fraction = digits_at(s, ++p);
    p += fraction;
  }
  if (whole + fraction == 0) return false;
  if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
    p += is_sign(s, p + 1) ? 2 : 1;
    const std::size_t exponent = digits_at(s, p);
    if (exponent == 0) return false;
    p += exponent;
  }
  return p == s.size();
}

std::optional<float> read_real_value(std::string_view text) {
  if (!is_number_text(text)) return std::nullopt;
  std::string_view s = without_blanks_around(text);
  if (s[0] == '+') s.remove_prefix(1);
  // A decimal text whose point and nonzero digits lie within its first nine
  // characters keeps the float that the character arithmetic has always
  // given it (the two readings differ in the last bit for texts such as
  // 0.35), so that the same value gives the same run as before.
  const std::size_t point = s.find('.');
  const bool plain_decimal = point != std::string_view::npos && point < 9 &&
                             s.find_first_of("eE") == std::string_view::npos &&
                             (s.size() <= 9 || s.find_first_not_of('0', 9) == std::string_view::npos);
  if (plain_decimal) return chartoreal(s);
  const std::optional<float> value = read_real_field(s, 0);  // correctly rounded
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::optional<int32_t> read_integer_value(std::string_view text) {
  const std::string_view s = without_blanks_around(text);
  const std::size_t sign = is_sign(s, 0) ? 1 : 0;
  const std::size_t digits = digits_at(s, sign);
  if (digits == 0 || sign + digits != s.size()) return std::nullopt;
  return read_integer_field(s);
}

}  // namespace porvane
