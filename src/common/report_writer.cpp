#include "report_writer.hpp"

#include "formatted_output.hpp"

namespace porvane {
namespace {

// One buffer reused for every line: the text is built in memory and handed
// to stdio in one call.
std::string& line_buffer() {
  thread_local std::string buffer;
  buffer.clear();
  return buffer;
}

}  // namespace

// A free-format write continues an open line with its own leading blank,
// and always ends the line.
void report_writer::write_free(const std::vector<report_item>& items) {
  std::string& text = line_buffer();
  append_free_format(text, items);
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), out_);
  open_ = false;
}

// A formatted write continues an open line; when it leaves the line open,
// the blanks of its trailing X descriptors stay on the line.
void report_writer::write_formatted(std::string_view format, const std::vector<report_item>& items,
                                    bool end_line) {
  std::string& text = line_buffer();
  append_formatted(text, format, items, !end_line);
  if (end_line) text += '\n';
  std::fwrite(text.data(), 1, text.size(), out_);
  open_ = !end_line;
}

void report_writer::flush() { std::fflush(out_); }

report_writer& report() {
  static report_writer writer(stdout);
  return writer;
}

}  // namespace porvane
