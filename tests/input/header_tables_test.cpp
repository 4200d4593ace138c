#include <gtest/gtest.h>

#include <set>
#include <string>

#include "input/residue_mass_table.hpp"
#include "input/space_group_table.hpp"

namespace porvane {
namespace {

// Exact ten-character comparison (a shorter text is blank-padded), the last
// equal row winning; the R and H symbols stand in two places.
TEST(HeaderTables, SpaceGroupLookup) {
  const std::pair<const char*, float> cases[] = {
      {"P 21 21 21", 19}, {"P 1 21 1  ", 4}, {"P 1 1 21  ", 4.1f}, {"P 2 21 21 ", 18.3f},
      {"P 21 2 21 ", 18.5f}, {"C 2 2 21  ", 20}, {"P -1      ", 2}, {"P 61", 169},
      {"I a -3 d", 230}, {"R 3", 146}, {"R 3 2", 155}, {"R -3 c", 167}, {"H 3", 143},
      {"H 3 2", 149}, {"H 3 2 1", 149}, {"H 3 1 2", 150}, {"OTHER     ", -1},
      {"P212121   ", space_group_unknown}, {"p 21 21 21", space_group_unknown},
      {" P 21 21 21", space_group_unknown}, {"          ", space_group_unknown},
      {"P 1 21 1 X", space_group_unknown}};
  for (const auto& [symbol, number] : cases)
    EXPECT_EQ(space_group_number(symbol), number) << symbol;

  ASSERT_EQ(space_group_table.size(), 266u);
  EXPECT_STREQ(space_group_table[239].symbol, "R 3       ");  // rows 240-246 repeat R
  EXPECT_STREQ(space_group_table[246].symbol, "H 3       ");  // rows 247-265: H
  EXPECT_STREQ(space_group_table[265].symbol, "OTHER     ");
  std::set<int> whole;  // every group 1-230 has a row
  for (const space_group_row& row : space_group_table) {
    EXPECT_EQ(std::string(row.symbol).size(), 10u) << row.symbol;
    if (row.number >= 1.0f && row.number == static_cast<float>(static_cast<int>(row.number)))
      whole.insert(static_cast<int>(row.number));
  }
  EXPECT_EQ(whole.size(), 230u);
  EXPECT_EQ(*whole.rbegin(), 230);
}

// First exact three-character match; nucleic-acid names are right-justified.
TEST(HeaderTables, ResidueLookup) {
  const std::pair<const char*, int> cases[] = {
      {"ALA", 1}, {"VAL", 22}, {" DA", 23}, {"  A", 28}, {"  C", 32}, {"DA ", 0},
      {"ala", 0}, {"MSE", 0}, {"ACE", 0}, {"A", 0}};
  for (const auto& [name, row] : cases) EXPECT_EQ(residue_row(name), row) << name;
  ASSERT_EQ(residue_mass_table.size(), 32u);
  EXPECT_EQ(residue_mass_table[0].mass - link_water_mass, 71.093f);
  EXPECT_EQ(residue_mass_table[31].mass, 323.197f);
  EXPECT_EQ(last_protein_row, 22);
  for (const residue_mass_row& row : residue_mass_table) EXPECT_STREQ(row.link, "LN");
}

}  // namespace
}  // namespace porvane
