// Fixed-length, blank-padded character fields.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace porvane {

// `s` without its trailing blanks and zero bytes (a field never written
// holds zero bytes): the one trimming rule of names and fields.
inline std::string_view trim_blanks(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
  return s.substr(0, n);
}

// A character field of exactly N bytes. Zero-filled until first assigned,
// as the run's records are; assignment pads with blanks or cuts to N.
template <std::size_t N>
struct fixed_text {
  std::array<char, N> c{};

  fixed_text() = default;
  fixed_text(std::string_view s) { assign(s); }  // NOLINT: implicit on purpose

  void assign(std::string_view s) {
    std::size_t n = s.size() < N ? s.size() : N;
    for (std::size_t i = 0; i < n; ++i) c[i] = s[i];
    for (std::size_t i = n; i < N; ++i) c[i] = ' ';
  }
  fixed_text& operator=(std::string_view s) {
    assign(s);
    return *this;
  }
  std::string_view view() const { return std::string_view(c.data(), N); }
  operator std::string_view() const { return view(); }  // NOLINT
  // 1-based character access, as column numbers are given.
  char at(std::size_t pos1) const { return c[pos1 - 1]; }
  char& at(std::size_t pos1) { return c[pos1 - 1]; }
  bool operator==(std::string_view s) const { return view() == s; }
  // Text without trailing blanks and zero bytes.
  std::string_view trimmed() const { return trim_blanks(view()); }
  bool blank() const { return trimmed().empty(); }
  static constexpr std::size_t size() { return N; }
};

// Input text with every control byte (below 32, and 127: NUL, tab, escape,
// ...) read as a blank, so that no report line or file the program writes
// holds one.
inline char blank_if_control(char ch) {
  const auto u = static_cast<unsigned char>(ch);
  return u < 32 || u == 127 ? ' ' : ch;
}
template <std::size_t N>
void blank_control_bytes(fixed_text<N>& t) {
  for (char& ch : t.c) ch = blank_if_control(ch);
}
// A copy of s as a report line shows it: its control bytes as blanks.
inline std::string without_control_bytes(std::string_view s) {
  std::string out(s);
  for (char& ch : out) ch = blank_if_control(ch);
  return out;
}

// A blank-padded copy of s in exactly n characters (cut when longer).
inline std::string padded(std::string_view s, std::size_t n) {
  std::string out(s.substr(0, n < s.size() ? n : s.size()));
  out.resize(n, ' ');
  return out;
}

}  // namespace porvane
