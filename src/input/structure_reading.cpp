#include "input/structure_reading.hpp"

#include "common/limits.hpp"
#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "input/atom_reader.hpp"
#include "input/structure_report.hpp"

namespace porvane {

namespace {

void header_stops(const crystal_record& celli, const run_flags& flags) {
  if (celli.nsym == 0) stop_after_line("No symmetry operators...aborting");
  if (celli.nsym > maxsymops)
    stop_after_line("Number of symm ops:", celli.nsym, ". Maximum: ", maxsymops,
                    ". Increase maxsymops AND this parameter in sg type and recompile");
  if (celli.nncs > maxncsops)
    stop_after_line("Number of ncs ops:", celli.nncs, ". Maximum: ", maxncsops,
                    ". Increase maxncsops AND this parameter in ncs type and recompile");
  if (flags.ho == 1) stop_after_line("Basic info only requested. Ending.");
}

// The atoms, with the heteroatom policy: a second read that includes the
// non-water heteroatoms when there were no atoms or too many heteroatoms.
void read_and_describe_atoms(crystal_record& celli, run_params& params, run_flags& flags,
                             atom_store& atoms, run_state& state) {
  report().free("Reading atoms...");
  report().free();
  read_atoms(state.pdbname, params, atoms, flags, celli);
  const structure_figures figures = describe_structure(celli, params, flags, atoms, state);
  structure_report(celli, params, flags, atoms, state, figures);
  if (heteroatom_reread_needed(atoms.count, params)) {
    flags.hn = 1;
    read_atoms(state.pdbname, params, atoms, flags, celli);
  }
  report_atom_use(flags, atoms.count, state);
}

}  // namespace

void read_structure(crystal_record& celli, header_store& header, run_params& params,
                    run_flags& flags, atom_store& atoms, run_state& state) {
  read_header(state.pdbname, celli, header, state.nheader, flags, params);
  header_stops(celli, flags);
  complete_cell_frame(celli);
  read_and_describe_atoms(celli, params, flags, atoms, state);
}

}  // namespace porvane
