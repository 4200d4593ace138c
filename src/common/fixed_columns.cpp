// Fixed-column input: Fortran formatted READ of one record, blanks in
// numeric fields ignored, the record padded with blanks as far as the
// format reaches.
#include "fixed_columns.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

#include "format_items.hpp"
#include "run_stop.hpp"

namespace porvane {
namespace {

// Exponents are clamped here: far beyond what any real can take, and
// small enough that adding the implied decimals cannot overflow.
constexpr long exponent_limit = 100000;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The field's characters without blanks.
std::string squeezed(std::string_view field) {
  std::string s;
  s.reserve(field.size());
  for (char c : field)
    if (c != ' ') s += c;
  return s;
}

bool equal_lower(std::string_view s, std::string_view word) {
  if (s.size() != word.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (lower(s[i]) != word[i]) return false;
  return true;
}

}  // namespace

// Fw.d input. Returns nothing when gfortran would report an error.
std::optional<float> read_real_field(std::string_view field, int decimals) {
  std::string s = squeezed(field);
  std::size_t p = 0;
  bool neg = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) neg = s[p++] == '-';
  if (p == s.size()) return 0.0f;  // blank, or a sign alone
  if (lower(s[p]) == 'i' || lower(s[p]) == 'n') {
    std::string_view word = std::string_view(s).substr(p);
    if (equal_lower(word, "inf") || equal_lower(word, "infinity"))
      return neg ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    if (equal_lower(word.substr(0, 3), "nan") &&
        (word.size() == 3 || (word[3] == '(' && word.back() == ')')))
      return std::numeric_limits<float>::quiet_NaN();
    return std::nullopt;
  }
  // Mantissa: digits with at most one decimal point.
  std::string digits;
  long fraction_digits = 0;
  bool point = false;
  for (; p < s.size(); ++p) {
    if (is_digit(s[p])) {
      digits += s[p];
      if (point) ++fraction_digits;
    } else if (s[p] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  // Exponent: a letter E, D or Q with an optional sign, or a sign alone.
  long exponent = 0;
  if (p < s.size()) {
    char c = lower(s[p]);
    if (c == 'e' || c == 'd' || c == 'q') {
      ++p;
    } else if (c != '+' && c != '-') {
      return std::nullopt;
    }
    bool exp_neg = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) exp_neg = s[p++] == '-';
    if (p == s.size()) return std::nullopt;
    for (; p < s.size(); ++p) {
      if (!is_digit(s[p])) return std::nullopt;
      if (exponent < exponent_limit) exponent = exponent * 10 + (s[p] - '0');
    }
    if (exp_neg) exponent = -exponent;
  }
  if (digits.empty()) return neg && point ? -0.0f : 0.0f;
  // Without a decimal point the last d digits are the fraction.
  exponent -= point ? fraction_digits : decimals;
  digits += 'e';
  digits += std::to_string(exponent);
  float v = std::strtof(digits.c_str(), nullptr);  // correctly rounded, as gfortran converts
  return neg ? -v : v;
}

// Iw input. Returns nothing when gfortran would report an error.
std::optional<int32_t> read_integer_field(std::string_view field) {
  std::string s = squeezed(field);
  if (s.empty()) return 0;
  std::size_t p = 0;
  bool neg = false;
  if (s[p] == '+' || s[p] == '-') neg = s[p++] == '-';
  if (p == s.size()) return std::nullopt;
  long long v = 0;
  for (; p < s.size(); ++p) {
    if (!is_digit(s[p])) return std::nullopt;
    v = v * 10 + (s[p] - '0');
    if (v > 2147483648LL) return std::nullopt;
  }
  if (neg) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(v);
}

namespace {

class field_reader {
 public:
  field_reader(std::string_view record, const input_place& where,
               const std::vector<input_target>& targets)
      : record_(record), where_(where), targets_(targets) {}

  bool operator()(const format_node& n) {
    switch (n.kind) {
      case edit_kind::skip:
        column_ += n.width;
        return true;
      case edit_kind::literal:
        column_ += n.text.size();
        return true;
      default:
        break;
    }
    if (next_ == targets_.size()) return false;
    const input_target& target = targets_[next_++];
    int width = n.width;
    if (width == 0) {
      const auto* t = std::get_if<text_target>(&target);
      width = t ? static_cast<int>(t->size) : 0;
    }
    std::string field = columns(width);
    std::size_t first = column_ + 1;
    column_ += width;
    if (const auto* t = std::get_if<text_target>(&target)) {
      store_text(*t, field);
      return true;
    }
    if (n.kind == edit_kind::text) bad_number(field, first, "an A field for a number");
    if (n.kind == edit_kind::integer) {
      auto v = read_integer_field(field);
      if (!v) bad_number(field, first, nullptr);
      if (auto* i = std::get_if<int32_t*>(&target))
        **i = *v;
      else
        **std::get_if<float*>(&target) = static_cast<float>(*v);
      return true;
    }
    auto v = read_real_field(field, n.decimals);
    if (!v) bad_number(field, first, nullptr);
    // NaN, Inf or a value beyond the single-precision range has no place in
    // a coordinate file: nothing computed from it would mean anything.
    if (!std::isfinite(*v)) bad_number(field, first, "not a finite number");
    if (auto* f = std::get_if<float*>(&target)) {
      **f = *v;
    } else {
      // A real field read into an integer: its integer part.
      if (std::fabs(*v) >= 2147483648.0f) bad_number(field, first, nullptr);
      **std::get_if<int32_t*>(&target) = static_cast<int32_t>(*v);
    }
    return true;
  }

  bool all_read() const { return next_ == targets_.size(); }

  [[noreturn]] void bad_number(const std::string& field, std::size_t first, const char* why) {
    std::string msg = "cannot read a number in file " + std::string(where_.file) + ", line " +
                      std::to_string(where_.line) + ", columns " + std::to_string(first) + "-" +
                      std::to_string(first + field.size() - 1) + ": '" + field + "'";
    if (why) msg += std::string(" (") + why + ")";
    io_failure(msg);
  }

 private:
  std::string_view record_;
  const input_place& where_;
  const std::vector<input_target>& targets_;
  std::size_t next_ = 0;
  std::size_t column_ = 0;  // 0-based position in the record

  // Columns [column_, column_ + width) of the record, blank beyond its end.
  std::string columns(int width) const {
    std::string f;
    if (column_ < record_.size()) f = std::string(record_.substr(column_, width));
    f.resize(width, ' ');
    return f;
  }

  // aN into a target of L characters: the last L of the field when N >= L,
  // else the field followed by blanks.
  static void store_text(const text_target& t, std::string_view field) {
    if (field.size() >= t.size) {
      field.remove_prefix(field.size() - t.size);
      for (std::size_t i = 0; i < t.size; ++i) t.data[i] = field[i];
    } else {
      for (std::size_t i = 0; i < field.size(); ++i) t.data[i] = field[i];
      for (std::size_t i = field.size(); i < t.size; ++i) t.data[i] = ' ';
    }
  }
};

}  // namespace

void read_fields(std::string_view record, std::string_view format, const input_place& where,
                 const std::vector<input_target>& targets) {
  const parsed_format& pf = cached_format(format);
  field_reader reader(record, where, targets);
  walk_format(pf.items, 0, reader);
  if (!reader.all_read())
    io_failure("the format " + std::string(format) + " has fewer fields than values (file " +
               std::string(where.file) + ", line " + std::to_string(where.line) + ")");
}

}  // namespace porvane
