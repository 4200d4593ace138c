#include <gtest/gtest.h>

#include <set>
#include <string>

#include "input/element_mass_table.hpp"
#include "input/radius_rules.hpp"
#include "support/table_file.hpp"

namespace porvane {
namespace {

TEST(RadiusRules, ByElementTypeResidueAndSwitch) {
  for (const auto& row : testing::read_table("tables/radius_rules.txt")) {
    run_flags flags;
    flags.rv = std::stoi(row[3]);
    EXPECT_EQ(radius_rules(row[0], row[1], row[2], flags), std::stof(row[4])) << row[0] << "|" << row[1] << "|" << row[2];
  }
}

TEST(ElementMasses, SymbolsAsInTheElementColumns) {
  std::set<std::string> symbols;
  for (const element_mass& row : element_mass_table) {
    const std::string s(row.symbol);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_TRUE(s[1] >= 'A' && s[1] <= 'Z' && (s[0] == ' ' || (s[0] >= 'A' && s[0] <= 'Z'))) << s;
    EXPECT_TRUE(symbols.insert(s).second) << "duplicate " << s;
  }
  EXPECT_STREQ(element_mass_table[0].symbol, " H");
  EXPECT_STREQ(element_mass_table[25].symbol, "FE");
  EXPECT_STREQ(element_mass_table[nelements - 1].symbol, "CN");
  EXPECT_EQ(mass(" C"), 12.0107f);
  EXPECT_EQ(mass("CN"), 285.0f);
}

}  // namespace
}  // namespace porvane
