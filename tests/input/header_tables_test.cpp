#include <gtest/gtest.h>

#include <set>
#include <string>

#include "input/residue_mass_table.hpp"
#include "input/space_group_table.hpp"

namespace porvane {
namespace {

TEST(SpaceGroupTable, RowsAreInTheirFixedPlaces) {
  ASSERT_EQ(space_group_table.size(), 266u);
  EXPECT_STREQ(space_group_table[0].symbol, "P 1       ");
  EXPECT_STREQ(space_group_table[238].symbol, "I a -3 d  ");  // row 239: group 230
  EXPECT_EQ(space_group_table[238].number, 230.0f);
  EXPECT_STREQ(space_group_table[239].symbol, "R 3       ");  // rows 240-246 repeat R
  EXPECT_STREQ(space_group_table[245].symbol, "R -3 c    ");
  EXPECT_STREQ(space_group_table[246].symbol, "H 3       ");  // rows 247-265: H
  EXPECT_STREQ(space_group_table[265].symbol, "OTHER     ");
  for (const space_group_row& row : space_group_table)
    EXPECT_EQ(std::string(row.symbol).size(), 10u) << row.symbol;
}

TEST(SpaceGroupTable, LookupByExactSymbol) {
  EXPECT_EQ(space_group_number("P 21 21 21"), 19.0f);
  EXPECT_EQ(space_group_number("P 1 21 1  "), 4.0f);
  EXPECT_EQ(space_group_number("P 1 1 21  "), 4.1f);
  EXPECT_EQ(space_group_number("P 2 21 21 "), 18.3f);
  EXPECT_EQ(space_group_number("P 21 2 21 "), 18.5f);
  EXPECT_EQ(space_group_number("C 2 2 21  "), 20.0f);
  EXPECT_EQ(space_group_number("P -1      "), 2.0f);
  EXPECT_EQ(space_group_number("OTHER     "), -1.0f);
  // A shorter text is taken blank-padded to ten characters.
  EXPECT_EQ(space_group_number("P 61"), 169.0f);
}

TEST(SpaceGroupTable, RepeatedAndHexagonalSymbols) {
  EXPECT_EQ(space_group_number("R 3"), 146.0f);
  EXPECT_EQ(space_group_number("R 3 2"), 155.0f);
  EXPECT_EQ(space_group_number("R -3 c"), 167.0f);
  EXPECT_EQ(space_group_number("H 3 2"), 149.0f);
  EXPECT_EQ(space_group_number("H 3 2 1"), 149.0f);
  EXPECT_EQ(space_group_number("H 3 1 2"), 150.0f);
  EXPECT_EQ(space_group_number("H 3"), 143.0f);
}

TEST(SpaceGroupTable, OtherSpellingsAreNotFound) {
  EXPECT_EQ(space_group_number("P212121   "), space_group_unknown);
  EXPECT_EQ(space_group_number("p 21 21 21"), space_group_unknown);
  EXPECT_EQ(space_group_number(" P 21 21 21"), space_group_unknown);
  EXPECT_EQ(space_group_number("          "), space_group_unknown);
  EXPECT_EQ(space_group_number("P 1 21 1 X"), space_group_unknown);
}

TEST(SpaceGroupTable, EveryGroupNumberOneTo230IsPresent) {
  std::set<int> whole;
  for (const space_group_row& row : space_group_table)
    if (row.number >= 1.0f && row.number == static_cast<float>(static_cast<int>(row.number)))
      whole.insert(static_cast<int>(row.number));
  EXPECT_EQ(whole.size(), 230u);
  EXPECT_EQ(*whole.begin(), 1);
  EXPECT_EQ(*whole.rbegin(), 230);
}

TEST(ResidueMassTable, RowsMassesAndClasses) {
  ASSERT_EQ(residue_mass_table.size(), 32u);
  EXPECT_EQ(residue_row("ALA"), 1);
  EXPECT_EQ(residue_mass_table[0].mass, 89.093f);
  EXPECT_EQ(residue_mass_table[0].mass - link_water_mass, 71.093f);
  EXPECT_EQ(residue_row("VAL"), 22);
  EXPECT_EQ(residue_row(" DA"), 23);
  EXPECT_EQ(residue_mass_table[22].mass, 331.222f);
  EXPECT_EQ(residue_row("  C"), 32);
  EXPECT_EQ(residue_mass_table[31].mass, 323.197f);
  EXPECT_EQ(last_protein_row, 22);
  for (const residue_mass_row& row : residue_mass_table) EXPECT_STREQ(row.link, "LN");
}

TEST(ResidueMassTable, OnlyExactNamesAreFound) {
  EXPECT_EQ(residue_row("DA "), 0);   // left-justified
  EXPECT_EQ(residue_row("ala"), 0);   // lower case
  EXPECT_EQ(residue_row("MSE"), 0);
  EXPECT_EQ(residue_row("ACE"), 0);
  EXPECT_EQ(residue_row("A"), 0);     // taken as "A  "
  // "  A" and " DG" carry the same mass; "  A" is found in its own row.
  EXPECT_EQ(residue_row("  A"), 28);
}

}  // namespace
}  // namespace porvane
