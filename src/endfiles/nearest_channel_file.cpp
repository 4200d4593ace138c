#include "endfiles/nearest_channel_file.hpp"

#include <algorithm>

#include "common/output_file.hpp"
#include "common/report_writer.hpp"
#include "distmap/atom_copies.hpp"
#include "endfiles/nearest_channel_search.hpp"

namespace porvane {

void write_nearest_channel_file(const std::string& name, const cell_frame& frame, float gridsize,
                                const run_flags& flags, atom_store& atoms, const grid_store& gridi,
                                const std::function<void()>& rerun_cluster_analysis) {
  report().free(" Writing atoms with B-factor field containing atom depth, or distance to nearest channel...");
  output_file file(name);
  if (rerun_cluster_analysis) rerun_cluster_analysis();
  const channel_point_index channels(frame, gridsize, gridi);
  // With -cg the residue pseudo-atoms have taken the first slots: the file
  // holds them, as the map and -ex use them, not a mix of pseudo-atoms and
  // the atoms left in the slots after them.
  const std::size_t natoms = std::min({static_cast<std::size_t>(std::max(map_atom_loop_count(atoms.count, flags), 0)),
                                       atoms.pdbdata.size(), atoms.coords.size() / 3});
  for (std::size_t a = 0; a < natoms; ++a) {
    atom_record& rec = atoms.pdbdata[a];
    float depth = no_channel_distance;
    int32_t clust = no_channel_cluster;
    channels.nearest(&atoms.coords[3 * a], depth, clust);
    rec.occupancy = static_cast<float>(clust);
    rec.bfactor = depth;
    file.record(atom_fields(rec, "A", rec.xyz, rec.occupancy, rec.bfactor));
  }
  file.close();
}

}  // namespace porvane
