#include "endfiles/grid_point_file.hpp"

#include <algorithm>

#include "common/output_file.hpp"
#include "common/coordinate_record.hpp"
#include "common/report_writer.hpp"
#include "distmap/unit_cell_grid.hpp"

namespace porvane {
namespace {

void write_cryst1(output_file& file, const crystal_record& celli) {
  file.line("('CRYST1',3f9.3,3f7.2,x,a10)", celli.cell[0], celli.cell[1], celli.cell[2],
            celli.cell[3], celli.cell[4], celli.cell[5], "P 1   ");
}

}  // namespace

void write_grid_point_file(const run_params& params, const crystal_record& celli,
                           const header_store& header, const atom_store& atoms,
                           const grid_store& gridi, const run_state& state,
                           const std::function<void()>& rerun_cluster_analysis) {
  report().free("Writing each channel gridpoint...");
  if (rerun_cluster_analysis) rerun_cluster_analysis();
  output_file file(state.gridname);
  const std::size_t nheader = std::min(header.size(), static_cast<std::size_t>(std::max(state.nheader, 0)));
  for (std::size_t h = 0; h < nheader; ++h) {
    if (header[h].view().substr(0, 5) == "CRYST") write_cryst1(file, celli);
  }
  write_cryst1(file, celli);

  // Record name, serial number, alternate location and residue number of
  // the first atom record on every line (a store without atoms, as after a
  // map read back for a file of waters only, gives blanks and zeros).
  atom_record first;
  first.recname = "";
  first.altloc = "";
  if (!atoms.pdbdata.empty()) first = atoms.pdbdata.front();
  coordinate_fields f;
  f.recname = first.recname.view();
  f.serial = first.serial;
  f.atname = " O  ";
  f.altloc = first.altloc.view();
  f.resname = "HOH";
  f.chain = "Z";
  f.resseq = first.resseq;
  const grid_axes axes(celli, params.gridsize, gridi.n);
  for (int32_t i = 0; i <= gridi.n[0]; ++i) {
    for (int32_t j = 0; j <= gridi.n[1]; ++j) {
      for (int32_t k = 0; k <= gridi.n[2]; ++k) {
        const std::size_t p = gridi.index(i, j, k);
        axes.position(i, j, k, f.xyz);
        f.w = static_cast<float>(gridi.clust[p]);
        f.b = gridi.dist[p];
        file.record(f);
      }
    }
  }
  file.close();
}

}  // namespace porvane
