// Mutated PDB files, maps and command lines must end every run with status
// 0, 1 or 2 within the time limit: no crash, no hang, no sanitizer report
// (point it at the program of the sanitizer build). PORVANE_FUZZ_CASES and
// PORVANE_FUZZ_SEED set the number of runs and the seed; built and run by
// scripts/fuzz_campaign.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <random>

#include "support/run_program.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using testing::read_file;

std::string join_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

struct fuzzer {
  std::mt19937 rng;
  std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); }
  template <class T>
  const T& any(const std::vector<T>& v) { return v[pick(v.size())]; }

  // One random change of a kind a damaged, hand-edited or hostile file shows.
  std::string mutate(const std::string& text) {
    std::vector<std::string> lines = testing::lines_of(text);
    const char noise[] = "0123456789-.+ eE*\t\xc3\x85\xff\x01AZ,/";
    auto numeric = [&](const std::vector<std::string>& values) {  // columns of coordinates, cells, operators
      for (auto& l : lines) {
        const bool atom = l.rfind("ATOM", 0) == 0 || l.rfind("HETATM", 0) == 0;
        if (l.size() > 60 && (atom ? pick(40) == 0 : (l.rfind("CRYST1", 0) == 0 || l.rfind("SCALE", 0) == 0 ||
                                                       l.find("SMTRY") != std::string::npos || pick(8) == 0))) {
          const std::string& v = any(values);
          l.replace(30 + pick(3) * 8, v.size(), v);
        }
      }
      return join_lines(lines);
    };
    switch (pick(13)) {
      case 0: return text.substr(0, pick(text.size()));  // truncated anywhere
      case 1: {  // scattered bytes
        std::string t = text;
        for (int k = 0; k < 20; ++k) t[pick(t.size())] = noise[pick(sizeof noise - 1)];
        return t;
      }
      case 2:  // lines dropped
        for (int k = 0; k < 10 && !lines.empty(); ++k) lines.erase(lines.begin() + pick(lines.size()));
        return join_lines(lines);
      case 3: {  // a block of lines repeated many times (operator groups among them)
        std::size_t at = pick(lines.size());
        std::vector<std::string> block(lines.begin() + at, lines.begin() + std::min(lines.size(), at + 4));
        for (int k = 0; k < 60; ++k) lines.insert(lines.begin() + at, block.begin(), block.end());
        return join_lines(lines);
      }
      case 4:  // lines cut short
        for (int k = 0; k < 30; ++k) {
          auto& l = lines[pick(lines.size())];
          l = l.substr(0, pick(l.size() + 1));
        }
        return join_lines(lines);
      case 5:  // overlong lines and DOS line ends
        for (int k = 0; k < 10; ++k) lines[pick(lines.size())] += std::string(300, 'X') + "\r";
        return join_lines(lines);
      case 6:  // a damaged cell
        for (auto& l : lines)
          if (l.rfind("CRYST1", 0) == 0 && l.size() > 54)
            l.replace(6 + 9 * pick(3), 9, any<std::string>({"    0.000", "  -50.000", "    1.000", "*********", "     .   ",
                                                             " 1000000.", "   1.0e30", "   1.0e12"}));
        return join_lines(lines);
      case 7: return numeric({std::string(8, noise[pick(sizeof noise - 1)])});  // garbage in numeric columns
      case 8: return numeric({"    1e22", "   -1e22", "  1.0e30", "  1.e-30", "  9.0e37", " 1.0e+6 "});  // absurd
      case 9: return numeric({"     NaN", "     inf", "    -Inf", "Infinity", "  1.0e39", "     nan"});  // not finite
      case 10: {  // operator bomb: every operator line of the header many times over
        std::vector<std::string> out;
        for (const auto& l : lines) {
          const bool op = l.rfind("MTRIX", 0) == 0 || l.find("SMTRY") != std::string::npos || l.find("BIOMT") != std::string::npos;
          for (std::size_t k = op ? 40 + pick(30) : 1; k > 0; --k) out.push_back(l);
        }
        return join_lines(out);
      }
      case 11:  // records between the atoms that are not atoms
        for (int k = 0; k < 10; ++k)
          lines.insert(lines.begin() + pick(lines.size()), any<std::string>({"MODEL        2", "", "SIGATM    1  N", "TER", "ENDMDL"}));
        return join_lines(lines);
      default:  // record kinds shuffled: header lines among the atoms
        std::shuffle(lines.begin(), lines.begin() + std::min<std::size_t>(lines.size(), 40 + pick(200)), rng);
        return join_lines(lines);
    }
  }

  // A map with header words or its length damaged.
  std::string damage_map(std::string map) {
    if (pick(4) == 0) return map.substr(0, pick(map.size()));
    const int32_t values[] = {0, 1, -1, 2, 3, 10, 11, 80, 250, 251, 256, 1024, 100000, INT32_MAX, INT32_MIN};
    for (int k = 1 + static_cast<int>(pick(3)); k > 0; --k) {
      const int32_t v = values[pick(std::size(values))];
      std::memcpy(map.data() + 4 * any<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17, 18, 23, 52, 53, 55}), &v, 4);
    }
    return map;
  }
};

TEST(Fuzz, MutatedInputEndsCleanly) {
  const char* cases_env = std::getenv("PORVANE_FUZZ_CASES");
  const char* seed_env = std::getenv("PORVANE_FUZZ_SEED");
  const int ncases = cases_env ? std::atoi(cases_env) : 120;
  fuzzer f{std::mt19937(seed_env ? static_cast<unsigned>(std::atol(seed_env)) : 20261206u)};
  const std::string data = PORVANE_TEST_DATA;
  const std::vector<std::string> seeds = {read_file(data + "/pdb/1ubq.pdb"), read_file(data + "/pdb/1a1f.pdb"),
                                          read_file(data + "/pdb/3al1.pdb"), read_file(data + "/pdb/1hpv.pdb")};
  const std::vector<std::vector<std::string>> option_sets = {
      {"-ho"}, {"-nm", "-re", "6.0"}, {"-nm", "-cg", "-re", "8.0"}, {"-nm", "-re", "7.0", "-vb", "2"},
      {"-nm", "-re", "6.0", "-ha", "-sl"}, {"-re", "9.0", "-mt", "0.01"}, {"-rm", "in.map", "-re", "6.0"}};
  const fs::path dir = testing::fresh_directory("fuzz");
  std::ofstream(dir / "base.pdb") << seeds[0];
  ASSERT_EQ(testing::run_program(PORVANE_BINARY, {"-re", "6.0", "base.pdb"}, dir).status, 0);
  const std::string map = read_file(dir / "base_channel_6.0.map");

  std::map<int, int> statuses;
  double slowest = 0.0;
  for (int run = 0; run < ncases; ++run) {
    std::string text = f.mutate(f.any(seeds));
    if (run % 3 == 0) text = f.mutate(text);
    std::vector<std::string> args = f.any(option_sets);
    fs::path where = dir;  // now and then a name far beyond 132 characters
    if (f.pick(10) == 0) where /= std::string(100 + f.pick(150), 'd') + "/" + std::string(100 + f.pick(100), 'e');
    fs::create_directories(where);
    std::ofstream(where / "in.pdb", std::ios::binary) << text;
    std::ofstream(dir / "in.map", std::ios::binary) << (args[0] == "-rm" ? f.damage_map(map) : map);
    args.push_back((where / "in.pdb").string());
    const auto start = std::chrono::steady_clock::now();
    const auto result = testing::run_program(PORVANE_BINARY, args, dir, {}, {60});
    slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    ++statuses[result.status];
    const bool clean = result.status >= 0 && result.status <= 2 && result.err.find("runtime error") == std::string::npos &&
                       result.err.find("Sanitizer") == std::string::npos;
    EXPECT_TRUE(clean) << "status " << result.status << " in run " << run << " with " << args[0] << "\n"
                       << result.err.substr(0, 2000);
    if (!clean) std::ofstream(dir / ("failing_" + std::to_string(run) + ".pdb"), std::ios::binary) << text;
    if (where != dir) fs::remove_all(dir / where.lexically_relative(dir).begin()->string());
  }
  std::printf("fuzz: %d runs;", ncases);
  for (const auto& [status, n] : statuses) std::printf(" status %d: %d;", status, n);
  std::printf(" slowest %.2f s\n", slowest);
  if (!HasFailure()) fs::remove_all(dir);
}

}  // namespace
}  // namespace porvane
