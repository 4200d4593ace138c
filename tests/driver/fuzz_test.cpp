// Mutated PDB files must end every run with status 0, 1 or 2: no crash, no
// hang, no sanitizer report (the test runs again in the sanitizer build).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "support/run_program.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using testing::fresh_directory;
using testing::read_file;
using testing::run_program;

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string join_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

// One random change of a kind a damaged or hand-edited file shows.
std::string mutate(const std::string& text, std::mt19937& rng) {
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
  std::vector<std::string> lines = split_lines(text);
  const char noise[] = "0123456789-.+ eE*\t\xc3\x85\xff\x01AZ,/";
  switch (pick(9)) {
    case 0:  // truncate anywhere
      return text.substr(0, pick(text.size()));
    case 1:  // scatter bytes
      {
        std::string t = text;
        for (int k = 0; k < 20; ++k) t[pick(t.size())] = noise[pick(sizeof noise - 1)];
        return t;
      }
    case 2:  // drop lines
      for (int k = 0; k < 10 && !lines.empty(); ++k) lines.erase(lines.begin() + pick(lines.size()));
      return join_lines(lines);
    case 3:  // duplicate a block of lines many times
      {
        std::size_t at = pick(lines.size());
        std::vector<std::string> block(lines.begin() + at,
                                       lines.begin() + std::min(lines.size(), at + 4));
        for (int k = 0; k < 60; ++k) lines.insert(lines.begin() + at, block.begin(), block.end());
        return join_lines(lines);
      }
    case 4:  // cut lines short
      for (int k = 0; k < 30; ++k) {
        auto& l = lines[pick(lines.size())];
        l = l.substr(0, pick(l.size() + 1));
      }
      return join_lines(lines);
    case 5:  // overlong lines and DOS line ends
      for (int k = 0; k < 10; ++k) lines[pick(lines.size())] += std::string(300, 'X') + "\r";
      return join_lines(lines);
    case 6:  // damage the cell
      for (auto& l : lines)
        if (l.rfind("CRYST1", 0) == 0 && l.size() > 40) {
          const char* cells[] = {"    0.000", "  -50.000", "    1.000", "*********", "     .   "};
          l.replace(6 + 9 * pick(3), 9, cells[pick(5)]);
        }
      return join_lines(lines);
    case 7:  // garbage in a numeric column of atom lines
      for (auto& l : lines)
        if ((l.rfind("ATOM", 0) == 0 || l.rfind("HETATM", 0) == 0) && pick(50) == 0 && l.size() > 54)
          l.replace(30 + 8 * pick(3), 8, std::string(8, noise[pick(sizeof noise - 1)]));
      return join_lines(lines);
    default:  // shuffle record kinds: header lines among the atoms
      std::shuffle(lines.begin(), lines.begin() + std::min<std::size_t>(lines.size(), 40 + pick(200)), rng);
      return join_lines(lines);
  }
}

TEST(Fuzz, MutatedFilesEndCleanly) {
  const std::string data = PORVANE_TEST_DATA;
  const std::vector<std::string> seeds = {data + "/pdb/1ubq.pdb", data + "/pdb/1a1f.pdb",
                                          data + "/pdb/3al1.pdb", data + "/pdb/1hpv.pdb"};
  const std::vector<std::vector<std::string>> option_sets = {
      {"-ho"}, {"-nm", "-re", "6.0"}, {"-nm", "-cg", "-re", "8.0"}, {"-nm", "-re", "7.0", "-vb", "2"},
      {"-nm", "-re", "6.0", "-ha", "-sl"}};
  fs::path dir = fresh_directory("fuzz");
  std::mt19937 rng(20261206);
  int runs = 0;
  for (const auto& seed : seeds) {
    const std::string original = read_file(seed);
    ASSERT_FALSE(original.empty()) << seed;
    for (int round = 0; round < 25; ++round) {
      std::string text = mutate(original, rng);
      if (round % 3 == 0) text = mutate(text, rng);
      const fs::path input = dir / "mutant.pdb";
      std::ofstream(input, std::ios::binary) << text;
      const auto& options = option_sets[static_cast<std::size_t>(runs) % option_sets.size()];
      std::vector<std::string> args = options;
      args.push_back(input.string());
      auto result = run_program(PORVANE_BINARY, args, dir);
      ++runs;
      const bool clean_status = result.status == 0 || result.status == 1 || result.status == 2;
      EXPECT_TRUE(clean_status) << "status " << result.status << " for " << seed << " round " << round
                                << "\n" << result.err.substr(0, 2000);
      EXPECT_EQ(result.err.find("runtime error"), std::string::npos) << result.err.substr(0, 2000);
      EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err.substr(0, 2000);
      if (!clean_status) {
        std::ofstream(dir / ("failing_" + std::to_string(runs) + ".pdb"), std::ios::binary) << text;
      }
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
