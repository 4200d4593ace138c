#include <gtest/gtest.h>

#include <set>
#include <string>

#include "input/residue_mass_table.hpp"
#include "input/space_group_table.hpp"
#include "support/table_file.hpp"

namespace porvane {
namespace {

TEST(HeaderTables, LookupsAndRows) {
  for (const auto& row : testing::read_table("tables/header_tables.txt")) {
    if (row[0] == "space group")
      EXPECT_EQ(space_group_number(row[1]), std::stof(row[2])) << row[1];
    else
      EXPECT_EQ(residue_row(row[1]), std::stoi(row[2])) << row[1];
  }
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
  ASSERT_EQ(residue_mass_table.size(), 32u);
  EXPECT_EQ(residue_mass_table[0].mass - link_water_mass, 71.093f);
  EXPECT_EQ(residue_mass_table[31].mass, 323.197f);
  EXPECT_EQ(last_protein_row, 22);
  for (const residue_mass_row& row : residue_mass_table) EXPECT_STREQ(row.link, "LN");
}

}  // namespace
}  // namespace porvane
