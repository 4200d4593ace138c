// Element masses (standard atomic weights) by PDB element symbol.
#pragma once

#include <string_view>

namespace porvane {

struct element_mass {
  const char* symbol;  // two characters, upper case, right-justified (" C", "FE")
  float mass;          // Da
};

constexpr int nelements = 112;
extern const element_mass element_mass_table[nelements];

// Mass (Da) of the element whose symbol equals `element` exactly (case and
// blanks count). An element not in the table weighs 0.0 and is reported.
float mass(std::string_view element);

}  // namespace porvane
