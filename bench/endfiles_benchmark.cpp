// Benchmark of the end-of-run coordinate files on a PDB file: the grid-point
// file (cm), the nearest-channel file (nc) or the expanded file (ex), one per
// run so that /usr/bin/time -v gives each its own peak memory.
//
//   porvane_endfiles_benchmark file.pdb cm|nc|ex [gridsize] [literal-atoms]
//
// The structure is read as a run reads it; for cm and nc the distance map is
// computed (fast) at the grid size, raised as a run raises it until no edge
// has more than 250 intervals (default: the finest grid that allows), and
// the points deeper than 1.4 Å are labelled as one channel, standing in for
// the cluster analysis. Prints the file's lines, bytes, processor and wall
// seconds and MB/s. For nc with literal-atoms > 0 it also times measuring
// that many atoms against every channel point and image, and scales the time
// to all atoms.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/limits.hpp"
#include "common/run_params.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "driver/expanded_file.hpp"
#include "driver/grid_point_file.hpp"
#include "driver/nearest_channel_file.hpp"
#include "driver/nearest_channel_search.hpp"
#include "input/atom_reader.hpp"
#include "input/header_reader.hpp"
#include "input/linear_algebra.hpp"
#include "input/structure_report.hpp"

using namespace porvane;

namespace {

double wall_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs f with standard output sent to /dev/null.
template <class F>
void silently(F&& f) {
  std::fflush(stdout);
  const int saved = dup(1);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  f();
  std::fflush(stdout);
  dup2(saved, 1);
  close(null);
  close(saved);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s file.pdb cm|nc|ex [gridsize] [literal-atoms]\n", argv[0]);
    return 2;
  }
  const std::string kind = argv[2];
  static crystal_record celli;
  run_flags flags;
  run_params params;
  run_state state;
  header_store header;
  atom_store atoms;
  state.pdbname = argv[1];
  silently([&] {
    read_header(state.pdbname, celli, header, state.nheader, flags, params);
    read_atoms(state.pdbname, params, atoms, flags, celli);
    structure_report(celli, params, flags, atoms, state);
  });
  matinv(celli.fracmat, celli.orthmat);
  const std::string base = std::filesystem::path(argv[1]).stem().string();
  state.gridname = base + "_grid.pdb";
  state.ncname = base + "_nc.pdb";
  state.expandedname = base + "_expanded.pdb";

  grid_store gridi;
  if (kind != "ex") {
    params.gridsize = argc > 3 ? std::strtof(argv[3], nullptr) : 0.0f;
    if (!(params.gridsize > 0.0f))
      params.gridsize = std::max({celli.cell[0], celli.cell[1], celli.cell[2]}) / static_cast<float>(maxgrid);
    set_gridmax(params, celli, state.gridmax);
    for (int32_t m = std::max({state.gridmax[0], state.gridmax[1], state.gridmax[2]}); m > maxgrid;
         m = std::max({state.gridmax[0], state.gridmax[1], state.gridmax[2]})) {
      params.gridsize = (static_cast<float>(m) * params.gridsize) / 250.0f;
      set_gridmax(params, celli, state.gridmax);
    }
    coord_range range;
    fill_grid_positions(params, celli, state.gridmax, gridi, range);
    int32_t moved = 0;
    const auto copies = collect_atom_copies(params, flags, celli, atoms, false, moved);
    distance_map_fast(celli, copies, gridi);
  }
  auto label = [&gridi, &params] {
    for (std::size_t p = 0; p < gridi.points(); ++p)
      gridi.clust[p] = gridi.dist[p] > params.channel_cutoff ? 1 : -1;
  };

  std::filesystem::remove(kind == "cm" ? state.gridname.str() : kind == "nc" ? state.ncname.str() : state.expandedname.str());
  const float t0 = processor_seconds();
  const double w0 = wall_seconds();
  std::string name;
  silently([&] {
    if (kind == "cm") {
      write_grid_point_file(params, celli, header, atoms, gridi, state, label);
      name = std::string(state.gridname.trimmed());
    } else if (kind == "nc") {
      write_nearest_channel_file(params, celli, atoms, gridi, state, label);
      name = std::string(state.ncname.trimmed());
    } else {
      write_expanded_file(params, flags, celli, header, atoms, state);
      name = std::string(state.expandedname.trimmed());
    }
  });
  const float cpu = processor_seconds() - t0;
  const double wall = wall_seconds() - w0;
  const double bytes = static_cast<double>(std::filesystem::file_size(name));
  std::printf("%s: %s, grid %.3f A (%d x %d x %d intervals), %d atoms, %d symmetry operators\n", kind.c_str(),
              argv[1], kind == "ex" ? 0.0 : params.gridsize, state.gridmax[0], state.gridmax[1], state.gridmax[2],
              params.natoms, celli.nsym);
  std::printf("  %.0f bytes, %.2f s processor, %.2f s wall, %.0f MB/s (wall)\n", bytes, cpu, wall,
              bytes / 1.0e6 / std::max(wall, 1e-9));
  if (kind == "nc" && argc > 4) {
    // The literal procedure: every channel point, every image, for a few atoms.
    const int sample = std::min(std::atoi(argv[4]), params.natoms);
    const image_offsets images(celli);
    const float l0 = processor_seconds();
    float sink = 0.0f;
    for (int a = 0; a < sample; ++a) {
      const float* c = &atoms.coords[3 * static_cast<std::size_t>(a)];
      float best = no_channel_distance;
      for (int32_t i = 0; i <= gridi.n[0]; ++i)
        for (int32_t j = 0; j <= gridi.n[1]; ++j)
          for (int32_t k = 0; k <= gridi.n[2]; ++k) {
            if (gridi.clust[gridi.index(i, j, k)] == -1) continue;
            float p[3];
            grid_point_position(celli, params.gridsize, i, j, k, p);
            for (const auto& off : images.offset) best = std::min(best, image_distance(p, off, c));
          }
      sink += best;
    }
    const float literal = (processor_seconds() - l0) / static_cast<float>(std::max(sample, 1)) *
                          static_cast<float>(params.natoms);
    std::printf("  literal: %.1f s for all atoms (from %d atoms; %g)\n", literal, sample, sink);
  }
  std::filesystem::remove(name);
  return 0;
}
