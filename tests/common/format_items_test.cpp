// Parsing of format strings: the shapes the program's formats take, the
// reversion point, malformed formats and the cache.
#include <gtest/gtest.h>

#include <string>

#include "common/format_items.hpp"
#include "common/run_stop.hpp"

namespace porvane {
namespace {

TEST(FormatItems, DescriptorsCountsAndGroups) {
  parsed_format f = parse_format("(a6,3(F9.3),2X,'it''s',i4,X,a,f5.0)");
  ASSERT_EQ(f.items.size(), 8u);
  EXPECT_EQ(f.items[0].kind, edit_kind::text);
  EXPECT_EQ(f.items[0].width, 6);
  EXPECT_EQ(f.items[1].kind, edit_kind::group);
  EXPECT_EQ(f.items[1].repeat, 3);
  ASSERT_EQ(f.items[1].group.size(), 1u);
  EXPECT_EQ(f.items[1].group[0].kind, edit_kind::fixed);
  EXPECT_EQ(f.items[1].group[0].width, 9);
  EXPECT_EQ(f.items[1].group[0].decimals, 3);
  // nX is a width, not a repeat count.
  EXPECT_EQ(f.items[2].kind, edit_kind::skip);
  EXPECT_EQ(f.items[2].width, 2);
  EXPECT_EQ(f.items[2].repeat, 1);
  EXPECT_EQ(f.items[3].text, "it's");
  EXPECT_EQ(f.items[5].width, 1);
  EXPECT_EQ(f.items[6].width, 0);  // `a` alone: the item's own length
  EXPECT_EQ(f.items[7].decimals, 0);
}

TEST(FormatItems, CaseBlanksAndMissingCommasDoNotMatter) {
  parsed_format a = parse_format("( ' VERTEX,' , F 8 . 2 , ','f8.2 , 3 ( 2 x , i 3 ) )");
  parsed_format b = parse_format("(' VERTEX,',f8.2,',',F8.2,3(2X,I3))");
  ASSERT_EQ(a.items.size(), b.items.size());
  for (std::size_t i = 0; i < a.items.size(); ++i) {
    EXPECT_EQ(a.items[i].kind, b.items[i].kind);
    EXPECT_EQ(a.items[i].width, b.items[i].width);
    EXPECT_EQ(a.items[i].repeat, b.items[i].repeat);
    EXPECT_EQ(a.items[i].text, b.items[i].text);
  }
  // Blanks inside quotes are text.
  EXPECT_EQ(parse_format("(' a  b ')").items[0].text, " a  b ");
  EXPECT_EQ(parse_format("(\"say \"\"hi\"\"\")").items[0].text, "say \"hi\"");
}

TEST(FormatItems, ReversionPointIsTheLastTopLevelGroup) {
  EXPECT_EQ(parse_format("(i2,'x')").reversion, 0u);
  EXPECT_EQ(parse_format("(1x,2(i2),3(i3))").reversion, 2u);
  EXPECT_EQ(parse_format("('x',2(i2,'y'),'z')").reversion, 1u);
  EXPECT_TRUE(parse_format("(i3,(i2,'-'))").reversion_has_data);
  EXPECT_FALSE(parse_format("(i3,('-'))").reversion_has_data);
  EXPECT_FALSE(parse_format("('   Seqres absent')").reversion_has_data);
}

TEST(FormatItems, MalformedFormatsStopTheRun) {
  for (const char* bad : {"(i3", "(f8)", "(f8.)", "(e12.4)", "('abc)", "(i3))", "(0i3)", "(q)"}) {
    try {
      parse_format(bad);
      ADD_FAILURE() << bad << " was accepted";
    } catch (const run_stop& stop) {
      EXPECT_EQ(stop.status, io_error) << bad;
      EXPECT_NE(stop.message.find(bad), std::string::npos) << stop.message;
    }
  }
}

TEST(FormatItems, CacheFollowsTheTextNotTheAddress) {
  std::string buffer = "(i4)";
  const parsed_format& first = cached_format(buffer);
  EXPECT_EQ(first.items[0].width, 4);
  EXPECT_EQ(&cached_format(std::string("(i4)")), &first);  // same text elsewhere
  buffer = "(i7)";  // same buffer, new text
  EXPECT_EQ(cached_format(buffer).items[0].width, 7);
  buffer = "(i4)";
  EXPECT_EQ(&cached_format(buffer), &first);
}

}  // namespace
}  // namespace porvane
