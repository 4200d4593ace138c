#include "common/text_file.hpp"

#include <cerrno>
#include <cstring>

#include "common/run_stop.hpp"

namespace porvane {

text_file::text_file(std::string_view name, std::size_t width) : name_(name), width_(width) {
  file_ = std::fopen(name_.c_str(), "rb");
  if (file_ == nullptr)
    io_failure("porvane: cannot open input file '" + name_ + "': " + std::strerror(errno));
}

text_file::~text_file() { close(); }

void text_file::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool text_file::next(std::string& record) {
  record.clear();
  if (file_ == nullptr) return false;
  int c = std::fgetc(file_);
  if (c == EOF) {
    if (std::ferror(file_))
      io_failure("porvane: error reading input file '" + name_ + "' after line " +
                 std::to_string(line_) + ": " + std::strerror(errno));
    return false;
  }
  // Keep the first `width_` bytes, skip the rest of the line.
  std::size_t kept = 0;
  bool cr = false;
  while (c != EOF && c != '\n') {
    cr = (c == '\r');
    if (kept < width_ + 1) {
      record.push_back(static_cast<char>(c));
      ++kept;
    }
    c = std::fgetc(file_);
  }
  if (cr && record.size() <= width_) record.pop_back();
  record.resize(width_, ' ');
  ++line_;
  return true;
}

}  // namespace porvane
