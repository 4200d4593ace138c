#include <gtest/gtest.h>

#include <vector>
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
  EXPECT_EQ(std::vector<float>({mass(" H"), mass(" C"), mass(" K"), mass("FE"), mass("CN")}),
            (std::vector<float>{1.00794f, 12.0107f, 39.0983f, 55.845f, 285.0f}));
  EXPECT_EQ(std::string(element_mass_table[nelements - 1].symbol), "CN");
}

}  // namespace
}  // namespace porvane
