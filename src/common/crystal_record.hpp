// The crystal record: what the header says about the crystal, what the atom
// reader and the structure report add, and the channel results.
#pragma once

#include <cstdint>

#include "fixed_text.hpp"
#include "limits.hpp"

namespace porvane {

// Matrices are [row][column], 0-based; operator numbers in the text of the
// report are 1-based (operator k is stored at index k-1).

struct chain_entry {
  fixed_text<1> id;                        // chain identifier
  float mw = 0.0f;                         // molecular weight from SEQRES (Da)
  fixed_text<3> seqres[maxseqres];         // SEQRES residue names in order
  int32_t nres = 0;                        // names stored in seqres
  int32_t ncap = 0;                        // CA and P atoms of the chain
  float centroid[3] = {0, 0, 0};           // mean position of those atoms (Å)
};

struct bio_unit {
  fixed_text<10> name;                     // author-determined unit name
  fixed_text<400> chainlist;               // chain list text of APPLY/AND CHAINS lines
  int32_t nops = 0;                        // BIOMT operators of the unit
  float ops[maxbioops][4][4] = {};         // [operator][row][column], orthogonal frame
  float mw = 0.0f;                         // molecular weight of the unit (Da)
  float com[3] = {0, 0, 0};                // centre of the unit (Å)
  float moments[3] = {0, 0, 0};            // gyration tensor eigenvalues, ascending (Å²)
  float rg = 0.0f;                         // radius of gyration (Å)
  float asphericity = 0.0f;
  float acylindricity = 0.0f;
  float anisotropy = 0.0f;
};

struct crystal_record {
  // cell_matrices
  float cell[6] = {0, 0, 0, 0, 0, 0};      // a, b, c (Å), alpha, beta, gamma (deg)
  float fracmat[3][3] = {};                // S: orthogonal to fractional
  float fracshift[3] = {0, 0, 0};          // U: f = S·x + U
  float orthmat[3][3] = {};                // O = S⁻¹: x = O·(f − U)
  float resolution = 0.0f;                 // from REMARK 2 (Å)
  float cellvol = 0.0f;                    // cell volume (Å³)
  float facearea[3] = {0, 0, 0};           // face areas perpendicular to a, b, c (Å²)

  // symop_table
  fixed_text<10> spgname;                  // CRYST1 columns 56-65
  int32_t nsym = 0;                        // symmetry operators (counted beyond 192)
  float rsym[maxsymops][4][4] = {};        // [op][row][col] = [R t; 0 0 0 1], orthogonal
  float spgnum = 0.0f;                     // space-group number from the table

  // ncs_table
  int32_t nncs = 0;                        // NCS operators, identity first
  float rncs[maxncsops][3][4] = {};        // [op][row][col] = [R t], orthogonal
  int32_t ncsgiven[maxncsops] = {};        // MTRIX given flag; non-zero: never applied

  bio_unit biounit[maxbio];

  // channel_summary
  float btensor[3][3] = {};                // bottleneck tensor
  float projarea[3] = {0, 0, 0};           // projected open area per axis (Å²)
  float projradius[3] = {0, 0, 0};         // projected effective radius per axis (Å)

  // composition
  float mwatoms = 0.0f;                    // mass of accepted atoms (Da)
  float mwseq = 0.0f;                      // mass from SEQRES (Da)
  int32_t nresseq = 0;                     // SEQRES residues
  float vm = 0.0f;                         // Matthews coefficient (Å³/Da)
  float solvent = 0.0f;                    // solvent fraction
  int32_t nprotres = 0;                    // SEQRES protein residues
  int32_t nnucres = 0;                     // SEQRES nucleic-acid residues
  int32_t nothres = 0;                     // SEQRES residues not in the table
  float tortmin = 0.0f, tortmax = 0.0f;    // range of average tortuosity
  float wvmin = 0.0f, wvmax = 0.0f;        // range of average width variation
  fixed_text<3> dir1d;                     // direction letters of a 1D cluster 1
  float maxrad3d = 0.0f;                   // largest 3D / 2D / 1D cutoff (Å)
  float maxrad2d = 0.0f;
  float maxrad1d = 0.0f;

  // bstats
  float bsum = 0.0f, bmin = 0.0f, bmax = 0.0f;  // B factors of accepted atoms
  int32_t nchanatoms = 0;                  // channel-flagged atoms
  float chanbavg = 0.0f;                   // their mean B factor
  int32_t deepgrid[3] = {0, 0, 0};         // grid index of the deepest point
  float deepxyz[3] = {0, 0, 0};            // its orthogonal position (Å)

  // chains and biological units
  int32_t nchains = 0;                     // chain records in use
  chain_entry chain[maxchains];
  int32_t nbio = 0;                        // biological units
  float mwbio = 0.0f;                      // mass of all biological units (Da)
};

}  // namespace porvane
