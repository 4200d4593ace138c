// Tables of test cases kept in tests/data: one case a line, fields split at
// "|" and taken exactly as written (blanks count); lines that start with "#"
// and empty lines are passed over.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace porvane::testing {

inline std::vector<std::vector<std::string>> read_table(const std::string& name) {
  std::ifstream in(std::string(PORVANE_TEST_DATA) + "/" + name);
  if (!in) throw std::runtime_error("no table " + name);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    rows.emplace_back();
    for (std::size_t start = 0;;) {
      const std::size_t bar = line.find('|', start);
      rows.back().push_back(line.substr(start, bar - start));
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
  }
  return rows;
}

// The words of `text`, split at blanks (a command line of a table row).
inline std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream split(text);
  for (std::string w; split >> w;) out.push_back(w);
  return out;
}

}  // namespace porvane::testing
