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
  std::set<int> whole;  // every group 1-230 has a row
  for (const space_group_row& row : space_group_table) {
    EXPECT_EQ(std::string(row.symbol).size(), 10u) << row.symbol;
    if (row.number >= 1.0f && row.number == static_cast<float>(static_cast<int>(row.number)))
      whole.insert(static_cast<int>(row.number));
  }
  EXPECT_EQ(whole.size(), 230u);
  EXPECT_EQ(*whole.rbegin(), 230);
}

}  // namespace
}  // namespace porvane
