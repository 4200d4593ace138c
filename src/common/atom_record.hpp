// Atom records as read from ATOM/HETATM lines, and the atom arrays.
#pragma once

#include <cstdint>
#include <vector>

#include "fixed_text.hpp"
#include "limits.hpp"

namespace porvane {

struct atom_record {
  fixed_text<6> recname;      // record name, columns 1-6
  int32_t serial = 0;         // atom serial number
  fixed_text<4> atname;       // atom name as written (" CA ", " PSE")
  fixed_text<1> altloc;       // alternate location indicator
  fixed_text<3> resname;      // residue name
  fixed_text<1> chainid;      // chain identifier
  int32_t resseq = 0;         // residue sequence number
  float xyz[3] = {0, 0, 0};   // orthogonal coordinates (Å)
  float occupancy = 0.0f;
  float bfactor = 0.0f;
  fixed_text<2> element;      // element symbol, right-justified (" C", "FE")
  int32_t chanflag = 0;       // channel-atom flag
  float radius = 0.0f;        // atom radius (Å)
};

// The line every coordinate file writes for an atom.
constexpr const char* coordinate_record_format =
    "(a6,i5,1x,a4,a1,a3,1x,a1,i4,4x,3(f8.3),2(f6.2))";

// What a read of the atom records counted; the atom reader resets them all
// when it starts, and the heteroatom switches adjust natoms afterwards.
struct atom_counts {
  int32_t natoms = 0;   // atoms in use
  int32_t nca = 0;      // CA and P atoms, dropped records included
  int32_t nwaters = 0;  // water HETATM records
  int32_t nhetero = 0;  // HETATM records not listed in SEQRES
  int32_t npseudo = 0;  // coarse-grained pseudo-atoms
  int32_t naltloc = 0;  // alternate-location atoms passed over
};

// The atom arrays. Slot a (1-based in the report) is index a-1. The stores
// grow with the records read, never beyond maxatoms.
struct atom_store {
  std::vector<atom_record> pdbdata;          // atom records in file order
  std::vector<float> coords;                 // x, y, z of slot a at 3*(a-1)
  std::vector<float> pseudocoords;           // -cg work space, 4 per slot
  atom_counts count;                         // counters of the last read
  int32_t nslots = 0;  // slots the last read needed; above slot_limit nothing more was stored
  int32_t slot_limit = maxatoms;  // slots that may be stored (maxatoms; tests lower it)

  // Slots holding records: the slots the last read needed, at most slot_limit.
  int32_t nstored() const { return stored_count(nslots, slot_limit); }
};

}  // namespace porvane
