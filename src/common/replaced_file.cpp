#include "common/replaced_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "common/run_stop.hpp"

namespace porvane {
namespace {

constexpr const char* unique_suffix = ".XXXXXX";  // filled in by mkostemp

// The temporary name: the file's own name with a unique suffix, in the same
// folder (a rename never crosses file systems); a name too long for the
// suffix takes a short one instead.
std::string temporary_template(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  if (name.size() - base + std::strlen(unique_suffix) <= NAME_MAX) return name + unique_suffix;
  return name.substr(0, base) + "porvane" + unique_suffix;
}

constexpr mode_t permission_bits = S_IRWXU | S_IRWXG | S_IRWXO;

// The mode of a new file.
mode_t new_file_mode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Gives the file the owner and group of the file it replaces, where the
// process may (root may; another user only a group of their own), so that a
// map that replaces another user's private map stays readable by that user.
// False where it may give neither: the file stays the running user's.
bool keep_owner(int fd, const struct stat& old) {
  return fchown(fd, old.st_uid, old.st_gid) == 0 ||
         fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
}

}  // namespace

replaced_file::replaced_file(std::string name, std::string kind)
    : name_(std::move(name)), kind_(std::move(kind)) {
  // A name that cannot be a file (too long, a folder that is not there) is
  // refused before anything is written.
  struct stat st {};
  if (lstat(name_.c_str(), &st) != 0 && errno != ENOENT) create_failure(errno);
  std::string path = temporary_template(name_);
  fd_ = mkostemp(path.data(), O_CLOEXEC);
  if (fd_ < 0) create_failure(errno);
  temporary_ = path;
}

void replaced_file::create_failure(int error) const {
  fatal_stop("cannot create " + kind_ + " '" + name_ + "': " + std::strerror(error));
}

replaced_file::~replaced_file() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

void replaced_file::write_failure(const std::string& why) const {
  fatal_stop("cannot write " + kind_ + " '" + name_ + "': " + why);
}

void replaced_file::commit() {
  if (fsync(fd_) != 0) write_failure(std::strerror(errno));
  // A regular file replaced hands on its owner, group and permission bits,
  // so that a map kept private stays private; nothing there, or a symbolic
  // link, gives a new file's.
  struct stat old {};
  if (lstat(name_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    keep_owner(fd_, old);
    fchmod(fd_, old.st_mode & permission_bits);
  } else {
    fchmod(fd_, new_file_mode());
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) write_failure(std::strerror(errno));
  if (std::rename(temporary_.c_str(), name_.c_str()) != 0) create_failure(errno);
  committed_ = true;
}

}  // namespace porvane
