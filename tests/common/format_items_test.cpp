// Format strings: blanks, case and missing commas, malformed formats, the cache.
#include <gtest/gtest.h>

#include <string>

#include "common/format_items.hpp"
#include "common/report_writer.hpp"
#include "common/run_stop.hpp"

namespace porvane {
namespace {

TEST(FormatItems, CaseBlanksAndMissingCommasDoNotMatter) {
  const std::vector<report_item> items = {1.25f, 2.5f, int32_t{1}, int32_t{2}, int32_t{3}};
  EXPECT_EQ(formatted_text("( ' VERTEX,' , F 8 . 2 , ','f8.2 , 3 ( 2 x , i 3 ) )", items),
            formatted_text("(' VERTEX,',f8.2,',',F8.2,3(2X,I3))", items));
  EXPECT_EQ(formatted_text("(' a  b ')", {}), " a  b ");  // blanks inside quotes are text
  EXPECT_EQ(formatted_text("(\"say \"\"hi\"\"\")", {}), "say \"hi\"");
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
