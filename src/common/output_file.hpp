// An output file of the run (coordinate files, centre-line files, the Reeb
// script): created new, never overwritten, written through one buffer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "coordinate_record.hpp"
#include "report_writer.hpp"

namespace porvane {

class output_file {
 public:
  // Creates the file `name` (trailing blanks are not part of the name). A
  // file of that name that exists already, or one that cannot be created,
  // ends the run with an input/output error; an existing file is left as it
  // is.
  explicit output_file(std::string_view name);
  // Writes what is buffered and closes the file, reporting nothing (a run
  // that stops for another reason still closes its files).
  ~output_file();
  output_file(const output_file&) = delete;
  output_file& operator=(const output_file&) = delete;

  // One coordinate_record line.
  void record(const coordinate_fields& f) {
    if (buffer_.size() - used_ < coordinate_record_width + 1) drain();
    char* p = put_coordinate_record(buffer_.data() + used_, f);
    *p = '\n';
    used_ += coordinate_record_width + 1;
  }

  // One line written by `format` through the report formatter.
  template <class... T>
  void line(std::string_view format, const T&... items) {
    write_formatted(format, {to_item(items)...});
  }
  void write_formatted(std::string_view format, const std::vector<report_item>& items);

  // Writes what is buffered and closes the file; a failed write ends the run
  // with an input/output error.
  void close();

  const std::string& name() const { return name_; }

 private:
  void drain();
  void write_all(const char* data, std::size_t size);

  std::string name_;
  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  std::string text_;  // a formatted line before it is buffered
};

}  // namespace porvane
