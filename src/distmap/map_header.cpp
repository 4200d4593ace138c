#include "distmap/map_header.hpp"

#include <unistd.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

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
  float real(int n) const {
    const int32_t bits = word(n);
    float v;
    std::memcpy(&v, &bits, 4);
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

// Reads the first 1024 bytes. A file that cannot be opened, is not a regular
// file, or is too short for a header stops the run saying which.
long read_header_bytes(const std::string& path, unsigned char* bytes) {
  std::string why;
  const int fd = open_regular_file(path, why);
  if (fd < 0) fatal_stop("map file " + path + " cannot be opened: " + why);
  const off_t size = lseek(fd, 0, SEEK_END);
  const ssize_t got =
      size >= static_cast<off_t>(header_bytes) ? pread(fd, bytes, header_bytes, 0) : 0;
  close(fd);
  if (size == 0) fatal_stop("map file " + path + " is empty");
  if (size < static_cast<off_t>(header_bytes))
    fatal_stop("map file " + path + " holds " + std::to_string(size) +
               " bytes, too few for the 1024-byte header of a map");
  if (got != static_cast<ssize_t>(header_bytes))
    fatal_stop("map file " + path + ": its header cannot be read");
  return static_cast<long>(size);
}

const char* const axis_name[3] = {"columns", "rows", "sections"};
const char* const axis_letter[3] = {"x", "y", "z"};

// "i = 20" or "i = 0..4": the planes first..last of grid index `index`.
std::string planes_text(char index, int32_t first, int32_t last) {
  return std::string(1, index) + " = " + std::to_string(first) +
         (last > first ? ".." + std::to_string(last) : "");
}

// Stops the run when the map lacks grid points 0..n along a cell axis. A
// whole cell of n points (0..n-1, as many programs write one) lacks plane
// n, which is a point of its own, not a copy of plane 0.
void check_grid_held(const std::string& path, const map_header& h) {
  std::vector<std::string> missing;
  int32_t planes_missing = 0;
  std::string held, grid;
  for (int c = 0; c < 3; ++c) {
    const char index = "ijk"[c];
    const int32_t n = h.sampling[c], first = h.first(c), last = h.last(c);
    if (first > 0) {
      missing.push_back(planes_text(index, 0, std::min(first - 1, n)));
      planes_missing += std::min(first - 1, n) + 1;
    }
    if (last < n) {
      missing.push_back(planes_text(index, std::max(last + 1, 0), n));
      planes_missing += n - std::max(last + 1, 0) + 1;
    }
    const std::string x = c > 0 ? " x " : "";
    held += x + std::to_string(first) + ".." + std::to_string(last);
    grid += x + "0.." + std::to_string(n);
  }
  if (missing.empty()) return;
  std::string planes = missing.front();
  for (std::size_t m = 1; m < missing.size(); ++m)
    planes += (m + 1 < missing.size() ? ", " : " and ") + missing[m];
  fatal_stop("map file " + path + " lacks the plane" + (planes_missing > 1 ? "s " : " ") + planes +
             " of the grid " + grid + " (it holds " + held + "): the map cannot be used");
}

// Volume of a cell of edges a, b, c (Å) and angles alpha, beta, gamma
// (degrees), in double precision; not a positive number for a flat or
// impossible cell.
double cell_volume(const float cell[6]) {
  constexpr double radians = 3.14159265358979323846 / 180.0;
  const double ca = std::cos(cell[3] * radians), cb = std::cos(cell[4] * radians),
               cg = std::cos(cell[5] * radians);
  const double shape = 1.0 - ca * ca - cb * cb - cg * cg + 2.0 * ca * cb * cg;
  if (!(shape > 0.0) || !(cell[0] > 0.0f) || !(cell[1] > 0.0f) || !(cell[2] > 0.0f)) return 0.0;
  return double{cell[0]} * cell[1] * cell[2] * std::sqrt(shape);
}

}  // namespace

map_header check_map_header(const std::string& path) {
  unsigned char bytes[header_bytes];
  const long size = read_header_bytes(path, bytes);
  if (std::memcmp(bytes + 4 * 52, "MAP ", 4) != 0)
    fatal_stop("map file " + path + " is not a CCP4 map: header word 53 is not 'MAP '");
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
  for (int c = 0; c < 6; ++c) h.cell[c] = w.real(11 + c);
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
  // A sampling of 0 lays a plane of the cell, not a grid over it: no run
  // computes such a map.
  for (int c = 0; c < 3; ++c)
    if (h.sampling[c] < 1 || h.sampling[c] > maxgrid)
      w.wrong(std::string("sampling along ") + axis_letter[c], 8 + c,
              ", outside 1.." + std::to_string(maxgrid));
  // The map holds the grid 0..n of its sampling, and may reach a cell beyond
  // it on either side (a border of periodic images, which the run does not
  // use): further, it is not a map of this grid.
  for (int f = 0; f < 3; ++f) {
    const int32_t n = h.sampling[h.axes[f] - 1];
    const std::string axis = axis_name[f];
    const std::string span = std::to_string(-n) + ".." + std::to_string(2 * n) + " (the grid 0.." +
                             std::to_string(n) + " along " + axis_letter[h.axes[f] - 1] +
                             " and a cell either side)";
    if (h.start[f] < -n || h.start[f] > 2 * n)
      w.wrong("first of the " + axis, 5 + f, ", outside " + span);
    if (h.count[f] < 1) w.wrong("number of " + axis, 1 + f, ", below 1");
    const int64_t last = int64_t{h.start[f]} + h.count[f] - 1;
    if (last > 2 * n)
      w.wrong("number of " + axis, 1 + f,
              ": the " + axis + " end at " + std::to_string(last) + ", outside " + span);
  }
  check_grid_held(path, h);
  // Every position of the analysis divides by the edges and lies in the
  // cell: the cell must have a volume.
  const double volume = cell_volume(h.cell);
  if (!(volume > 0.0 && volume <= FLT_MAX)) {
    char text[160];
    std::snprintf(text, sizeof text, "%g %g %g %g %g %g", h.cell[0], h.cell[1], h.cell[2],
                  h.cell[3], h.cell[4], h.cell[5]);
    fatal_stop("map file " + path + ": its cell (" + text + ") has no positive finite volume");
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
