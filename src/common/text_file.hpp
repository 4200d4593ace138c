// Sequential reading of a text input file as fixed-width records.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace porvane {

// Opens `path` for reading when it is a regular file (a symbolic link to one
// included) and returns the descriptor; otherwise returns -1 with the reason
// in `why`. Never blocks, whatever the file is.
int open_regular_file(const std::string& path, std::string& why);

// Reads a text file line by line. Each record is the line's first `width`
// bytes, padded with blanks when the line is shorter; a trailing carriage
// return (DOS line ends) is not part of the line. A file that cannot be
// opened, or is not a regular file (a directory, a device, a FIFO), ends the
// run with an input/output error.
class text_file {
 public:
  text_file(std::string_view name, std::size_t width);
  ~text_file();
  text_file(const text_file&) = delete;
  text_file& operator=(const text_file&) = delete;

  // Reads the next record into `record`; false at the end of the file.
  bool next(std::string& record);
  // 1-based number of the record read last.
  long line_number() const { return line_; }
  const std::string& name() const { return name_; }
  void close();

 private:
  std::string name_;
  std::size_t width_;
  std::FILE* file_ = nullptr;
  long line_ = 0;
};

}  // namespace porvane
