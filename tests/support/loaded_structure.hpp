// A structure read as a run reads it before the distance map, and its map.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/linear_algebra.hpp"
#include "common/report_writer.hpp"
#include "common/run_params.hpp"
#include "distmap/distance_map.hpp"
#include "driver/command_line.hpp"
#include "input/atom_reader.hpp"
#include "input/header_reader.hpp"
#include "input/structure_report.hpp"
#include "support/captured_report.hpp"

namespace porvane::testing {

struct loaded_structure {
  std::unique_ptr<crystal_record> celli = std::make_unique<crystal_record>();
  run_flags flags;
  run_params params;
  run_state state;
  header_store header;
  atom_store atoms;
  grid_store gridi;  // the distance map, when one was computed
};

// Header, atoms, structure report and the heteroatom policy (report_lines
// runs f with their lines captured), then the orthogonalisation matrix, with
// the given switches and settings: what a run holds before its map.
template <class Capture>
std::unique_ptr<loaded_structure> load_structure(const std::string& path, const run_flags& flags,
                                                 const run_params& params, Capture&& report_lines) {
  auto s = std::make_unique<loaded_structure>();
  s->flags = flags;
  s->params = params;
  s->state.pdbname = path;
  report_lines([&] {
    read_header(s->state.pdbname, *s->celli, s->header, s->state.nheader, s->flags, s->params);
    read_atoms(s->state.pdbname, s->params, s->atoms, s->flags, *s->celli);
    const structure_figures figures =
        describe_structure(*s->celli, s->params, s->flags, s->atoms, s->state);
    structure_report(*s->celli, s->params, s->flags, s->atoms, s->state, figures);
    if (heteroatom_reread_needed(s->atoms.count, s->params)) {
      s->flags.hn = 1;
      read_atoms(s->state.pdbname, s->params, s->atoms, s->flags, *s->celli);
    }
    report_atom_use(s->flags, s->atoms.count, s->state);
  });
  matinv(s->celli->fracmat, s->celli->orthmat);
  return s;
}

// The distance map of the atoms on the grid of params.gridsize.
inline void compute_map(const crystal_record& celli, const atom_store& atoms, const run_flags& flags,
                        const run_params& params, grid_store& gridi) {
  int32_t gridmax[3], moved = 0;
  set_gridmax(params, celli, gridmax);
  coord_range range;
  fill_grid_positions(params, celli, gridmax, gridi, range);
  distance_map_fast(celli, collect_atom_copies(flags, celli, atoms, false, moved), gridi);
}

// The structure at `path` with the switches and settings of the command
// line `args` (none: the defaults).
inline std::unique_ptr<loaded_structure> load_run(const std::string& path, const std::vector<std::string>& args = {}) {
  run_flags flags;
  run_params params;
  run_state state;
  if (!args.empty()) read_command_line(args, flags, params, state);
  return load_structure(path, flags, params, [](auto&& f) { captured_report(f); });
}

// The same with its map at `gridsize`.
inline std::unique_ptr<loaded_structure> load_with_map(const std::string& path, float gridsize,
                                                       const std::vector<std::string>& args = {}) {
  auto s = load_run(path, args);
  s->params.gridsize = gridsize;
  compute_map(*s->celli, s->atoms, s->flags, s->params, s->gridi);
  return s;
}

}  // namespace porvane::testing
