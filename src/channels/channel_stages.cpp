// The analysis of the map, stage after stage.
#include "channels/channel_stages.hpp"

#include "common/report_writer.hpp"

namespace porvane {

void analyze_channels(const run_flags& flags, run_params& params, const cell_frame& frame,
                      const crystal_figures& figures, const grid_store& gridi, std::span<const atom_record> pdbdata, int32_t natoms,
                      std::string_view basename, const deep_atom_finder& deep_atom,
                      channel_context& chan) {
  report().line("(' Analyzing distance map...')");
  report().free();
  porosity_scan(flags, figures.solvent, gridi, chan);
  multiscale_loop(flags, params, frame, figures, basename, chan);
  if (flags.multiscale == 0) return;
  summary_report(flags, params, frame, figures, pdbdata, natoms, deep_atom ? deep_atom(chan.results.deepgrid) : 0, chan);
}

}  // namespace porvane
