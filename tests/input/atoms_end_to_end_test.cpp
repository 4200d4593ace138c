// Small PDB files of tests/data/atoms run through the program (the cases of
// tests/data/cases/atoms.txt): the report of the atom reader and the
// structure report, from "Reading atoms..." to the end of the structure
// report, is compared whole with the expected file.
#include <gtest/gtest.h>

#include "support/report_cases.hpp"

namespace porvane {
namespace {

TEST(AtomsEndToEnd, ReaderAndStructureReports) {
  testing::expect_reports("atoms", testing::report_table("cases/atoms.txt"), " Reading atoms...\n");
}

}  // namespace
}  // namespace porvane
