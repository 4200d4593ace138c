#include "common/output_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/formatted_output.hpp"
#include "common/run_stop.hpp"

namespace porvane {
namespace {

constexpr std::size_t buffer_size = std::size_t{1} << 20;

std::string file_name(std::string_view name) {
  const std::size_t end = name.find_last_not_of(' ');
  return std::string(name.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

}  // namespace

output_file::output_file(std::string_view name)
    : name_(file_name(name)), buffer_(buffer_size) {
  fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd_ < 0)
    io_failure("cannot create output file '" + name_ + "': " + std::strerror(errno));
}

output_file::~output_file() {
  if (fd_ < 0) return;
  std::size_t done = 0;
  while (done < used_) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, used_ - done);
    if (n <= 0 && errno != EINTR) break;
    if (n > 0) done += static_cast<std::size_t>(n);
  }
  ::close(fd_);
}

void output_file::write_all(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      io_failure("cannot write output file '" + name_ + "': " +
                 std::strerror(n < 0 ? errno : EIO));
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

void output_file::drain() {
  const std::size_t size = used_;
  used_ = 0;
  write_all(buffer_.data(), size);
}

void output_file::write_formatted(std::string_view format,
                                      const std::vector<report_item>& items) {
  text_.clear();
  append_formatted(text_, format, items, false);
  text_ += '\n';
  if (buffer_.size() - used_ < text_.size()) drain();
  if (text_.size() > buffer_.size()) return write_all(text_.data(), text_.size());
  std::memcpy(buffer_.data() + used_, text_.data(), text_.size());
  used_ += text_.size();
}

void output_file::close() {
  if (fd_ < 0) return;
  drain();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0)
    io_failure("cannot write output file '" + name_ + "': " + std::strerror(errno));
}

}  // namespace porvane
