// Atomic radii: one uniform radius with -ru, otherwise a radius by element,
// carbon type and residue, with Coulomb or van der Waals radii for N and O.
#pragma once

#include <string_view>

#include "common/atom_record.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Radius (Å) the rules give an atom of `element` (two characters, as in
// columns 77-78) named `atname` (four characters) in residue `resname`.
// Reads flags.rc and flags.rv; -rv wins when both are set.
float radius_rules(std::string_view element, std::string_view atname, std::string_view resname,
                   const run_flags& flags);

// Sets atom.radius: `atomradius` with flags.ru, otherwise the rules above.
void get_atomradius(float atomradius, atom_record& atom, const run_flags& flags);

}  // namespace porvane
