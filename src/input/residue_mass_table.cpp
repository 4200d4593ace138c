#include "input/residue_mass_table.hpp"

#include "common/fixed_text.hpp"

namespace porvane {

const std::array<residue_mass_row, residue_mass_rows> residue_mass_table = {{
    {"ALA", "LN", 89.093f},  {"ARG", "LN", 175.209f}, {"ASN", "LN", 132.118f},
    {"ASP", "LN", 133.103f}, {"ASX", "LN", 100.096f}, {"CYS", "LN", 121.158f},
    {"GLN", "LN", 146.144f}, {"GLU", "LN", 147.129f}, {"GLX", "LN", 114.123f},
    {"GLY", "LN", 75.067f},  {"HIS", "LN", 156.162f}, {"ILE", "LN", 131.173f},
    {"LEU", "LN", 131.173f}, {"LYS", "LN", 147.195f}, {"MET", "LN", 149.211f},
    {"PHE", "LN", 165.189f}, {"PRO", "LN", 115.130f}, {"SER", "LN", 105.093f},
    {"THR", "LN", 119.119f}, {"TRP", "LN", 204.225f}, {"TYR", "LN", 181.189f},
    {"VAL", "LN", 117.146f}, {" DA", "LN", 331.222f}, {" DT", "LN", 322.208f},
    {" DU", "LN", 308.182f}, {" DG", "LN", 347.221f}, {" DC", "LN", 307.197f},
    {"  A", "LN", 347.221f}, {"  T", "LN", 322.208f}, {"  U", "LN", 324.181f},
    {"  G", "LN", 363.221f}, {"  C", "LN", 323.197f},
}};

int residue_row(std::string_view name) {
  const std::string key = padded(name, 3);
  for (int row = 0; row < residue_mass_rows; ++row)
    if (key == std::string_view(residue_mass_table[row].name, 3)) return row + 1;
  return 0;
}

}  // namespace porvane
