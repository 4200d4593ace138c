// The distance map as a CCP4 map file, through libccp4's C interface.
#include "distmap/map_file.hpp"

#include <fcntl.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include <ccp4/ccp4_general.h>
#include <ccp4/ccp4_sysdep.h>
#include <ccp4/cmaplib.h>

#include "common/limits.hpp"
#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/unit_cell_grid.hpp"

namespace porvane {
namespace {

constexpr std::size_t section_capacity = (maxgrid + 1) * (maxgrid + 1);  // one whole section

// The file a map name stands for: the whole name, trimmed (a name cut to a
// shorter length would be another file); a name that is an environment
// variable stands for that variable's value.
std::string map_file_path(std::string_view name) {
  std::string s(name);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  if (const char* value = std::getenv(s.c_str()); value != nullptr && *value != '\0') return value;
  return s;
}

[[noreturn]] void map_fatal(const std::string& message) {
  CCP4::ccperror(1, message.c_str());
  std::exit(library_fatal);  // ccperror(1, ...) does not return; this keeps the promise
}

// A read map that this program cannot hold ends the run like the library's
// fatal errors do.
[[noreturn]] void unusable_map(const std::string& path, const std::string& why) {
  throw run_stop{library_fatal, "Map file " + path + " cannot be used: " + why};
}

}  // namespace

void write_distance_map(const crystal_record& celli, const grid_store& gridi,
                        const run_state& state) {
  report().free("Writing map...");
  const int32_t* g = state.gridmax;
  const int dim[3] = {g[0] + 1, g[1] + 1, g[2] + 1};
  const int grid[3] = {g[0], g[1], g[2]};
  const int origin[3] = {0, 0, 0};
  const int order[3] = {1, 2, 3};
  const std::string path = map_file_path(state.mapname.view());
  for (int c = 0; c < 3; ++c) {
    if (g[c] < 0 || g[c] > maxgrid || g[c] > gridi.n[c]) {
      throw run_stop{library_fatal, "Map file " + path + " not written: the grid does not fit"};
    }
  }

  report().free("Writing header...");
  auto* mf = static_cast<CMap_io::CMMFile*>(CMap_io::ccp4_cmap_open(path.c_str(), O_WRONLY));
  if (mf == nullptr) map_fatal("Cannot open map file " + path + " for writing");
  CMap_io::ccp4_cmap_set_cell(mf, celli.cell);
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
    for (int32_t j = 0; j <= g[1]; ++j) {
      for (int32_t i = 0; i <= g[0]; ++i) {
        maparrayout[static_cast<std::size_t>(j * nu + i)] = gridi.dist[gridi.index(i, j, k)];
      }
    }
    if (CMap_io::ccp4_cmap_write_section(mf, maparrayout.data()) != 1) {
      map_fatal("Cannot write map file " + path);
    }
  }

  report().free("Closing map...");
  CMap_io::ccp4_cmap_close(mf);
}

void read_distance_map(run_params& params, run_flags& flags, crystal_record& celli,
                       grid_store& gridi, run_state& state) {
  report().free("Reading previously written distance map...Assuming a gridsize of ",
                params.gridsize);
  const std::string path = map_file_path(state.mapfile.view());
  auto* mf = static_cast<CMap_io::CMMFile*>(CMap_io::ccp4_cmap_open(path.c_str(), O_RDONLY));
  if (mf == nullptr) map_fatal("Cannot open map file " + path + " for reading");

  int dim[3], origin[3], grid[3];
  float cell[6];
  CMap_io::ccp4_cmap_get_dim(mf, dim);
  CMap_io::ccp4_cmap_get_origin(mf, origin);
  CMap_io::ccp4_cmap_get_grid(mf, grid);
  CMap_io::ccp4_cmap_get_cell(mf, cell);
  const unsigned int mode = CMap_io::ccp4_cmap_get_datamode(mf);

  // The map must hold 32-bit reals and fit the grid 0..n of its sampling,
  // n at most 250, so that every value lands on a grid point.
  std::string why;
  static const char* axis_name[3] = {"columns", "rows", "sections"};
  if (mode != FLOAT32) why = "data mode " + std::to_string(mode) + " is not 2 (32-bit reals)";
  for (int c = 0; c < 3 && why.empty(); ++c) {
    const long first = origin[c];
    const long last = static_cast<long>(origin[c]) + dim[c] - 1;
    if (grid[c] < 0 || grid[c] > maxgrid) {
      why = "sampling " + std::to_string(grid[c]) + " of the " + axis_name[c] +
            " is outside 0.." + std::to_string(maxgrid);
    } else if (dim[c] < 1 || first < 0 || last > grid[c]) {
      why = axis_name[c] + std::string(" ") + std::to_string(first) + ".." + std::to_string(last) +
            " lie outside the grid 0.." + std::to_string(grid[c]);
    }
  }
  if (!why.empty()) {
    CMap_io::ccp4_cmap_close(mf);
    unusable_map(path, why);
  }

  for (int c = 0; c < 3; ++c) state.gridmax[c] = grid[c];
  for (int c = 0; c < 6; ++c) celli.cell[c] = cell[c];
  // Positions for the read grid, at the grid size the run assumes, so that
  // later stages find every field of a grid point filled.
  coord_range range;
  fill_grid_positions(params, celli, state.gridmax, gridi, range);

  std::vector<float> maparray(section_capacity);
  const int nu = dim[0];
  for (int32_t ks = 0; ks < dim[2]; ++ks) {
    if (CMap_io::ccp4_cmap_read_section(mf, maparray.data()) != 1) {
      CMap_io::ccp4_cmap_close(mf);
      unusable_map(path, "section " + std::to_string(origin[2] + ks) + " cannot be read");
    }
    const int32_t k = origin[2] + ks;
    for (int32_t js = 0; js < dim[1]; ++js) {
      for (int32_t is = 0; is < dim[0]; ++is) {
        gridi.dist[gridi.index(origin[0] + is, origin[1] + js, k)] =
            maparray[static_cast<std::size_t>(js * nu + is)];
      }
    }
  }
  CMap_io::ccp4_cmap_close(mf);

  write_map_completion(params, flags, state, 0.0f, range, 0);
}

}  // namespace porvane
