#include "common/report_writer.hpp"
#include "driver/command_line.hpp"

namespace porvane {

// clang-format off
void print_help(const run_params& params, const run_state& state) {
  report_writer& r = report();
  r.free("usage: porvane [options] pdb_file [options]");
  r.free("");
  r.free(" Porvane carries out two tasks aimed at visualizing and describing pores in protein crystals:");
  r.free();
  r.free(" 1. Divides unit cell into a grid and calculates a distance map: the distance from the gridpoint to the surface of the nearest atom.");
  r.free("    The map is written in ccp4 format (default) or pdb coordinates, and displayed with standard crystallography graphics programs.");
  r.free();
  r.free(" 2. Classifies the grid points in the distance map as solvent channel or protein and ");
  r.free("    then characterizes solvent channels by doing a ", "\"", "cluster", "\"",
         " analysis to find groups ");
  r.free("    of solvent channel gridpoints, determining if these groups are isolated pockets ");
  r.free("    or pipes traversing the whole unit cell. The cluster analysis is done for multiple cutoff radii");
  r.free("    yielding multiscale summary information about the channel structure.");
  r.free();
  r.free(" Version ", state.version);
  r.free();
  r.free(" Options & parameters:");
  r.free("   Map calculation:");
  r.line("(A90,F4.1,A1)",
         "        -re  gridsize = resolution of distance map (grid spacing) in Angstroms (default = ", params.gridsize, ")");
  r.line("(A106,F6.1,A1)",
         "       -mt  maxtime = adjust gridsize to limit time for map calculation to maxtime in minutes (default = ", params.maxtime, ")");
  r.free("       -f   Force program to use specified gridsize regardless of maxtime");
  r.free("       -rm  mapfile   Read previously written distance map");
  r.free("       -cg  Coarse grained - approximate each residue as a pseudoatom using center of mass and radius of gyration + 1.6 for radius");
  r.free("            and set gridsize to 3.0");
  r.free("       -ca  Use only alpha carbons");
  r.free("       -ha  Include all heteroatoms in calculation of distance map. Note that heteroatoms listed in seqres (i.e. modified amino acids)");
  r.free("              are included by default. This flag will include ligands not listed in seqres cards.");
  r.free("       -hn  Include non-water heteroatoms in calculation of distance map");
  r.free("       -sl  Use ccp4 symmetry library to read symmetry operators");
  r.free("            This is typically in ccp4-xxx/lib/data/syminfo.lib and needs to be set equiv to SYMINFO env variable.");
  r.free("       -mb  maxbfactor = ignore atoms with b-factors greater than maxbfactor");
  r.free("       -rc  Use Coulomb radii for N and O, van der Waals radii for C and S, 1.7 Angstroms for all other atoms (default)");
  r.free("       -rv  Use van der Waals radii for N, O, C and S, 1.7 Angstroms for all other atoms");
  r.free("       -ru  atomradius = user defined atom radius for all atoms");
  r.free();
  r.free("   Cluster analysis:");
  r.free("       -cd  channel_cutoff = minimum grid-atom_surface distance to be considered as channel; ");
  r.free("            also starting radius for multiscale cluster analysis");
  r.line("(A24,F4.1,A38)",
         "            (default = ", params.channel_cutoff, " -> nominal radius of water molecule)");
  r.free("       -st  stepsize = step size (in Angstroms) for multiscale cluster analysis");
  r.line("(A24,F4.1,A1)",
         "            (default = ", params.stepsize, ")");
  r.free("       -pc  pocketcountcut = minimum % of total channel space a pocket needs to occupy to");
  r.line("(A47,F4.1,A3)",
         "             be counted as a pocket (default = ", params.pocketcountcut, "%)");
  r.free("       -mf  clustcountcut = minimum % of all gridpoints in the cell a cluster must occupy to be counted");
  r.line("(A24,F4.2,A3)",
         "             (default = ", params.clustcountcut, "%)");
  r.free("       -s   Do cluster analysis only once, with channel_cutoff as cutoff");
  r.free();
  r.free("   Output:");
  r.free("       -nm  Suppress output of map of nearest atom distances (ccp4 format)");
  r.free("       -cl  For 1D channels, output center of pipe as coordinate file. W/B field contains maximum/average radii for that section.");
  r.free("       -cm  Write out pdb format coordinate map of nearest atom distances ");
  r.free("             i.e. pseudoatoms (HOH) at each gridpoint with B field containing distance and W field containing cluster number (-1 = not channel)");
  r.free("       -vb  level = verbosity level (0,1,2,3 - 2 & 3 mainly for debugging; default = 0)");
  r.free("       -nc  Write out pdb file with B field containing distance to nearest channel (using the parameter channel_cutoff).");
  r.free("       -ex  Write out protein coordinates expanded to unit cell");
  r.free();
  r.free("    Misc options and settings:");
  r.free("       -ho  Read header only");
  r.free("       -p1  Assume P1 symmetry ");
  r.free("       -ar  Do tortuosity and width variation calculations based on cross-sectional area of the pipe, rather than");
  r.free("             the deepest point (default)");
  r.free("       -rb  direction cutoff = Do reeb graph analysis of channel structure along direction (1,2,3) for map calculated with");
  r.free("             cutoff. Uses largest cluster (default - see below). If no parameters are given (default), the reeb analysis will be done in ");
  r.free("             each unit cell direction with a cutoff equal to the maximum radius for which the channel space is 3-dimensional");
  r.free("             Outputs a file: reeb_graph.py, which is cgo that can be read into pymol using run reeb_graph.py -- under development");
  r.free("       -ra  clusternum = cluster to use for reeb graph (0 = all clusters; 1 = largest cluster (default); 2 = cluster #2 etc.");
  r.free("       -rt  level = extent for trimming reeb graph. 0 = no trimming 1 = hide isolated nodes (default) 2 = hide simple dead-ends");
  r.free("       -zm  To speed up calculation by doing successive searches over smaller areas with higher resolution -- under development");
  r.free("       -ns  Suppress gridsize identifier in distant map name (mainly for the coot plugin)");
  r.free("       -h   Print this message");
  r.free();
  r.free("  A plugin is available for running porvane from within coot.");
  r.free();
}
// clang-format on

}  // namespace porvane
