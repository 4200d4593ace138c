#include <gtest/gtest.h>

#include <set>
#include <string>

#include "atoms_test_support.hpp"
#include "input/element_mass_table.hpp"
#include "input/radius_rules.hpp"

namespace porvane {
namespace {

float radius(const char* element, const char* atname, const char* resname,
             const run_flags& flags = run_flags{}) {
  return radius_rules(element, atname, resname, flags);
}

TEST(RadiusRules, CarbonTypesByResidue) {
  EXPECT_EQ(radius(" C", " CA ", "ALA"), 1.92f);
  EXPECT_EQ(radius(" C", " CB ", "ALA"), 1.92f);
  EXPECT_EQ(radius(" C", " C  ", "ALA"), 1.74f);
  EXPECT_EQ(radius(" C", " CG ", "PHE"), 1.74f);
  EXPECT_EQ(radius(" C", " CG ", "LEU"), 1.92f);
  EXPECT_EQ(radius(" C", " CD1", "LEU"), 1.92f);
  EXPECT_EQ(radius(" C", " CD2", "PHE"), 1.82f);
  EXPECT_EQ(radius(" C", " CD ", "GLU"), 1.74f);
  EXPECT_EQ(radius(" C", " CE1", "HIS"), 1.82f);
  EXPECT_EQ(radius(" C", " CE ", "LYS"), 1.92f);
  EXPECT_EQ(radius(" C", " CE2", "TRP"), 1.74f);
  EXPECT_EQ(radius(" C", " CE3", "TRP"), 1.82f);
  EXPECT_EQ(radius(" C", " CH2", "TRP"), 1.82f);
  EXPECT_EQ(radius(" C", " CH2", "LIG"), 1.92f);
  EXPECT_EQ(radius(" C", " CZ ", "ARG"), 1.82f);
  EXPECT_EQ(radius(" C", " CZ ", "LIG"), 1.92f);
  EXPECT_EQ(radius(" C", " CM ", "LIG"), 1.83f);
  // A name written from column 13 shifts the type: "CA1 " reads as type "A1".
  EXPECT_EQ(radius(" C", "CA1 ", "LIG"), 1.83f);
  // A TRP CE that is neither CE2 nor CE3 takes the general CE value.
  EXPECT_EQ(radius(" C", " CE1", "TRP"), 1.92f);
}

TEST(RadiusRules, NitrogenAndOxygenCoulombOrVanDerWaals) {
  run_flags rv;
  rv.rv = 1;  // -rv with the default -rc still on: -rv wins
  EXPECT_EQ(radius(" O", " O  ", "HOH"), 1.37f);
  EXPECT_EQ(radius(" O", " O  ", "HOH", rv), 1.68f);
  EXPECT_EQ(radius(" O", " O  ", "SER"), 1.38f);
  EXPECT_EQ(radius(" O", " OG ", "SER", rv), 1.51f);
  EXPECT_EQ(radius(" N", " N  ", "SER"), 1.47f);
  EXPECT_EQ(radius(" N", " N  ", "SER", rv), 1.66f);
  // Carbon and sulphur do not depend on the switch.
  EXPECT_EQ(radius(" C", " CA ", "SER", rv), 1.92f);
  EXPECT_EQ(radius(" S", " SG ", "CYS", rv), 1.92f);
}

TEST(RadiusRules, OtherElementsAndUniformRadius) {
  EXPECT_EQ(radius(" P", " P  ", "  A"), 1.80f);
  EXPECT_EQ(radius(" S", " SD ", "MET"), 1.92f);
  EXPECT_EQ(radius("FE", "FE  ", "HEM"), 1.70f);
  EXPECT_EQ(radius(" K", " K  ", "  K"), 1.70f);
  EXPECT_EQ(radius("  ", " CA ", "ALA"), 1.70f);  // blank element: no carbon rule
  EXPECT_EQ(radius(" c", " CA ", "ALA"), 1.70f);  // compared exactly

  atom_record atom;
  atom.element = " O";
  atom.atname = " O  ";
  atom.resname = "HOH";
  run_flags flags;
  get_atomradius(2.0f, atom, flags);
  EXPECT_EQ(atom.radius, 1.37f);
  flags.ru = 1;
  get_atomradius(2.0f, atom, flags);
  EXPECT_EQ(atom.radius, 2.0f);
}

TEST(ElementMasses, TableRowsAndOrder) {
  EXPECT_EQ(nelements, 112);
  std::set<std::string> symbols;
  for (const element_mass& row : element_mass_table) {
    std::string s(row.symbol);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_NE(s[1], ' ') << s;
    EXPECT_TRUE(symbols.insert(s).second) << "duplicate " << s;
    for (char c : s) EXPECT_TRUE(c == ' ' || (c >= 'A' && c <= 'Z')) << s;
  }
  EXPECT_STREQ(element_mass_table[0].symbol, " H");
  EXPECT_STREQ(element_mass_table[25].symbol, "FE");
  EXPECT_STREQ(element_mass_table[91].symbol, " U");
  EXPECT_STREQ(element_mass_table[111].symbol, "CN");
  // Masses grow with the atomic number except for the known inversions.
  int inversions = 0;
  for (int i = 1; i < nelements; ++i)
    if (element_mass_table[i].mass < element_mass_table[i - 1].mass) ++inversions;
  EXPECT_LE(inversions, 10);
}

TEST(ElementMasses, ListedValues) {
  EXPECT_EQ(mass(" H"), 1.00794f);
  EXPECT_EQ(mass("HE"), 4.002602f);
  EXPECT_EQ(mass(" C"), 12.0107f);
  EXPECT_EQ(mass(" N"), 14.0067f);
  EXPECT_EQ(mass(" O"), 15.9994f);
  EXPECT_EQ(mass(" P"), 30.973762f);
  EXPECT_EQ(mass(" S"), 32.065f);
  EXPECT_EQ(mass(" K"), 39.0983f);
  EXPECT_EQ(mass("FE"), 55.845f);
  EXPECT_EQ(mass("ZN"), 65.409f);
  EXPECT_EQ(mass("SE"), 78.96f);
  EXPECT_EQ(mass("TH"), 232.03806f);
  EXPECT_EQ(mass(" U"), 238.02891f);
  EXPECT_EQ(mass("TC"), 98.0f);
  EXPECT_EQ(mass("PU"), 239.0f);
  EXPECT_EQ(mass("MT"), 268.0f);
  EXPECT_EQ(mass("CN"), 285.0f);
}

TEST(ElementMasses, MissingElementWeighsZeroWithMessage) {
  float m = 1.0f;
  std::string out = test::capture_stdout([&] { m = mass("Fe"); });
  EXPECT_EQ(m, 0.0f);
  EXPECT_EQ(out, " Element not in database: Fe. Mass set to zero.\n");
  out = test::capture_stdout([&] { m = mass("  "); });
  EXPECT_EQ(m, 0.0f);
  EXPECT_EQ(out, " Element not in database:   . Mass set to zero.\n");
}

}  // namespace
}  // namespace porvane
