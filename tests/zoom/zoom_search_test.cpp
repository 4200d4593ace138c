// The zoom search end to end: the table of its passes for small files, 1ubq
// checked by hand, and every real structure.
#include <gtest/gtest.h>

#include "support/report_cases.hpp"

namespace porvane {
namespace {

TEST(ZoomSearch, StageReports) {
  testing::expect_reports("zoom_stage", testing::report_table("cases/zoom.txt"), " Zooming");
}

}  // namespace
}  // namespace porvane
