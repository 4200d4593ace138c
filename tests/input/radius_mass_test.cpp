#include <gtest/gtest.h>

#include <set>
#include <string>

#include "input/element_mass_table.hpp"
#include "input/radius_rules.hpp"

namespace porvane {
namespace {

TEST(RadiusRules, ByElementTypeResidueAndSwitch) {
  struct row {
    const char* element;
    const char* atname;
    const char* resname;
    bool rv;
    float radius;
  };
  const row rows[] = {
      {" C", " CA ", "ALA", false, 1.92f}, {" C", " CB ", "ALA", false, 1.92f},
      {" C", " C  ", "ALA", false, 1.74f}, {" C", " CG ", "PHE", false, 1.74f},
      {" C", " CG ", "LEU", false, 1.92f}, {" C", " CD1", "LEU", false, 1.92f},
      {" C", " CD2", "PHE", false, 1.82f}, {" C", " CD ", "GLU", false, 1.74f},
      {" C", " CE1", "HIS", false, 1.82f}, {" C", " CE ", "LYS", false, 1.92f},
      {" C", " CE2", "TRP", false, 1.74f}, {" C", " CE3", "TRP", false, 1.82f},
      {" C", " CE1", "TRP", false, 1.92f},  // neither CE2 nor CE3: the general CE value
      {" C", " CH2", "TRP", false, 1.82f}, {" C", " CH2", "LIG", false, 1.92f},
      {" C", " CZ ", "ARG", false, 1.82f}, {" C", " CZ ", "LIG", false, 1.92f},
      {" C", " CM ", "LIG", false, 1.83f},
      {" C", "CA1 ", "LIG", false, 1.83f},  // written from column 13: type "A1"
      {" C", " CA ", "SER", true, 1.92f},   {" S", " SG ", "CYS", true, 1.92f},
      {" O", " O  ", "HOH", false, 1.37f}, {" O", " O  ", "HOH", true, 1.68f},
      {" O", " O  ", "SER", false, 1.38f}, {" O", " OG ", "SER", true, 1.51f},
      {" N", " N  ", "SER", false, 1.47f}, {" N", " N  ", "SER", true, 1.66f},
      {" P", " P  ", "  A", false, 1.80f}, {" S", " SD ", "MET", false, 1.92f},
      {"FE", "FE  ", "HEM", false, 1.70f}, {" K", " K  ", "  K", false, 1.70f},
      {"  ", " CA ", "ALA", false, 1.70f}, {" c", " CA ", "ALA", false, 1.70f},
  };
  for (const row& r : rows) {
    run_flags flags;  // -rc is on by default: -rv wins over it
    flags.rv = r.rv ? 1 : 0;
    EXPECT_EQ(radius_rules(r.element, r.atname, r.resname, flags), r.radius)
        << '"' << r.element << "\" \"" << r.atname << "\" " << r.resname << " rv " << r.rv;
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
