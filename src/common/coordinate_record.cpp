#include "common/coordinate_record.hpp"

#include <cmath>
#include <cstring>

#include "common/number_text.hpp"

namespace porvane {
namespace {

constexpr double decimal_scale[] = {1.0, 10.0, 100.0, 1000.0};
constexpr uint64_t decimal_unit[] = {1, 10, 100, 1000};

// aN: a shorter text right-aligned behind blanks, a longer one cut.
char* put_text(char* p, std::string_view s, int width) {
  const std::size_t w = static_cast<std::size_t>(width);
  if (s.size() >= w) {
    std::memcpy(p, s.data(), w);
  } else {
    std::memset(p, ' ', w - s.size());
    std::memcpy(p + (w - s.size()), s.data(), s.size());
  }
  return p + w;
}

// Digits of v (at least one) written backwards from `end`; returns the count.
int put_digits_backwards(char* end, uint64_t v) {
  int n = 0;
  do {
    *--end = static_cast<char>('0' + v % 10);
    v /= 10;
    ++n;
  } while (v != 0);
  return n;
}

// A field's text right-aligned in `width` columns, asterisks when longer.
char* put_field(char* p, const char* text, int len, int width) {
  if (len > width) {
    std::memset(p, '*', static_cast<std::size_t>(width));
  } else {
    std::memset(p, ' ', static_cast<std::size_t>(width - len));
    std::memcpy(p + (width - len), text, static_cast<std::size_t>(len));
  }
  return p + width;
}

// iN.
char* put_integer(char* p, int32_t value, int width) {
  char digits[16];
  char* end = digits + sizeof digits;
  const bool neg = value < 0;
  const uint64_t mag = neg ? static_cast<uint64_t>(-static_cast<int64_t>(value)) : static_cast<uint64_t>(value);
  int len = put_digits_backwards(end, mag);
  if (neg) end[-++len] = '-';
  return put_field(p, end - len, len, width);
}

// fN.D for D ≤ 3, with the layout rules of append_fixed_field; values the
// integer path cannot hold (not finite, or beyond 10^15 after scaling) go
// through append_fixed_field itself.
char* put_fixed(char* p, float value, int width, int decimals) {
  const double scaled = std::fabs(static_cast<double>(value)) * decimal_scale[decimals];
  if (!(scaled < 1.0e15)) {
    std::string slow;
    append_fixed_field(slow, value, width, decimals);
    std::memcpy(p, slow.data(), static_cast<std::size_t>(width));
    return p + width;
  }
  const uint64_t n = static_cast<uint64_t>(std::nearbyint(scaled));  // ties to even
  const uint64_t int_part = n / decimal_unit[decimals];
  uint64_t frac = n % decimal_unit[decimals];
  // The text is built backwards: decimals, point, integer part, sign.
  char text[32];
  char* end = text + sizeof text;
  int len = 0;
  for (int d = 0; d < decimals; ++d, frac /= 10) end[-++len] = static_cast<char>('0' + frac % 10);
  end[-++len] = '.';
  // A zero integer part is written only when the field has room for it
  // (always with no decimals, where it is the whole number).
  const bool neg = std::signbit(value);
  const int bare = (neg ? 1 : 0) + len;
  if (int_part != 0 || decimals == 0 || bare < width) len += put_digits_backwards(end - len, int_part);
  if (neg) end[-++len] = '-';
  return put_field(p, end - len, len, width);
}

}  // namespace

coordinate_fields atom_fields(const atom_record& rec, std::string_view chain, const float xyz[3],
                              float w, float b) {
  coordinate_fields f;
  f.recname = rec.recname.view();
  f.serial = rec.serial;
  f.atname = rec.atname.view();
  f.altloc = rec.altloc.view();
  f.resname = rec.resname.view();
  f.chain = chain;
  f.resseq = rec.resseq;
  for (int c = 0; c < 3; ++c) f.xyz[c] = xyz[c];
  f.w = w;
  f.b = b;
  return f;
}

char* put_coordinate_record(char* p, const coordinate_fields& f) {
  p = put_text(p, f.recname, 6);
  p = put_integer(p, f.serial, 5);
  *p++ = ' ';
  p = put_text(p, f.atname, 4);
  p = put_text(p, f.altloc, 1);
  p = put_text(p, f.resname, 3);
  *p++ = ' ';
  p = put_text(p, f.chain, 1);
  p = put_integer(p, f.resseq, 4);
  std::memset(p, ' ', 4);
  p += 4;
  for (float x : f.xyz) p = put_fixed(p, x, 8, 3);
  p = put_fixed(p, f.w, 6, 2);
  return put_fixed(p, f.b, 6, 2);
}

void append_coordinate_record(std::string& out, const coordinate_fields& f) {
  const std::size_t at = out.size();
  out.resize(at + coordinate_record_width);
  put_coordinate_record(out.data() + at, f);
}

}  // namespace porvane
