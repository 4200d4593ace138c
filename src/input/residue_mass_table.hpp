// Masses and classes of SEQRES residue names.
#pragma once

#include <array>
#include <string_view>

namespace porvane {

struct residue_mass_row {
  const char* name;  // 3 characters, right-justified as in SEQRES columns 20-22
  const char* link;  // link code, 2 characters ("LN": a water leaves per residue)
  float mass;        // Da
};

constexpr int residue_mass_rows = 32;
constexpr int last_protein_row = 22;  // rows 1-22 protein, 23-32 nucleic acid
extern const std::array<residue_mass_row, residue_mass_rows> residue_mass_table;

// Mass given to a residue name missing from the table (a serine).
constexpr float missing_residue_mass = 105.0f;
// Mass of the water lost per "LN" link.
constexpr float link_water_mass = 18.0f;

// 1-based row of the first row whose name equals the 3-character `name`
// exactly (case and blanks count); 0 when no row is equal.
int residue_row(std::string_view name);

}  // namespace porvane
