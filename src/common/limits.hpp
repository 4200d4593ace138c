// Fixed limits of the program's stores.
#pragma once

#include <cstdint>

namespace porvane {

constexpr int maxatoms = 250000;     // atom slots of pdbdata, coords, pseudocoords
constexpr int maxsymops = 192;       // crystallographic symmetry operators
constexpr int maxncsops = 192;       // non-crystallographic operators
constexpr int maxgrid = 250;         // grid intervals per cell edge (indices 0..250)
constexpr int maxclusters = 500;     // cluster records
constexpr int maxslices = 501;       // slices 0..500 per axis of a cluster record
constexpr int maxheader = 5000;      // kept header lines
constexpr int maxchains = 200;       // chain records
constexpr int maxseqres = 4000;      // SEQRES residues per chain
constexpr int maxbio = 100;          // biological units
constexpr int maxbioops = 100;       // operators per biological unit
constexpr int maxreebnodes = 5000;   // Reeb nodes per direction
constexpr int maxreebedges = 5000;   // Reeb edges per direction
constexpr int maxneighbours = 10;    // neighbours per Reeb node
constexpr int maxradii = 1000;       // rows of the multiscale radius table

// The largest size of a distance a map holds (Å): a map read back holds
// values from -max_map_distance to max_map_distance, and a run writes no
// other (its atom radii stay below it, and a point without a copy within
// 10000 Å keeps that value). Up to it the sums of the analysis stay finite
// in single precision: a sum of squares over 251^3 points comes to about
// 1.6e19.
constexpr float max_map_distance = 1.0e6f;

// Entries a store of `limit` holds after `count` were met: readers count
// beyond a limit (the run reports or stops on the count) but store no more.
constexpr int32_t stored_count(int32_t count, int32_t limit) { return count < limit ? count : limit; }

constexpr int header_line_width = 132;  // width of a kept header line
constexpr int input_line_width = 80;    // columns read from an input line

}  // namespace porvane
