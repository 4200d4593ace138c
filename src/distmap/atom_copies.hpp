// The atom copies of the crystal: which atoms take part, each atom under
// every symmetry operator and every NCS operator that is applied, and the
// copy's position, wrapped into the cell or as it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/limits.hpp"
#include "common/run_params.hpp"

namespace porvane {

// One atom copy as the map applies it: the atom under NCS operator n and
// symmetry operator s, wrapped into the cell.
struct atom_copy {
  int32_t a = 0;                // atom (pseudo-atom with -cg), 1-based slot
  int32_t s = 0;                // symmetry operator, 1-based
  int32_t n = 0;                // NCS operator, 1-based
  float x[3] = {0, 0, 0};       // orthogonal position after the wrap (Å)
  float f[3] = {0, 0, 0};       // fractional coordinates after the wrap
  float r = 0.0f;               // atom radius (Å)
};

// Atoms the map loops over: npseudo with -cg, else natoms.
int32_t map_atom_loop_count(const atom_counts& count, const run_flags& flags);
// Atoms the count lines and the estimate name: npseudo with -cg, else nca
// with -ca, else natoms.
int32_t map_atom_use_count(const atom_counts& count, const run_flags& flags);
// Whether atom a takes part: with -ca (and without -cg) only " CA " and " P".
bool atom_in_map(const run_flags& flags, const atom_store& atoms, int32_t a);
// The slots the map's atom loop runs over: the loop count, at most the
// slots stored.
int32_t map_atom_slots(const run_flags& flags, const atom_store& atoms);
// Whether any atom takes part in the map (every symmetry operator and the
// identity NCS operator then make copies of it).
bool map_has_atoms(const run_flags& flags, const atom_store& atoms);

// The order of the loops over atoms and operators.
enum class copy_order {
  atom_outermost,      // a, then s, then n: the map's order
  operator_outermost,  // s, then n, then a: the order of the expanded file
};

// The loops over the atom copies: calls copy(a, s, n) for every atom that
// takes part in the map under every symmetry operator and every NCS
// operator that is applied, in the given order, and, atoms outermost,
// atom_done(a) after the copies of each atom. Never reads beyond the atoms
// actually stored.
template <class Copy, class AtomDone>
void for_each_copy(const run_flags& flags, const crystal_record& celli, const atom_store& atoms,
                   copy_order order, Copy&& copy, AtomDone&& atom_done) {
  const int32_t natom = map_atom_slots(flags, atoms);
  const int32_t nsym = stored_count(celli.nsym, maxsymops);
  const int32_t nncs = stored_count(celli.nncs, maxncsops);
  if (order == copy_order::atom_outermost) {
    for (int32_t a = 1; a <= natom; ++a) {
      if (atom_in_map(flags, atoms, a)) {
        for (int32_t s = 1; s <= nsym; ++s)
          for (int32_t n = 1; n <= nncs; ++n)
            if (celli.ncsgiven[n - 1] == 0) copy(a, s, n);
      }
      atom_done(a);
    }
    return;
  }
  for (int32_t s = 1; s <= nsym; ++s)
    for (int32_t n = 1; n <= nncs; ++n)
      if (celli.ncsgiven[n - 1] == 0)
        for (int32_t a = 1; a <= natom; ++a)
          if (atom_in_map(flags, atoms, a)) copy(a, s, n);
}

// The copy (a, s, n) before any wrap: x1 = R_n·c + t_n, x2 = S_s·x1 + u_s,
// f = fracmat·x2 + fracshift.
void atom_copy_position(const crystal_record& celli, const atom_store& atoms, int32_t a,
                        int32_t s, int32_t n, float x2[3], float f[3]);

// Places the copy (a, s, n): x1 = R_n·c + t_n, x2 = S_s·x1 + u_s,
// f = fracmat·x2 + fracshift, the wrap of f into [0, 1], x3 = orthmat·(f − U).
// Returns whether the wrap changed a coordinate; outside[c] is set when the
// wrap left f_c outside [0, 1].
bool place_atom_copy(const crystal_record& celli, const atom_store& atoms, int32_t a,
                     int32_t s, int32_t n, atom_copy& copy, bool outside[3]);

// Every copy in the order of the map's loops (a outer, then s, then n),
// skipping NCS operators that were given and atoms the -ca filter drops.
// With `write_report` the "Oops..." lines and the progress marks are written
// where the loops reach them. `moved` counts the copies the wrap moved.
std::vector<atom_copy> collect_atom_copies(const run_flags& flags, const crystal_record& celli,
                                           const atom_store& atoms, bool write_report,
                                           int32_t& moved);

// The same copies in the same order without the wrap into the cell: x is the
// position after the symmetry operator, f its fractional coordinates as
// they are (the zoom search applies the copies this way).
std::vector<atom_copy> collect_unwrapped_copies(const run_flags& flags, const crystal_record& celli,
                                                const atom_store& atoms);

// Stops the run (status 2) at the first atom copy whose position or
// fractional coordinates leave single precision (an operator element or a
// coordinate too large to use): such a copy could be neither mapped nor
// written.
void check_copy_positions(const run_flags& flags, const crystal_record& celli,
                          const atom_store& atoms, const std::string& pdbname);

// The number of copies collect_atom_copies makes, without making them.
int64_t count_atom_copies(const run_flags& flags, const crystal_record& celli,
                          const atom_store& atoms);

}  // namespace porvane
