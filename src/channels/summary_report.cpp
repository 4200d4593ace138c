// SUMMARY DATA: ranges of the averages, channel atoms, the deepest point,
// the maximum radii, the bottleneck tensor and the projected radii; then the
// output description.
#include <algorithm>

#include "channels/channel_stages.hpp"
#include "channels/output_description.hpp"
#include "common/report_writer.hpp"

namespace porvane {
namespace {

// Atom slot a (1-based); a blank record when a names no atom.
atom_record named_atom(std::span<const atom_record> pdbdata, int32_t a) {
  if (a >= 1 && static_cast<std::size_t>(a) <= pdbdata.size()) return pdbdata[static_cast<std::size_t>(a) - 1];
  atom_record none;
  none.resname = "";
  none.atname = "";
  return none;
}

void ranges(const std::vector<radius_row>& rows, channel_results& res) {
  for (const radius_row& row : rows) {
    const float t = row.avgtort, w = row.avgwv;
    if (t < res.tortmin && t != -1.0f) res.tortmin = t;
    if (w < res.wvmin && w != -1.0f) res.wvmin = w;
    if (t > res.tortmax && t != -1.0f) res.tortmax = t;
    if (w > res.wvmax && w != -1.0f) res.wvmax = w;
  }
}

// No stage marks channel atoms, so their count is 0; a count of 0 gives an
// average B factor of 0 and a share of 0.
void channel_atoms(std::span<const atom_record> pdbdata, int32_t natoms, channel_results& res) {
  res.nchanatoms = 0;
  float bsum = 0.0f;
  const std::size_t used = std::min(pdbdata.size(), static_cast<std::size_t>(std::max(natoms, 0)));
  for (std::size_t a = 0; a < used; ++a) {
    if (pdbdata[a].chanflag == 1) {
      ++res.nchanatoms;
      bsum = bsum + pdbdata[a].bfactor;
    }
  }
  res.chanbavg = res.nchanatoms > 0 ? bsum / static_cast<float>(res.nchanatoms) : 0.0f;
}

}  // namespace

void summary_report(const run_flags& flags, const run_params& params, const cell_frame& frame,
                    const crystal_figures& figures, std::span<const atom_record> pdbdata, int32_t natoms, int32_t deep_atom,
                    channel_context& chan) {
  channel_results& res = chan.results;
  ranges(chan.radius_table, res);
  channel_atoms(pdbdata, natoms, res);

  report_writer& out = report();
  out.free();
  out.free();
  out.free("SUMMARY DATA");
  out.free();
  out.line("('   Solvent content | Vm              : ',f6.2,' | ',f6.2)", figures.solvent, figures.vm);
  out.free();
  out.line("('   Maximum distance to protein (\xc3\x85) : ',f7.2)", chan.dmax);
  const float g[3] = {static_cast<float>(res.deepgrid[0]), static_cast<float>(res.deepgrid[1]),
                      static_cast<float>(res.deepgrid[2])};
  grid_to_real(frame, params.gridsize, g, res.deepxyz);
  out.line("('    from                           : ',3(x,f6.2))", res.deepxyz[0], res.deepxyz[1], res.deepxyz[2]);
  const atom_record atom = named_atom(pdbdata, deep_atom);
  out.line("('    to                             : ',a3,i5,a4,' (radius=',f6.2,')')", atom.resname, atom.resseq,
           atom.atname, atom.radius);
  out.free();
  out.line("('   Maximum radius for 3D | 2D | 1D   : ',f6.2,' | ',f6.2,' | ',f6.2)", res.maxrad3d, res.maxrad2d,
           res.maxrad1d);
  out.line("('   Direction for 1D                  :   ',A3)", res.dir1d);
  out.line("('     Min | max tortuosity            : ',f6.2,' | ',f6.2)", res.tortmin, res.tortmax);
  out.line("('     Min | max width variation       : ',f6.2,' | ',f6.2)", res.wvmin, res.wvmax);
  out.free();
  out.line("('   Bottleneck tensor:')");
  for (const auto& row : res.btensor) out.line("(3(X,f7.2))", row[0], row[1], row[2]);
  out.free();
  out.line("('   Projected effective radii:',3f6.2)", res.projradius[0], res.projradius[1], res.projradius[2]);
  out.free();
  if (flags.vb >= 1) {
    const float pct = natoms > 0 ? 100.0f * static_cast<float>(res.nchanatoms) / static_cast<float>(natoms) : 0.0f;
    out.free(" Number of channel atoms: ", res.nchanatoms, " or ", pct, "%.");
    out.free(" Average b-factor of channel atoms: ", res.chanbavg);
  }
  out.free("-----------------------------------------------------");
  if (flags.vb >= 0 && flags.vb <= 3) {
    for (const char* line : output_description) {
      if (*line == '\0') {
        out.free();
      } else {
        out.free(line);
      }
    }
  }
}

}  // namespace porvane
