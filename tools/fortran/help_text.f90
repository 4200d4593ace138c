! Writes the help text with gfortran's own list-directed and formatted output.
! Regenerate: gfortran help_text.f90 -o /tmp/help && /tmp/help GRID MAXT CUT STEP POCKET CLUST
program help_text
  implicit none
  real :: gridsize, maxtime, channel_cutoff, stepsize, pocketcountcut, clustcountcut
  character(len=30) :: version = '0.5  February 2015'
  character(len=40) :: arg
  call get_command_argument(1, arg); read(arg,*) gridsize
  call get_command_argument(2, arg); read(arg,*) maxtime
  call get_command_argument(3, arg); read(arg,*) channel_cutoff
  call get_command_argument(4, arg); read(arg,*) stepsize
  call get_command_argument(5, arg); read(arg,*) pocketcountcut
  call get_command_argument(6, arg); read(arg,*) clustcountcut
  write(*,*) 'usage: porvane [options] pdb_file [options]'
  write(*,*) ''
  write(*,*) ' Porvane carries out two tasks aimed at visualizing and describing pores in protein crystals:'
  write(*,*)
  write(*,*) ' 1. Divides unit cell into a grid and calculates a distance map: the distance from the gridpoint to the surface of the nearest atom.'
  write(*,*) '    The map is written in ccp4 format (default) or pdb coordinates, and displayed with standard crystallography graphics programs.'
  write(*,*)
  write(*,*) ' 2. Classifies the grid points in the distance map as solvent channel or protein and '
  write(*,*) '    then characterizes solvent channels by doing a ', '"', 'cluster', '"', ' analysis to find groups '
  write(*,*) '    of solvent channel gridpoints, determining if these groups are isolated pockets '
  write(*,*) '    or pipes traversing the whole unit cell. The cluster analysis is done for multiple cutoff radii'
  write(*,*) '    yielding multiscale summary information about the channel structure.'
  write(*,*)
  write(*,*) ' Version ', version
  write(*,*)
  write(*,*) ' Options & parameters:'
  write(*,*) '   Map calculation:'
  write(*,"(A90,F4.1,A1)") '        -re  gridsize = resolution of distance map (grid spacing) in Angstroms (default = ', gridsize, ')'
  write(*,"(A106,F6.1,A1)") '       -mt  maxtime = adjust gridsize to limit time for map calculation to maxtime in minutes (default = ', maxtime, ')'
  write(*,*) '       -f   Force program to use specified gridsize regardless of maxtime'
  write(*,*) '       -rm  mapfile   Read previously written distance map'
  write(*,*) '       -cg  Coarse grained - approximate each residue as a pseudoatom using center of mass and radius of gyration + 1.6 for radius'
  write(*,*) '            and set gridsize to 3.0'
  write(*,*) '       -ca  Use only alpha carbons'
  write(*,*) '       -ha  Include all heteroatoms in calculation of distance map. Note that heteroatoms listed in seqres (i.e. modified amino acids)'
  write(*,*) '              are included by default. This flag will include ligands not listed in seqres cards.'
  write(*,*) '       -hn  Include non-water heteroatoms in calculation of distance map'
  write(*,*) '       -sl  Use ccp4 symmetry library to read symmetry operators'
  write(*,*) '            This is typically in ccp4-xxx/lib/data/syminfo.lib and needs to be set equiv to SYMINFO env variable.'
  write(*,*) '       -mb  maxbfactor = ignore atoms with b-factors greater than maxbfactor'
  write(*,*) '       -rc  Use Coulomb radii for N and O, van der Waals radii for C and S, 1.7 Angstroms for all other atoms (default)'
  write(*,*) '       -rv  Use van der Waals radii for N, O, C and S, 1.7 Angstroms for all other atoms'
  write(*,*) '       -ru  atomradius = user defined atom radius for all atoms'
  write(*,*)
  write(*,*) '   Cluster analysis:'
  write(*,*) '       -cd  channel_cutoff = minimum grid-atom_surface distance to be considered as channel; '
  write(*,*) '            also starting radius for multiscale cluster analysis'
  write(*,"(A24,F4.1,A38)") '            (default = ', channel_cutoff, ' -> nominal radius of water molecule)'
  write(*,*) '       -st  stepsize = step size (in Angstroms) for multiscale cluster analysis'
  write(*,"(A24,F4.1,A1)") '            (default = ', stepsize, ')'
  write(*,*) '       -pc  pocketcountcut = minimum % of total channel space a pocket needs to occupy to'
  write(*,"(A47,F4.1,A3)") '             be counted as a pocket (default = ', pocketcountcut, '%)'
  write(*,*) '       -mf  clustcountcut = minimum % of all gridpoints in the cell a cluster must occupy to be counted'
  write(*,"(A24,F4.2,A3)") '             (default = ', clustcountcut, '%)'
  write(*,*) '       -s   Do cluster analysis only once, with channel_cutoff as cutoff'
  write(*,*)
  write(*,*) '   Output:'
  write(*,*) '       -nm  Suppress output of map of nearest atom distances (ccp4 format)'
  write(*,*) '       -cl  For 1D channels, output center of pipe as coordinate file. W/B field contains maximum/average radii for that section.'
  write(*,*) '       -cm  Write out pdb format coordinate map of nearest atom distances '
  write(*,*) '             i.e. pseudoatoms (HOH) at each gridpoint with B field containing distance and W field containing cluster number (-1 = not channel)'
  write(*,*) '       -vb  level = verbosity level (0,1,2,3 - 2 & 3 mainly for debugging; default = 0)'
  write(*,*) '       -nc  Write out pdb file with B field containing distance to nearest channel (using the parameter channel_cutoff).'
  write(*,*) '       -ex  Write out protein coordinates expanded to unit cell'
  write(*,*)
  write(*,*) '    Misc options and settings:'
  write(*,*) '       -ho  Read header only'
  write(*,*) '       -p1  Assume P1 symmetry '
  write(*,*) '       -ar  Do tortuosity and width variation calculations based on cross-sectional area of the pipe, rather than'
  write(*,*) '             the deepest point (default)'
  write(*,*) '       -rb  direction cutoff = Do reeb graph analysis of channel structure along direction (1,2,3) for map calculated with'
  write(*,*) '             cutoff. Uses largest cluster (default - see below). If no parameters are given (default), the reeb analysis will be done in '
  write(*,*) '             each unit cell direction with a cutoff equal to the maximum radius for which the channel space is 3-dimensional'
  write(*,*) '             Outputs a file: reeb_graph.py, which is cgo that can be read into pymol using run reeb_graph.py -- under development'
  write(*,*) '       -ra  clusternum = cluster to use for reeb graph (0 = all clusters; 1 = largest cluster (default); 2 = cluster #2 etc.'
  write(*,*) '       -rt  level = extent for trimming reeb graph. 0 = no trimming 1 = hide isolated nodes (default) 2 = hide simple dead-ends'
  write(*,*) '       -zm  To speed up calculation by doing successive searches over smaller areas with higher resolution -- under development'
  write(*,*) '       -ns  Suppress gridsize identifier in distant map name (mainly for the coot plugin)'
  write(*,*) '       -h   Print this message'
  write(*,*)
  write(*,*) '  A plugin is available for running porvane from within coot.'
  write(*,*)
end program help_text
