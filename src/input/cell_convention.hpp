// The frame of a cell in the PDB orthogonalisation convention, as a CRYST1
// record without SCALE records gives it, and the cell's volume and faces.
#pragma once

#include "common/cell_frame.hpp"

namespace porvane {

// The scale matrix of the cell in the PDB convention: the inverse of
// [orthogonalisation 0; 0 0 0 1] (libccp4). A cell the library cannot
// orthogonalise ends the run with its fatal error (status 1).
void pdb_scale_matrix(const float cell[6], float x[3][3]);

// Gives `frame` the PDB convention of its cell: fracmat := the scale matrix
// of frame.cell, fracshift := 0, orthmat := its inverse (matinv).
void use_pdb_convention(cell_frame& frame);

// True when the frame is the PDB convention of its cell as a PDB file can
// write it: each element of the scale matrix within 0.1 % of the calculated
// one (or within the 1e-6 of its six decimals) and no translation beyond
// the five decimals' rounding.
bool in_pdb_convention(const cell_frame& frame);

// Volume (Å³) of the cell and the areas (Å²) of its faces perpendicular to
// a, b and c, in single precision.
float cell_volume(const float cell[6]);
void cell_face_areas(const float cell[6], float facearea[3]);

}  // namespace porvane
