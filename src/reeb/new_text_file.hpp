// A text output file that is created new: a file of that name that already
// exists ends the run with an input/output error and is left as it was.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "common/report_writer.hpp"

namespace porvane {

class new_text_file {
 public:
  explicit new_text_file(std::string name);
  ~new_text_file();
  new_text_file(const new_text_file&) = delete;
  new_text_file& operator=(const new_text_file&) = delete;

  // One line written by `format`, as a report line is, with no leading blank.
  template <class... T>
  void line(std::string_view format, const T&... items) {
    write_line(format, {to_item(items)...});
  }
  void write_line(std::string_view format, const std::vector<report_item>& items);
  // Closes the file; a failed write or close ends the run.
  void close();

 private:
  std::string name_;
  std::FILE* file_ = nullptr;
  std::string buffer_;
};

}  // namespace porvane
