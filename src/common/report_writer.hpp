// The report on standard output: free-format (list-directed) lines and lines
// written by a Fortran-style format string, with lines that may stay open.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "fixed_text.hpp"

namespace porvane {

// One item of a report line: int32, real32, real64 or text (bytes as given).
using report_item = std::variant<int32_t, float, double, std::string_view>;

inline report_item to_item(int32_t v) { return v; }
inline report_item to_item(float v) { return v; }
inline report_item to_item(double v) { return v; }
inline report_item to_item(std::string_view v) { return v; }
inline report_item to_item(const char* v) { return std::string_view(v); }
inline report_item to_item(const std::string& v) { return std::string_view(v); }
template <std::size_t N>
report_item to_item(const fixed_text<N>& v) {
  return v.view();
}

// Text of one free-format line (without the newline): a leading blank, then
// the items; see free_format.cpp for the widths.
std::string free_format_text(const std::vector<report_item>& items);

// Text written by a format for the items. Records after the first (format
// reversion) are separated by '\n'; no newline at the end.
std::string formatted_text(std::string_view format, const std::vector<report_item>& items);

// Writes report lines to a stdio stream, each as soon as it is written. A
// line left open by `open` is continued by the next write of either kind.
// A write the stream refuses (a full disk) ends the run with an
// input/output error; from then on the writer writes nothing more, so the
// stop itself never meets the failed stream again.
class report_writer {
 public:
  explicit report_writer(std::FILE* out) : out_(out) {}

  template <class... T>
  void free(const T&... items) {
    write_free({to_item(items)...});
  }
  template <class... T>
  void line(std::string_view format, const T&... items) {
    write_formatted(format, {to_item(items)...}, true);
  }
  template <class... T>
  void open(std::string_view format, const T&... items) {
    write_formatted(format, {to_item(items)...}, false);
  }

  void write_free(const std::vector<report_item>& items);
  void write_formatted(std::string_view format, const std::vector<report_item>& items,
                       bool end_line);
  void flush();  // never stops the run
  bool line_open() const { return open_; }

 private:
  void emit();

  std::FILE* out_;
  bool open_ = false;
  bool failed_ = false;  // a write failed: nothing more is written
  std::string text_;  // the line being written, reused
};

// The program's report on standard output.
report_writer& report();

}  // namespace porvane
