#include "input/radius_rules.hpp"

namespace porvane {

namespace {

bool one_of(std::string_view name, std::initializer_list<std::string_view> list) {
  for (std::string_view item : list)
    if (name == item) return true;
  return false;
}

// Carbon radius by the carbon type (characters 2-3 of the atom name) and the
// residue: aromatic and carbonyl-like carbons are smaller than aliphatic ones.
float carbon_radius(std::string_view atname, std::string_view resname) {
  std::string_view type = atname.substr(1, 2);
  char branch = atname.size() > 3 ? atname[3] : ' ';
  if (type == "C ") return 1.74f;
  if (type == "CA" || type == "CB") return 1.92f;
  if (type == "CD") {
    if (one_of(resname, {"GLN", "GLU", "GLX"})) return 1.74f;
    if (one_of(resname, {"HIS", "PHE", "TRP", "TYR"})) return 1.82f;
    return 1.92f;
  }
  if (type == "CE") {
    if (one_of(resname, {"HIS", "PHE", "TYR"})) return 1.82f;
    if (resname == "TRP") {
      if (branch == '2') return 1.74f;
      if (branch == '3') return 1.82f;
      // A TRP CE carbon that is neither CE2 nor CE3 gets the value of a CE
      // carbon that no more specific rule covers.
      return 1.92f;
    }
    return 1.92f;
  }
  if (type == "CG") {
    if (one_of(resname, {"ASN", "ASP", "ASX", "PHE", "TRP", "TYR"})) return 1.74f;
    return 1.92f;
  }
  if (type == "CH") {
    if (resname == "TRP") return 1.82f;
    return 1.92f;
  }
  if (type == "CZ") {
    if (one_of(resname, {"ARG", "PHE", "TRP", "TYR"})) return 1.82f;
    return 1.92f;
  }
  return 1.83f;
}

}  // namespace

float radius_rules(std::string_view element, std::string_view atname, std::string_view resname,
                   const run_flags& flags) {
  if (element == " C") return carbon_radius(atname, resname);
  if (element == " N") {
    float r = 1.70f;
    if (flags.rc != 0) r = 1.47f;
    if (flags.rv != 0) r = 1.66f;
    return r;
  }
  if (element == " O") {
    bool water = resname == "HOH";
    float r = 1.70f;
    if (flags.rc != 0) r = water ? 1.37f : 1.38f;
    if (flags.rv != 0) r = water ? 1.68f : 1.51f;
    return r;
  }
  if (element == " P") return 1.80f;
  if (element == " S") return 1.92f;
  return 1.70f;
}

void get_atomradius(float atomradius, atom_record& atom, const run_flags& flags) {
  atom.radius = flags.ru != 0 ? atomradius
                              : radius_rules(atom.element.view(), atom.atname.view(),
                                             atom.resname.view(), flags);
}

}  // namespace porvane
