// The distance map as a CCP4 map file, through libccp4's C interface.
#include "distmap/map_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <ccp4/ccp4_errno.h>
#include <ccp4/ccp4_sysdep.h>
#include <ccp4/cmaplib.h>

#include "common/fixed_text.hpp"
#include "common/limits.hpp"
#include "common/replaced_file.hpp"
#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/map_grid_size.hpp"
#include "distmap/map_header.hpp"
#include "distmap/unit_cell_grid.hpp"

namespace porvane {
namespace {

constexpr std::size_t section_capacity = (maxgrid + 1) * (maxgrid + 1);  // one whole section

// The file a map read back stands for: the whole name, trailing blanks
// ignored (a name cut to a shorter length would be another file); a name
// that is an environment variable stands for that variable's value.
std::string map_file_path(std::string_view name) {
  const std::string s(trim_blanks(name));
  if (const char* value = std::getenv(s.c_str()); value != nullptr && *value != '\0') return value;
  return s;
}

// A map replaces a regular file, a symbolic link or nothing: whatever else
// stands at its name (a FIFO, a device, a folder) is not the user's old map.
void refuse_non_regular_file(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
    fatal_stop("map file " + path + " exists and is not a regular file: the map is not written");
}

// libccp4's signal lines stay off while the map is written: a failure is
// reported once, by the program.
class quiet_library {
 public:
  quiet_library() : verbosity_(CCP4::ccp4_liberr_verbosity(-1)) { CCP4::ccp4_liberr_verbosity(0); }
  ~quiet_library() { CCP4::ccp4_liberr_verbosity(verbosity_); }
  quiet_library(const quiet_library&) = delete;
  quiet_library& operator=(const quiet_library&) = delete;

 private:
  int verbosity_;
};

// Why a write failed: the system's reason when there is one, else what is
// wrong with the file.
std::string failure_reason(int error, const std::string& what) {
  return error != 0 ? std::string(std::strerror(error)) : what;
}

// The map as the library left it: a header with the stamp and the counts
// written, and the length that header implies. libccp4 holds back its last
// part and the header until the file is closed, and does not report a write
// that fails there, so only the file itself tells whether it is whole.
void check_written_map(const replaced_file& out, const int dim[3], int error) {
  unsigned char header[1024];
  struct stat st {};
  if (pread(out.descriptor(), header, sizeof header, 0) != static_cast<ssize_t>(sizeof header) ||
      fstat(out.descriptor(), &st) != 0)
    out.write_failure(failure_reason(error, "its header is missing"));
  int32_t words[3], nsymbt;
  std::memcpy(words, header, sizeof words);
  std::memcpy(&nsymbt, header + 4 * 23, 4);
  if (std::memcmp(header + 4 * 52, "MAP ", 4) != 0 || words[0] != dim[0] || words[1] != dim[1] ||
      words[2] != dim[2] || nsymbt < 0)
    out.write_failure(failure_reason(error, "its header is incomplete"));
  const int64_t expected = int64_t{1024} + nsymbt + int64_t{4} * dim[0] * dim[1] * dim[2];
  if (st.st_size != expected)
    out.write_failure(failure_reason(error, "it holds " + std::to_string(st.st_size) + " of the " +
                                                std::to_string(expected) + " bytes of the map"));
}

// A value that is not a number, infinite or beyond max_map_distance would make
// the sums of the analysis overflow: the map cannot be used.
[[noreturn]] void refuse_value(const std::string& path, float v, int32_t i, int32_t j, int32_t k) {
  char text[200];
  std::snprintf(text, sizeof text,
                ": the value at grid point (%d, %d, %d) is %g, not a distance from -%.0f to %.0f",
                i, j, k, static_cast<double>(v), static_cast<double>(max_map_distance),
                static_cast<double>(max_map_distance));
  fatal_stop("map file " + path + text);
}

}  // namespace

void write_distance_map(const cell_frame& frame, const grid_store& gridi, const run_state& state) {
  report().free("Writing map...");
  const int32_t* g = state.gridmax;
  const int dim[3] = {g[0] + 1, g[1] + 1, g[2] + 1};
  const int grid[3] = {g[0], g[1], g[2]};
  const int origin[3] = {0, 0, 0};
  const int order[3] = {1, 2, 3};
  const std::string path(trim_blanks(state.mapname));
  for (int c = 0; c < 3; ++c)
    if (g[c] < 0 || g[c] > maxgrid || g[c] > gridi.n[c])
      fatal_stop("map file " + path + " not written: the grid does not fit");
  refuse_non_regular_file(path);

  report().free("Writing header...");
  replaced_file out(path, "map file");
  const quiet_library quiet;
  errno = 0;
  auto* mf = static_cast<CMap_io::CMMFile*>(
      CMap_io::ccp4_cmap_open(out.temporary().c_str(), O_WRONLY));
  if (mf == nullptr) out.write_failure(failure_reason(errno, "the library cannot open it"));
  CMap_io::ccp4_cmap_set_cell(mf, frame.cell);
  CMap_io::ccp4_cmap_set_grid(mf, grid);
  CMap_io::ccp4_cmap_set_order(mf, order);
  CMap_io::ccp4_cmap_set_dim(mf, dim);
  CMap_io::ccp4_cmap_set_origin(mf, origin);
  CMap_io::ccp4_cmap_set_spacegroup(mf, 1);
  CMap_io::ccp4_cmap_set_datamode(mf, FLOAT32);
  CMap_io::ccp4_cmap_set_title(mf, "testmap");
  // The statistics start from the first value written, not from zero.
  CMap_io::ccp4_cmap_set_mapstats(mf, FLT_MAX, -FLT_MAX, 0.0, 0.0);

  report().free("Writing map...");
  std::vector<float> maparrayout(section_capacity);
  const int nu = dim[0];
  for (int32_t k = 0; k <= g[2]; ++k) {
    for (int32_t j = 0; j <= g[1]; ++j)
      for (int32_t i = 0; i <= g[0]; ++i)
        maparrayout[static_cast<std::size_t>(j * nu + i)] = gridi.dist[gridi.index(i, j, k)];
    errno = 0;
    if (CMap_io::ccp4_cmap_write_section(mf, maparrayout.data()) != 1) {
      const int error = errno;
      CMap_io::ccp4_cmap_close(mf);
      out.write_failure(failure_reason(error, "section " + std::to_string(k) + " cannot be written"));
    }
  }

  report().free("Closing map...");
  errno = 0;
  CMap_io::ccp4_cmap_close(mf);
  check_written_map(out, dim, errno);
  out.commit();
}

map_source check_distance_map(const run_params& params, const run_state& state) {
  report().free("Reading previously written distance map...Assuming a gridsize of ",
                params.gridsize);
  map_source map;
  map.path = map_file_path(state.mapfile);
  map.header = check_map_header(map.path);
  check_map_grid_size(map.path, params, map.header.cell, map.header.sampling);
  return map;
}

void read_distance_map(const map_source& map, const run_params& params, const run_flags& flags,
                       const cell_frame& frame, grid_store& gridi, run_state& state) {
  const std::string& path = map.path;
  const map_header& h = map.header;
  auto* mf = static_cast<CMap_io::CMMFile*>(CMap_io::ccp4_cmap_open(path.c_str(), O_RDONLY));
  if (mf == nullptr) library_failure("Cannot open map file " + path + " for reading");

  for (int c = 0; c < 3; ++c) state.gridmax[c] = h.sampling[c];
  // Positions for the read grid, at the grid size the run assumes and in the
  // frame the run took for the map's cell, so that later stages find every
  // field of a grid point filled.
  coord_range range;
  fill_grid_positions(params, frame, state.gridmax, gridi, range);

  // Column is, row js and section ks of the file lie at the grid index
  // start + is, start + js, start + ks along the cell axes of the map's axis
  // order. Only the grid points 0..n are laid in: the map's points beyond
  // them are images the run does not use.
  int32_t lo[3], hi[3];  // the file's columns, rows, sections that fall on 0..n
  for (int f = 0; f < 3; ++f) {
    lo[f] = -std::min(h.start[f], 0);
    hi[f] = state.gridmax[h.axes[f] - 1] - h.start[f];
  }
  const int ac = h.axes[0] - 1, ar = h.axes[1] - 1, as = h.axes[2] - 1;
  const std::size_t nu = static_cast<std::size_t>(h.count[0]);
  std::vector<float> maparray(nu * static_cast<std::size_t>(h.count[1]));
  if (lo[2] > 0 && CMap_io::ccp4_cmap_seek_section(mf, lo[2], SEEK_SET) < 0) {
    CMap_io::ccp4_cmap_close(mf);
    fatal_stop("map file " + path + ": section " + std::to_string(h.start[2] + lo[2]) +
               " cannot be found");
  }
  int32_t p[3];  // grid point (i, j, k)
  for (int32_t ks = lo[2]; ks <= hi[2]; ++ks) {
    if (CMap_io::ccp4_cmap_read_section(mf, maparray.data()) != 1) {
      CMap_io::ccp4_cmap_close(mf);
      fatal_stop("map file " + path + ": section " + std::to_string(h.start[2] + ks) +
                 " cannot be read");
    }
    p[as] = h.start[2] + ks;
    for (int32_t js = lo[1]; js <= hi[1]; ++js) {
      p[ar] = h.start[1] + js;
      for (int32_t is = lo[0]; is <= hi[0]; ++is) {
        p[ac] = h.start[0] + is;
        const float v = maparray[static_cast<std::size_t>(js) * nu + static_cast<std::size_t>(is)];
        if (!(std::fabs(v) <= max_map_distance)) {
          CMap_io::ccp4_cmap_close(mf);
          refuse_value(path, v, p[0], p[1], p[2]);
        }
        gridi.dist[gridi.index(p[0], p[1], p[2])] = v;
      }
    }
  }
  CMap_io::ccp4_cmap_close(mf);

  write_map_completion(params, flags, state, 0.0f, range, 0);
}

}  // namespace porvane
