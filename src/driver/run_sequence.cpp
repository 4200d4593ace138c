#include "driver/run_sequence.hpp"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include <ccp4/ccp4_general.h>

#include "channels/channel_stages.hpp"
#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/fixed_text.hpp"
#include "common/grid_store.hpp"
#include "common/limits.hpp"
#include "common/linear_algebra.hpp"
#include "common/report_writer.hpp"
#include "common/run_params.hpp"
#include "common/run_stop.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/map_file.hpp"
#include "distmap/nearest_atom_copy.hpp"
#include "driver/cell_of_map.hpp"
#include "driver/command_line.hpp"
#include "driver/output_names.hpp"
#include "driver/settings_check.hpp"
#include "endfiles/expanded_file.hpp"
#include "endfiles/grid_point_file.hpp"
#include "endfiles/nearest_channel_file.hpp"
#include "input/header_reader.hpp"
#include "input/structure_reading.hpp"
#include "reeb/reeb_stage.hpp"
#include "zoom/zoom_search.hpp"

namespace porvane {

namespace {

// Everything one run holds; the large stores live on the heap for the
// duration of the run.
struct run_records {
  run_flags flags;
  run_params params;
  run_state state;
  crystal_record celli;
  header_store header;
  atom_store atoms;
  grid_store gridi;
  channel_context channels;
  reeb_graph reebgraph;
};

// The banner: the input name in a field of 132 characters, or whole when
// it is longer, its control bytes (an escape, a newline) shown as blanks.
void banner(const run_state& state) {
  report_writer& r = report();
  r.free("Porvane  Version ", state.version);
  r.free("Processing ",
         padded(without_control_bytes(state.pdbname), std::max<std::size_t>(132, state.pdbname.size())),
         "...");
  r.free();
  r.free("Reading header...");
  r.free();
}

// The orthogonalisation matrix is taken afresh as the inverse of the
// fractionalisation matrix; at verbosity 1 the product is shown.
void refresh_orthogonalisation(crystal_record& celli, const run_flags& flags) {
  matinv(celli.fracmat, celli.orthmat);
  if (flags.vb >= 1) {
    float product[3][3];
    mmult(celli.fracmat, celli.orthmat, product);
    report().free("Checking that matrix inversion was done correctly...");
    report().line("(3(2x,f4.2))", product[0][0], product[1][0], product[2][0], product[0][1],
                  product[1][1], product[2][1], product[0][2], product[1][2], product[2][2]);
  }
}

void atom_limit(const atom_store& atoms) {
  const int32_t counted = std::max(atoms.count.natoms, atoms.nslots);
  if (counted > maxatoms) {
    report().free("Number of atoms read: ", counted);
    report().free("Max number of atoms: ", maxatoms);
    stop_after_line("Increase maxatoms and recompile.");
  }
}

// A map calculated without a single atom copy holds no distance to any
// atom: nothing the run goes on to find would mean anything.
void atoms_for_map(const run_flags& flags, const atom_store& atoms) {
  if (!map_has_atoms(flags, atoms)) stop_after_line("No atoms for the distance map...aborting");
}

void run_stages(const std::vector<std::string>& args, run_records& run) {
  run_flags& flags = run.flags;
  run_params& params = run.params;
  run_state& state = run.state;
  crystal_record& celli = run.celli;

  celli.nsym = 0;
  const command_line_notes notes = read_command_line(args, flags, params, state);
  for (const std::string& name : notes.unknown_options)
    diagnostic("warning: unknown option \"" + name + "\" passed over");
  for (const std::string& name : notes.earlier_names)
    diagnostic("warning: input file name \"" + name + "\" passed over; the last name, \"" +
               state.pdbname + "\", is read");
  for (const std::string& name : notes.earlier_maps)
    diagnostic("warning: map file name \"" + name + "\" (-rm) passed over; the last name, \"" +
               state.mapfile + "\", is read");
  if (help_requested(args, flags, state)) {
    print_help(params, state);
    stop_run();
  }
  if (!notes.fault.empty()) io_failure(notes.fault);
  check_settings(flags, params);
  check_reeb_direction(flags, params);
  make_output_names(params, flags, state);
  banner(state);
  read_structure(celli, run.header, params, flags, run.atoms, state);
  make_output_names(params, flags, state);
  refresh_orthogonalisation(celli, flags);
  atom_limit(run.atoms);
  check_copy_positions(flags, celli, run.atoms, state.pdbname);

  if (flags.zm == 1) {
    int32_t deepgrid[3] = {0, 0, 0};  // the deepest point so far; nothing reads it after the zoom
    zoom_search(params, flags, celli, run.atoms, state, deepgrid);
    stop_run();
  }
  if (flags.rm == 1) {
    const map_source map = check_distance_map(params, state);
    take_cell_of_map(celli, map.header.cell, map.path);
    read_distance_map(map, params, flags, celli, run.gridi, state);
  } else {
    atoms_for_map(flags, run.atoms);
    calculate_distance_map(params, flags, celli, run.atoms, run.gridi, state,
                           [&] { make_output_names(params, flags, state); });
  }
  if (flags.writemap == 1) write_distance_map(celli, run.gridi, state);

  // A map read back holds no nearest atoms: the deepest point's is measured.
  const auto deep_atom = [&](const int32_t g[3]) {
    return flags.rm == 1 ? nearest_atom_copy(flags, celli, run.atoms, run.gridi, state.gridmax, g)
                         : run.gridi.iatom[run.gridi.index(g[0], g[1], g[2])];
  };
  const crystal_figures figures = figures_of(celli);
  analyze_channels(flags, params, celli, figures, run.gridi, run.atoms.pdbdata,
                   run.atoms.count.natoms, params.basename, deep_atom, run.channels);

  // The later stages label the grid again at a cutoff of their own.
  const auto rerun_at = [&](float cutoff) {
    rerun_cluster_analysis(flags, params, celli, figures, run.gridi, params.basename, cutoff,
                           run.channels);
  };
  const auto rerun_at_channel_cutoff = [&] { rerun_at(params.channel_cutoff); };
  if (flags.rb == 1)
    reeb_graph_stage(params, flags, celli, run.gridi, run.channels.results.maxrad3d,
                     run.reebgraph, rerun_at);
  const auto header = kept_header(run.header, state.nheader);
  if (flags.cm == 1)
    write_grid_point_file(state.gridname, celli, params.gridsize, header, run.atoms, run.gridi,
                          rerun_at_channel_cutoff);
  if (flags.nc == 1)
    write_nearest_channel_file(state.ncname, celli, params.gridsize, flags, run.atoms, run.gridi,
                               rerun_at_channel_cutoff);
  if (flags.ex == 1) write_expanded_file(state.expandedname, flags, celli, header, run.atoms);
}

// The diagnostic of a stop: on standard error, or as libccp4's own error
// signal (standard output and standard error).
void write_diagnostic(const run_stop& stop) {
  if (stop.library_signal) {
    CCP4::ccperror_noexit(1, stop.message.c_str());
  } else if (!stop.message.empty()) {
    diagnostic(stop.message);
  }
}

}  // namespace

int run_porvane(const std::vector<std::string>& args) {
  int status = plain_stop;
  try {
    auto run = std::make_unique<run_records>();
    run_stages(args, *run);
  } catch (const run_stop& stop) {
    status = stop.status;
    report().flush();
    write_diagnostic(stop);
  } catch (const std::bad_alloc&) {
    status = library_fatal;
    report().flush();
    write_diagnostic(run_stop{library_fatal, "not enough memory for this run"});
  }
  report().flush();
  std::fflush(stdout);
  std::fflush(stderr);
  return status;
}

}  // namespace porvane
