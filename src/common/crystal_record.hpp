// The crystal record: what the header says about the crystal, what the atom
// reader and the structure report add. The channel results live in a record
// of the channel analysis.
#pragma once

#include <cstdint>

#include "cell_frame.hpp"
#include "crystal_figures.hpp"
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
  int32_t line = 0;                        // input line of its BIOMOLECULE record
};

// The cell and its matrices come from cell_frame: a stage that only turns
// indices or coordinates into positions takes the frame alone.
struct crystal_record : cell_frame {
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

  // composition
  float mwatoms = 0.0f;                    // mass of accepted atoms (Da)
  float mwseq = 0.0f;                      // mass from SEQRES (Da)
  int32_t nresseq = 0;                     // SEQRES residues
  float vm = 0.0f;                         // Matthews coefficient (Å³/Da)
  float solvent = 0.0f;                    // solvent fraction
  int32_t nprotres = 0;                    // SEQRES protein residues
  int32_t nnucres = 0;                     // SEQRES nucleic-acid residues
  int32_t nothres = 0;                     // SEQRES residues not in the table

  // bstats
  float bsum = 0.0f, bmin = 0.0f, bmax = 0.0f;  // B factors of accepted atoms

  // chains and biological units
  int32_t nchains = 0;                     // chain records in use
  chain_entry chain[maxchains];
  int32_t nbio = 0;                        // biological units
  float mwbio = 0.0f;                      // mass of all biological units (Da)
};

// The face areas, solvent content and Vm of the crystal, as the channel
// stages take them.
inline crystal_figures figures_of(const crystal_record& celli) {
  crystal_figures figures;
  for (int c = 0; c < 3; ++c) figures.facearea[c] = celli.facearea[c];
  figures.solvent = celli.solvent;
  figures.vm = celli.vm;
  return figures;
}

}  // namespace porvane
