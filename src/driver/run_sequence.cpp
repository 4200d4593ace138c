#include "driver/run_sequence.hpp"

#include <cstdio>
#include <memory>

#include "channels/channel_stages.hpp"
#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/limits.hpp"
#include "common/report_writer.hpp"
#include "common/run_params.hpp"
#include "common/run_stop.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/map_file.hpp"
#include "distmap/nearest_atom_copy.hpp"
#include "distmap/zoom_search.hpp"
#include "driver/command_line.hpp"
#include "driver/expanded_file.hpp"
#include "driver/grid_point_file.hpp"
#include "driver/nearest_channel_file.hpp"
#include "driver/output_names.hpp"
#include "driver/settings_check.hpp"
#include "input/atom_reader.hpp"
#include "input/header_reader.hpp"
#include "input/linear_algebra.hpp"
#include "input/structure_report.hpp"
#include "reeb/reeb_stage.hpp"

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

void header_stops(const crystal_record& celli, const run_flags& flags) {
  report_writer& r = report();
  if (celli.nsym == 0) {
    r.free("No symmetry operators...aborting");
    stop_run();
  }
  if (celli.nsym > maxsymops) {
    r.free("Number of symm ops:", celli.nsym, ". Maximum: ", maxsymops,
           ". Increase maxsymops AND this parameter in sg type and recompile");
    stop_run();
  }
  if (celli.nncs > maxncsops) {
    r.free("Number of ncs ops:", celli.nncs, ". Maximum: ", maxncsops,
           ". Increase maxncsops AND this parameter in ncs type and recompile");
    stop_run();
  }
  if (flags.ho == 1) {
    r.free("Basic info only requested. Ending.");
    stop_run();
  }
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

void atom_limit(const run_params& params, const atom_store& atoms) {
  if (params.natoms > maxatoms || atoms.nslots > maxatoms) {
    const int32_t counted = params.natoms > atoms.nslots ? params.natoms : atoms.nslots;
    report().free("Number of atoms read: ", counted);
    report().free("Max number of atoms: ", maxatoms);
    report().free("Increase maxatoms and recompile.");
    stop_run();
  }
}

void run_stages(const std::vector<std::string>& args, run_records& run) {
  run_flags& flags = run.flags;
  run_params& params = run.params;
  run_state& state = run.state;
  crystal_record& celli = run.celli;
  report_writer& r = report();

  celli.nsym = 0;
  read_command_line(args, flags, params, state);
  if (help_requested(args, flags, state)) {
    print_help(params, state);
    stop_run();
  }
  check_grid_and_step(flags, params);
  check_reeb_direction(flags, params);
  make_output_names(params, flags, state);

  r.free("Porvane  Version ", state.version);
  r.free("Processing ", state.pdbname, "...");
  r.free();
  r.free("Reading header...");
  r.free();
  read_header(state.pdbname, celli, run.header, state.nheader, flags, params);
  header_stops(celli, flags);

  r.free("Reading atoms...");
  r.free();
  read_atoms(state.pdbname, params, run.atoms, flags, celli);
  structure_report(celli, params, flags, run.atoms, state);
  make_output_names(params, flags, state);

  refresh_orthogonalisation(celli, flags);
  atom_limit(params, run.atoms);

  if (flags.zm == 1) {
    int32_t deepgrid[3] = {0, 0, 0};  // the deepest point so far; nothing reads it after the zoom
    zoom_search(params, flags, celli, run.atoms, state, deepgrid);
    stop_run();
  }
  if (flags.rm == 1) {
    read_distance_map(params, flags, celli, run.gridi, state);
  } else {
    calculate_distance_map(params, flags, celli, run.atoms, run.gridi, state,
                           [&] { make_output_names(params, flags, state); });
  }
  if (flags.writemap == 1) write_distance_map(celli, run.gridi, state);

  // A map read back holds no nearest atoms: the deepest point's is measured.
  const auto deep_atom = [&](const int32_t g[3]) {
    return flags.rm == 1 ? nearest_atom_copy(params, flags, celli, run.atoms, run.gridi, state.gridmax, g)
                         : run.gridi.iatom[run.gridi.index(g[0], g[1], g[2])];
  };
  analyze_channels(flags, params, celli, run.gridi, run.atoms.pdbdata, params.natoms,
                   params.basename.trimmed(), deep_atom, run.channels);

  // The later stages label the grid again at a cutoff of their own.
  const auto rerun_at = [&](float cutoff) {
    rerun_cluster_analysis(flags, params, celli, run.gridi, params.basename.trimmed(), cutoff,
                           run.channels);
  };
  const auto rerun_at_channel_cutoff = [&] { rerun_at(params.channel_cutoff); };
  if (flags.rb == 1)
    reeb_graph_stage(params, flags, celli, run.gridi, run.channels.results.maxrad3d,
                     run.reebgraph, rerun_at);
  if (flags.cm == 1)
    write_grid_point_file(params, celli, run.header, run.atoms, run.gridi, state,
                          rerun_at_channel_cutoff);
  if (flags.nc == 1)
    write_nearest_channel_file(params, celli, run.atoms, run.gridi, state, rerun_at_channel_cutoff);
  if (flags.ex == 1) write_expanded_file(params, flags, celli, run.header, run.atoms, state);
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
    if (!stop.message.empty()) std::fprintf(stderr, "%s\n", stop.message.c_str());
  }
  report().flush();
  std::fflush(stderr);
  return status;
}

}  // namespace porvane
