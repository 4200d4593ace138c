#include "common/text_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/run_stop.hpp"

namespace porvane {

int open_regular_file(const std::string& path, std::string& why) {
  // Opened without blocking, so that a FIFO with no writer does not hold the
  // run; anything but a regular file is refused before a byte is read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    return -1;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = S_ISDIR(st.st_mode) ? "it is a directory" : "it is not a regular file";
    ::close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

text_file::text_file(std::string_view name, std::size_t width) : name_(name), width_(width) {
  std::string why;
  const int fd = open_regular_file(name_, why);
  if (fd >= 0) file_ = fdopen(fd, "rb");
  if (file_ == nullptr) {
    if (fd >= 0) ::close(fd);
    io_failure("cannot open input file '" + name_ + "': " + why);
  }
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
      io_failure("error reading input file '" + name_ + "' after line " + std::to_string(line_) +
                 ": " + std::strerror(errno));
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
