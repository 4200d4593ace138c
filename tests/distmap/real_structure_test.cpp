// Real crystals: the fast map against the literal one on structures read by
// the input library, and the program writing a map and reading it back.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/report_writer.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "input/atom_reader.hpp"
#include "input/header_reader.hpp"
#include "input/linear_algebra.hpp"
#include "support/run_program.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;

struct real_crystal {
  std::unique_ptr<crystal_record> celli = std::make_unique<crystal_record>();
  atom_store atoms;
  run_params params;
  run_flags flags;
};

// Reads a structure of the test data as a run does (header, atoms, the
// orthogonalisation matrix as the inverse of the fractionalisation matrix).
void read_structure(const std::string& file, real_crystal& rc) {
  const std::string path = std::string(PORVANE_TEST_DATA) + "/pdb/" + file;
  fixed_text<132> name;
  name.assign(path);
  header_store header;
  int32_t nheader = 0;
  ::testing::internal::CaptureStdout();
  read_header(name, *rc.celli, header, nheader, rc.flags, rc.params);
  read_atoms(name, rc.params, rc.atoms, rc.flags, *rc.celli);
  report().flush();
  ::testing::internal::GetCapturedStdout();
  matinv(rc.celli->fracmat, rc.celli->orthmat);
}

class RealStructure : public ::testing::TestWithParam<std::pair<const char*, float>> {};

TEST_P(RealStructure, FastMapEqualsLiteral) {
  real_crystal rc;
  read_structure(GetParam().first, rc);
  ASSERT_GT(rc.celli->nsym, 0);
  ASSERT_GT(rc.params.natoms, 0);
  rc.params.gridsize = GetParam().second;
  int32_t gridmax[3];
  set_gridmax(rc.params, *rc.celli, gridmax);
  grid_store fast, literal;
  coord_range range;
  fill_grid_positions(rc.params, *rc.celli, gridmax, fast, range);
  fill_grid_positions(rc.params, *rc.celli, gridmax, literal, range);
  int32_t moved = 0;
  const auto copies = collect_atom_copies(rc.params, rc.flags, *rc.celli, rc.atoms, false, moved);
  EXPECT_EQ(copies.size(), static_cast<std::size_t>(rc.params.natoms) *
                               static_cast<std::size_t>(rc.celli->nsym));
  distance_map_literal(rc.params, *rc.celli, rc.atoms, copies, literal);
  distance_map_fast(*rc.celli, copies, fast);
  std::size_t differ = 0;
  for (std::size_t p = 0; p < literal.points(); ++p) {
    differ += std::bit_cast<uint32_t>(literal.dist[p]) != std::bit_cast<uint32_t>(fast.dist[p]) ||
              literal.iatom[p] != fast.iatom[p] || literal.isym[p] != fast.isym[p] ||
              literal.incs[p] != fast.incs[p];
  }
  EXPECT_EQ(differ, 0u) << "of " << literal.points() << " points";
}

INSTANTIATE_TEST_SUITE_P(Crystals, RealStructure,
                         ::testing::Values(std::make_pair("1ubq.pdb", 1.5f),   // P 21 21 21
                                           std::make_pair("3al1.pdb", 1.0f),   // P -1, triclinic
                                           std::make_pair("1ejg.pdb", 1.1f),   // P 1 21 1
                                           std::make_pair("1hpv.pdb", 4.0f)));  // P 61, γ = 120°

// The program writes its map into the input file's directory and reads it
// back with -rm; the map holds 32-bit reals on the grid of the run.
TEST(MapRoundTrip, ProgramWritesAndReadsItsMap) {
  const fs::path dir = porvane::testing::fresh_directory("distmap_roundtrip");
  fs::copy_file(fs::path(PORVANE_TEST_DATA) / "pdb" / "1ubq.pdb", dir / "1ubq.pdb");
  const auto first = porvane::testing::run_program(PORVANE_BINARY, {"1ubq.pdb", "-vb", "1"}, dir);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find(" Closing map...\n"), std::string::npos) << first.out;
  const std::string map = porvane::testing::read_file(dir / "1ubq_channel_2.0.map");
  ASSERT_GT(map.size(), 1024u);
  int32_t words[3], mode;
  std::memcpy(words, map.data(), 12);
  std::memcpy(&mode, map.data() + 12, 4);
  EXPECT_EQ(words[0], 26);  // 50.84 / 2 → 25 intervals, 26 columns
  EXPECT_EQ(words[1], 22);
  EXPECT_EQ(words[2], 15);
  EXPECT_EQ(mode, 2);

  const auto second = porvane::testing::run_program(
      PORVANE_BINARY, {"1ubq.pdb", "-rm", "1ubq_channel_2.0.map", "-vb", "1"}, dir);
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.out.find(" Reading previously written distance map...Assuming a gridsize of"),
            std::string::npos);
  EXPECT_EQ(second.out.find(" Writing map...\n"), std::string::npos);
  // The same grid and coordinate range as the run that wrote the map.
  const auto tail = [](const std::string& out) {
    return out.substr(out.find(" Gridsize  "), out.find(" atoms were near") - out.find(" Gridsize  ") - 12);
  };
  EXPECT_EQ(tail(first.out), tail(second.out));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
