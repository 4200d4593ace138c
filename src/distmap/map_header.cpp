#include "distmap/map_header.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "common/limits.hpp"
#include "common/run_stop.hpp"
#include "common/text_file.hpp"

namespace porvane {

namespace {

constexpr std::size_t header_bytes = 1024;
constexpr int32_t max_labels = 10;  // 80-character labels in words 57-256
constexpr int32_t float32_mode = 2;
// Word 54, the machine stamp: the high halves of its first two bytes give
// the byte order of the reals and of the integers, 4 little-endian, 1
// big-endian; a stamp of zeros (older maps) means this machine's order.
constexpr unsigned little_endian = 4, big_endian = 1;

class header_words {
 public:
  header_words(const std::string& path, const unsigned char* bytes)
      : path_(path), bytes_(bytes), swap_(bytes[4 * 53] >> 4 == big_endian) {}

  int32_t word(int n) const {
    unsigned char b[4];
    std::memcpy(b, bytes_ + 4 * (n - 1), 4);
    if (swap_) std::reverse(b, b + 4);
    int32_t v;
    std::memcpy(&v, b, 4);
    return v;
  }

  [[noreturn]] void wrong(std::string_view field, int n, const std::string& why) const {
    fatal_stop("map file " + path_ + ": header word " + std::to_string(n) + " (" +
               std::string(field) + ") is " + std::to_string(word(n)) + why);
  }

 private:
  const std::string& path_;
  const unsigned char* bytes_;
  bool swap_;
};

// Reads the first 1024 bytes and returns the file's length; -1 for a file
// that cannot be opened or is shorter than a header.
long read_header_bytes(const std::string& path, unsigned char* bytes) {
  std::string why;
  const int fd = open_regular_file(path, why);
  if (fd < 0) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
      fatal_stop("map file " + path + " is not a regular file");
    return -1;
  }
  const off_t size = lseek(fd, 0, SEEK_END);
  const ssize_t got =
      size >= static_cast<off_t>(header_bytes) ? pread(fd, bytes, header_bytes, 0) : 0;
  close(fd);
  return got == static_cast<ssize_t>(header_bytes) ? static_cast<long>(size) : -1;
}

const char* const axis_name[3] = {"columns", "rows", "sections"};

}  // namespace

std::optional<map_header> check_map_header(const std::string& path) {
  unsigned char bytes[header_bytes];
  const long size = read_header_bytes(path, bytes);
  if (size < 0 || std::memcmp(bytes + 4 * 52, "MAP ", 4) != 0) return std::nullopt;
  const header_words w(path, bytes);
  // libccp4 converts by the stamp and divides by a size it lacks for an
  // order it does not know: only the orders of IEEE reals pass.
  const unsigned reals = bytes[4 * 53] >> 4, integers = bytes[4 * 53 + 1] >> 4;
  const bool zeros = bytes[4 * 53] == 0 && bytes[4 * 53 + 1] == 0;
  if (!zeros && !(reals == integers && (reals == little_endian || reals == big_endian)))
    w.wrong("machine stamp", 54, ": not the byte order of IEEE reals and integers");
  map_header h;
  for (int c = 0; c < 3; ++c) {
    h.count[c] = w.word(1 + c);
    h.start[c] = w.word(5 + c);
    h.sampling[c] = w.word(8 + c);
    h.axes[c] = w.word(17 + c);
  }
  h.mode = w.word(4);
  h.nsymbt = w.word(24);
  h.nlabl = w.word(56);

  if (h.mode != float32_mode) w.wrong("data mode", 4, ", not 2 (32-bit reals)");
  if (h.nlabl < 0 || h.nlabl > max_labels) w.wrong("number of labels", 56, ", not 0 to 10");
  bool axis_seen[3] = {false, false, false};
  for (int c = 0; c < 3; ++c) {
    const int32_t a = h.axes[c];
    if (a < 1 || a > 3 || axis_seen[a - 1])
      w.wrong("axis order", 17 + c, ": not an order of 1, 2, 3");
    axis_seen[a - 1] = true;
  }
  // The map must fit the grid 0..n of its sampling, n at most maxgrid, so
  // that every value lands on a grid point.
  for (int c = 0; c < 3; ++c) {
    const std::string axis = axis_name[c];
    if (h.sampling[c] < 0 || h.sampling[c] > maxgrid)
      w.wrong("sampling of the " + axis, 8 + c, ", outside 0.." + std::to_string(maxgrid));
    if (h.count[c] < 1 || h.count[c] > h.sampling[c] + 1)
      w.wrong("number of " + axis, 1 + c, ", outside 1.." + std::to_string(h.sampling[c] + 1));
    if (h.start[c] < 0 || int64_t{h.start[c]} + h.count[c] - 1 > h.sampling[c])
      w.wrong("first of the " + axis, 5 + c,
              ": the map does not fit the grid 0.." + std::to_string(h.sampling[c]));
  }
  if (h.nsymbt < 0) w.wrong("symmetry bytes", 24, ", below 0");
  const int64_t needed =
      int64_t{header_bytes} + h.nsymbt + int64_t{4} * h.count[0] * h.count[1] * h.count[2];
  if (size < needed)
    fatal_stop("map file " + path + " holds " + std::to_string(size) + " bytes, fewer than the " +
               std::to_string(needed) + " its header describes");
  return h;
}

}  // namespace porvane
