#include "reeb/new_text_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/formatted_output.hpp"
#include "common/run_stop.hpp"

namespace porvane {

namespace {

[[noreturn]] void write_failure(const std::string& what, const std::string& name) {
  io_failure("porvane: cannot " + what + " output file '" + name + "': " + std::strerror(errno));
}

}  // namespace

new_text_file::new_text_file(std::string name) : name_(std::move(name)) {
  const int fd = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0) write_failure("create", name_);
  file_ = ::fdopen(fd, "w");
  if (file_ == nullptr) {
    ::close(fd);
    write_failure("create", name_);
  }
}

new_text_file::~new_text_file() {
  if (file_ != nullptr) std::fclose(file_);
}

void new_text_file::write_line(std::string_view format, const std::vector<report_item>& items) {
  buffer_.clear();
  append_formatted(buffer_, format, items, false);
  buffer_ += '\n';
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
    write_failure("write", name_);
}

void new_text_file::close() {
  std::FILE* f = file_;
  file_ = nullptr;
  if (f != nullptr && std::fclose(f) != 0) write_failure("write", name_);
}

}  // namespace porvane
