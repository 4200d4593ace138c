// Formatted and free-format output beyond the gfortran tables: items of the
// other type, formats that cannot take all items, and the writer itself.
#include <gtest/gtest.h>

#include <cstdio>

#include "common/fixed_text.hpp"
#include "common/report_writer.hpp"
#include "format_cases.hpp"

namespace porvane {
namespace {

using test::written_by;

TEST(FormattedText, ItemsOfTheOtherNumericType) {
  EXPECT_EQ(formatted_text("(f6.2)", {int32_t{3}}), "  3.00");
  EXPECT_EQ(formatted_text("(f4.1)", {int32_t{-12345}}), "****");
  EXPECT_EQ(formatted_text("(i4)", {2.99f}), "   2");
  EXPECT_EQ(formatted_text("(i4)", {-2.99}), "  -2");
  EXPECT_EQ(formatted_text("(i4)", {1e30f}), "****");
  EXPECT_EQ(formatted_text("(f7.3)", {1.0 / 3.0}), "  0.333");
  EXPECT_EQ(formatted_text("(i3)", {"ab"}), "***");
}

TEST(FormattedText, TextItemsOfEveryKind) {
  fixed_text<10> name("P 21 21 21");
  std::string s = "abc";
  EXPECT_EQ(formatted_text("('[',a,']',a4,a2)", {to_item(name), to_item(s), to_item("xyz")}),
            "[P 21 21 21] abcxy");
  // Bytes pass unchanged, two for "Å".
  EXPECT_EQ(formatted_text("('Å',a)", {"Å"}), "ÅÅ");
}

TEST(FormattedText, FormatsThatCannotTakeAllItemsEnd) {
  // No data descriptor at all, or none after the reversion point: the
  // literals are written once instead of looping for ever.
  EXPECT_EQ(formatted_text("('only text')", {int32_t{1}, int32_t{2}}), "only text");
  EXPECT_EQ(formatted_text("(i2,('-'))", {int32_t{1}, int32_t{2}}), " 1-");
  EXPECT_EQ(formatted_text("(i2)", {}), "");
}

TEST(FreeFormatText, MixedItems) {
  fixed_text<4> atom(" CA ");
  EXPECT_EQ(free_format_text({to_item("Atom "), to_item(atom), to_item(" of residue "),
                              to_item(int32_t{12})}),
            " Atom  CA  of residue           12");
  EXPECT_EQ(free_format_text({}), "");
}

TEST(ReportWriter, OpenLinesAndTheirState) {
  EXPECT_EQ(written_by([](report_writer& r) {
              r.open("(f4.0,'..')", 5.0f);
              r.open("(f4.0,'..')", 15.0f);
              r.free(" ");
              r.line("(a)", "end");
            }),
            "  5... 15...  \nend\n");
  // A line left open at the end stays without a newline, as gfortran leaves it.
  EXPECT_EQ(written_by([](report_writer& r) { r.open("(i3)", 7); }), "  7");
  EXPECT_EQ(written_by([](report_writer& r) {
              r.line("(i2)", 1, 2, 3);
              r.free();
            }),
            " 1\n 2\n 3\n\n");
}

}  // namespace
}  // namespace porvane
