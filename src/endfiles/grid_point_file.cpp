#include "endfiles/grid_point_file.hpp"

#include "common/output_file.hpp"
#include "common/coordinate_record.hpp"
#include "common/report_writer.hpp"
#include "distmap/unit_cell_grid.hpp"

namespace porvane {
namespace {

void write_cryst1(output_file& file, const cell_frame& frame) {
  file.line("('CRYST1',3f9.3,3f7.2,x,a10)", frame.cell[0], frame.cell[1], frame.cell[2],
            frame.cell[3], frame.cell[4], frame.cell[5], "P 1   ");
}

}  // namespace

void write_grid_point_file(const std::string& name, const cell_frame& frame, float gridsize,
                           std::span<const fixed_text<header_line_width>> header,
                           const atom_store& atoms, const grid_store& gridi,
                           const std::function<void()>& rerun_cluster_analysis) {
  report().free("Writing each channel gridpoint...");
  if (rerun_cluster_analysis) rerun_cluster_analysis();
  output_file file(name);
  for (const fixed_text<header_line_width>& line : header) {
    if (line.view().substr(0, 5) == "CRYST") write_cryst1(file, frame);
  }
  write_cryst1(file, frame);

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
  const grid_axes axes(frame, gridsize, gridi.n);
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
