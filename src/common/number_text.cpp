#include "number_text.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace porvane {
namespace {

void append_right(std::string& out, std::string_view text, int width) {
  if (width > static_cast<int>(text.size())) out.append(width - text.size(), ' ');
  out.append(text);
}

void append_stars(std::string& out, int width) { out.append(width, '*'); }

// Inf and NaN in a field of `width` columns: "Infinity" where it fits (a
// minus sign needs one column more), else "Inf"; asterisks below 3 columns
// (4 for -Inf).
void append_inf_nan(std::string& out, double value, int width) {
  if (std::isnan(value)) {
    if (width < 3) return append_stars(out, width);
    return append_right(out, "NaN", width);
  }
  bool neg = std::signbit(value);
  if (width < 3 || (neg && width == 3)) return append_stars(out, width);
  if (neg) return append_right(out, width > 8 ? "-Infinity" : "-Inf", width);
  append_right(out, width > 7 ? "Infinity" : "Inf", width);
}

// The correctly rounded digits of `magnitude` (>= 0) with `decimals`
// places, as printf gives them (ties to even on the exact binary value,
// which is how gfortran rounds).
std::string_view fixed_digits(double magnitude, int decimals, char* buf, std::size_t size,
                              std::string& spill) {
  int n = std::snprintf(buf, size, "%.*f", decimals, magnitude);
  if (n >= 0 && static_cast<std::size_t>(n) < size) return std::string_view(buf, n);
  spill.resize(static_cast<std::size_t>(n) + 1);
  std::snprintf(spill.data(), spill.size(), "%.*f", decimals, magnitude);
  spill.resize(static_cast<std::size_t>(n));
  return spill;
}

struct free_real_layout {
  int digits;         // significant digits
  int fixed_width;    // columns of the fixed form before its trailing blanks
  int trailing;       // blanks after the fixed form
  int exp_width;      // columns of the exponent form (and of Inf/NaN)
  int exp_digits;     // digits of the exponent
  double upper;       // the fixed form is used below this magnitude
};

constexpr free_real_layout real32_layout{9, 12, 4, 16, 2, 1e9};
constexpr free_real_layout real64_layout{17, 20, 5, 25, 3, 1e17};

void append_free(std::string& out, double value, const free_real_layout& f) {
  if (!std::isfinite(value)) return append_inf_nan(out, value, f.exp_width);
  double mag = std::fabs(value);
  char buf[64];
  std::string text;
  if (std::signbit(value)) text += '-';
  if (mag == 0.0 || (mag >= 0.1 && mag < f.upper)) {
    // Fixed form: as many decimals as leave `digits` significant digits,
    // counted after rounding.
    int decimals = f.digits - 1;
    if (mag != 0.0) {
      std::snprintf(buf, sizeof buf, "%.*e", f.digits - 1, mag);
      const char* e = std::strchr(buf, 'e');
      int exponent = std::atoi(e + 1);
      decimals = std::max(0, f.digits - 1 - exponent);
    }
    std::string spill;
    text += fixed_digits(mag, decimals, buf, sizeof buf, spill);
    if (decimals == 0) text += '.';
    append_right(out, text, f.fixed_width);
    out.append(f.trailing, ' ');
    return;
  }
  std::snprintf(buf, sizeof buf, "%.*E", f.digits - 1, mag);
  char* e = std::strchr(buf, 'E');
  int exponent = std::atoi(e + 1);
  *e = '\0';
  text += buf;
  text += 'E';
  text += exponent < 0 ? '-' : '+';
  char ebuf[16];
  std::snprintf(ebuf, sizeof ebuf, "%0*d", f.exp_digits, std::abs(exponent));
  text += ebuf;
  append_right(out, text, f.exp_width);
}

}  // namespace

void append_integer_field(std::string& out, long long value, int width) {
  char buf[32];
  int n = std::snprintf(buf, sizeof buf, "%lld", value);
  if (width > 0 && n > width) return append_stars(out, width);
  append_right(out, std::string_view(buf, n), width);
}

void append_fixed_field(std::string& out, double value, int width, int decimals) {
  if (!std::isfinite(value)) return append_inf_nan(out, value, width);
  char buf[96];
  std::string spill;
  std::string_view digits = fixed_digits(std::fabs(value), decimals, buf, sizeof buf, spill);
  bool neg = std::signbit(value);
  // A zero integer part is written only when there is room for it, except
  // with no decimals, where the zero is the whole number.
  std::string_view int_part = digits.substr(0, digits.find('.'));
  std::string_view frac = decimals > 0 ? digits.substr(int_part.size() + 1) : std::string_view();
  bool zero_int = int_part == "0";
  std::size_t bare = (neg ? 1 : 0) + (zero_int ? 0 : int_part.size()) + 1 + frac.size();
  bool with_zero = zero_int && (decimals == 0 || width == 0 || static_cast<int>(bare) < width);
  std::size_t len = bare + (with_zero ? 1 : 0);
  if (width > 0 && static_cast<int>(len) > width) return append_stars(out, width);
  if (width > static_cast<int>(len)) out.append(width - len, ' ');
  if (neg) out += '-';
  if (!zero_int || with_zero) out.append(int_part);
  out += '.';
  out.append(frac);
}

void append_free_integer(std::string& out, int32_t value) { append_integer_field(out, value, 11); }

void append_free_real(std::string& out, float value) { append_free(out, value, real32_layout); }

void append_free_real(std::string& out, double value) { append_free(out, value, real64_layout); }

}  // namespace porvane
