// The crystallographic services of libccp4 that the header reader uses:
// orthogonalisation matrix of a cell, 4×4 inverse, space-group operators.
#pragma once

#include <cstdint>

#include "common/fixed_text.hpp"

namespace porvane {

// Orthogonalisation matrix of `cell` (a, b, c in Å; alpha, beta, gamma in
// degrees) in the PDB convention: rows (a, b·cos γ, c·cos β),
// (0, b·sin γ, −c·sin β·cos α*), (0, 0, c·sin β·sin α*); [row][column].
// A cell with a zero, negative or non-finite edge, an angle outside
// (0, 180) degrees, or angles that close no cell ends the run with the
// library's fatal error (exit status 1).
void cell_orthogonalisation(const float cell[6], float ro[3][3]);

// ai := a⁻¹ for a 4×4 matrix (all zeros for a singular one).
void invert_4x4(const float a[4][4], float ai[4][4]);

// Operators of the space group named `spgname` from the symmetry library
// (syminfo.lib), as [R t; 0 0 0 1] in fractional coordinates, [op][row][col].
// Returns the number of operators (0 when the library does not know the
// name; it prints its own message then) and stores at most `maxops` of them.
// A name found is replaced by the library's own form of the symbol.
int32_t load_symmetry_operators(fixed_text<10>& spgname, float rsym[][4][4], int32_t maxops);

// Points the library at the system syminfo.lib when neither SYMINFO nor
// CLIBD is set, so that a run needs no set-up.
void default_symmetry_library_location();

}  // namespace porvane
