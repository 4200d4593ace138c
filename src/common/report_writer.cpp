#include "report_writer.hpp"

#include <stdio_ext.h>

#include <cerrno>
#include <cstring>

#include "formatted_output.hpp"
#include "run_stop.hpp"

namespace porvane {

// Each write goes out at once, an open line too (the progress marks of a
// long calculation), so that a run that is stopped or killed shows its
// report as far as it got.
void report_writer::emit() {
  if (failed_) return;
  errno = 0;
  if (std::fwrite(text_.data(), 1, text_.size(), out_) == text_.size() && std::fflush(out_) == 0)
    return;
  const int error = errno != 0 ? errno : EIO;
  failed_ = true;
  __fpurge(out_);  // what the stream still holds is dropped, not tried again at exit
  io_failure(std::string("cannot write the report to standard output: ") + std::strerror(error));
}

// A free-format write continues an open line with its own leading blank,
// and always ends the line.
void report_writer::write_free(const std::vector<report_item>& items) {
  text_.clear();
  append_free_format(text_, items);
  text_ += '\n';
  emit();
  open_ = false;
}

// A formatted write continues an open line; when it leaves the line open,
// the blanks of its trailing X descriptors stay on the line.
void report_writer::write_formatted(std::string_view format, const std::vector<report_item>& items,
                                    bool end_line) {
  text_.clear();
  append_formatted(text_, format, items, !end_line);
  if (end_line) text_ += '\n';
  emit();
  open_ = !end_line;
}

void report_writer::flush() {
  if (!failed_) std::fflush(out_);
}

report_writer& report() {
  static report_writer writer(stdout);
  return writer;
}

}  // namespace porvane
