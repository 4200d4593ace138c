// Benchmark of the stages at the end of a run on a PDB file: the Reeb graph
// (rb, all three directions at the 3D radius, as -rb gives it), the
// grid-point file (cm), the nearest-channel file (nc) or the expanded file
// (ex), one per process so that /usr/bin/time -v gives each its own peak.
//
//   porvane_endfiles_benchmark file.pdb rb|cm|nc|ex [gridsize] [literal-atoms]
//
// The structure is read as a run reads it; for rb, cm and nc the distance
// map is computed at the grid size (raised as a run raises it until no edge
// has more than 250 intervals; default: the finest grid that allows), then
// the channel analysis of a run (porosity scan, multiscale loop, summary)
// runs untimed. The stage is then timed as the run calls it, the rerun of the
// cluster analysis included, which is also timed on its own. Prints the
// stage's processor and wall seconds, the file's bytes and MB/s (of the wall
// time without the rerun), and the peak memory before and after the stage.
// For nc with literal-atoms > 0 it also times measuring that many atoms
// against every channel point and image, and scales the time to all atoms.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "channels/channel_stages.hpp"
#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/limits.hpp"
#include "common/report_writer.hpp"
#include "common/run_params.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "endfiles/expanded_file.hpp"
#include "endfiles/grid_point_file.hpp"
#include "endfiles/nearest_channel_file.hpp"
#include "endfiles/nearest_channel_search.hpp"
#include "reeb/reeb_stage.hpp"
#include "reference/loaded_structure.hpp"

using namespace porvane;
using porvane::bench::silently;

namespace {

double wall_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

long peak_mib() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s file.pdb rb|cm|nc|ex [gridsize] [literal-atoms]\n", argv[0]);
    return 2;
  }
  const std::string kind = argv[2];
  const auto run = porvane::bench::load_structure(argv[1], run_flags{}, run_params{});
  if (!run) return 2;
  const crystal_record& celli = *run->celli;
  const run_flags& flags = run->flags;
  run_params& params = run->params;
  run_state& state = run->state;
  const header_store& header = run->header;
  atom_store& atoms = run->atoms;
  const std::string base = std::filesystem::path(argv[1]).stem().string();
  state.gridname = base + "_grid.pdb";
  state.ncname = base + "_nc.pdb";
  state.expandedname = base + "_expanded.pdb";

  grid_store gridi;
  channel_context chan;
  float map_s = 0.0f, analysis_s = 0.0f;
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
    const float m0 = processor_seconds();
    int32_t moved = 0;
    const auto copies = collect_atom_copies(flags, celli, atoms, false, moved);
    distance_map_fast(celli, copies, gridi);
    map_s = processor_seconds() - m0;
    const float a0 = processor_seconds();
    silently([&] {
      analyze_channels(flags, params, celli, figures_of(celli), gridi, atoms.pdbdata, atoms.count.natoms, base,
                       [&](const int32_t g[3]) { return gridi.iatom[gridi.index(g[0], g[1], g[2])]; }, chan);
    });
    analysis_s = processor_seconds() - a0;
  }
  // The rerun of the cluster analysis as the run sequence hands it over,
  // timed on its own.
  float rerun_s = 0.0f;
  double rerun_wall = 0.0;
  auto rerun_at = [&](float cutoff) {
    const float r0 = processor_seconds();
    const double w = wall_seconds();
    rerun_cluster_analysis(flags, params, celli, figures_of(celli), gridi, base, cutoff, chan);
    rerun_s += processor_seconds() - r0;
    rerun_wall += wall_seconds() - w;
  };
  const float maxrad3d = chan.results.maxrad3d;
  reeb_graph reebgraph;

  const std::string name = kind == "rb" ? "reeb_graph.py"
                           : kind == "cm" ? state.gridname
                           : kind == "nc" ? state.ncname
                                          : state.expandedname;
  std::filesystem::remove(name);
  const long peak_before = peak_mib();
  const float t0 = processor_seconds();
  const double w0 = wall_seconds();
  silently([&] {
    if (kind == "rb") {
      params.reebdir = 4;
      params.reebcutoff = 0.0f;
      reeb_graph_stage(params, flags, celli, gridi, maxrad3d, reebgraph, rerun_at);
    } else if (kind == "cm") {
      write_grid_point_file(state.gridname, celli, params.gridsize, kept_header(header, state.nheader), atoms, gridi,
                            [&] { rerun_at(params.channel_cutoff); });
    } else if (kind == "nc") {
      write_nearest_channel_file(state.ncname, celli, params.gridsize, flags, atoms, gridi,
                                 [&] { rerun_at(params.channel_cutoff); });
    } else {
      write_expanded_file(state.expandedname, flags, celli, kept_header(header, state.nheader), atoms);
    }
  });
  const float cpu = processor_seconds() - t0;
  const double wall = wall_seconds() - w0;
  const double bytes = static_cast<double>(std::filesystem::file_size(name));
  if (kind == "ex")  // the expanded file needs no grid
    std::printf("%s: %s, %d atoms, %d symmetry operators\n", kind.c_str(), argv[1], atoms.count.natoms, celli.nsym);
  else
    std::printf("%s: %s, grid %.3f A (%d x %d x %d intervals, %zu points), %d atoms, %d symmetry operators\n",
                kind.c_str(), argv[1], params.gridsize, state.gridmax[0], state.gridmax[1], state.gridmax[2],
                gridi.points(), atoms.count.natoms, celli.nsym);
  if (kind != "ex")
    std::printf("  before the stage: map %.2f s, channel analysis %.2f s (%zu cutoffs, 3D radius %.2f A)\n", map_s,
                analysis_s, chan.radius_table.size(), static_cast<double>(maxrad3d));
  if (kind == "rb") {
    for (int32_t d = 1; d <= 3; ++d)
      std::printf("  direction %d: %d nodes, %d edges\n", d, reebgraph.along(d).nnodes(), reebgraph.along(d).nedges());
  }
  std::printf("  stage %.2f s processor (rerun of the cluster analysis %.2f s, the rest %.2f s), %.2f s wall\n", cpu,
              rerun_s, cpu - rerun_s, wall);
  std::printf("  %.0f bytes, %.0f MB/s (wall, rerun left out)\n", bytes,
              bytes / 1.0e6 / std::max(wall - rerun_wall, 1e-9));
  std::printf("  peak memory %ld MiB before the stage, %ld MiB after\n", peak_before, peak_mib());
  if (kind == "nc" && argc > 4) {
    // The literal procedure: every channel point, every image, for a few atoms.
    const int sample = std::min(std::atoi(argv[4]), atoms.count.natoms);
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
                          static_cast<float>(atoms.count.natoms);
    std::printf("  literal: %.1f s for all atoms (from %d atoms; %g)\n", literal, sample, sink);
  }
  std::filesystem::remove(name);
  return 0;
}
