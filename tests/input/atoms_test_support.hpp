// Helpers of the atom-side tests: PDB lines in fixed columns, files in a
// temporary directory, standard output captured around a call.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/report_writer.hpp"
#include "common/run_params.hpp"

namespace porvane::test {

// One ATOM/HETATM line: name4 is the four-character atom name as written in
// columns 13-16, element the two characters of columns 77-78.
inline std::string atom_line(const std::string& rec, int serial, const std::string& name4, char alt,
                             const std::string& res, char chain, int resseq, float x, float y,
                             float z, float b = 20.0f, const std::string& element = " C",
                             float occ = 1.0f) {
  char buf[100];
  std::snprintf(buf, sizeof buf,
                "%-6.6s%5d %-4.4s%c%-3.3s %c%4d    %8.3f%8.3f%8.3f%6.2f%6.2f          %2.2s",
                rec.c_str(), serial, name4.c_str(), alt, res.c_str(), chain, resseq, x, y, z, occ,
                b, element.c_str());
  return buf;
}

inline std::string ca(int serial, char chain, int resseq, float x, float y, float z,
                      const std::string& res = "ALA") {
  return atom_line("ATOM", serial, " CA ", ' ', res, chain, resseq, x, y, z);
}

// A file name in the temporary directory that no other test process uses
// (the tests may run in parallel, one process each).
inline std::string temp_path(const std::string& name) {
  return testing::TempDir() + "/porvane_atoms_" + std::to_string(getpid()) + "_" + name;
}

// Writes `lines` into a new file in the test's temporary directory.
inline std::string write_pdb(const std::string& name, const std::vector<std::string>& lines) {
  std::string path = temp_path(name);
  std::ofstream out(path, std::ios::trunc);
  for (const std::string& l : lines) out << l << '\n';
  return path;
}

// Standard output written by `call` (the report goes there).
inline std::string capture_stdout(const std::function<void()>& call) {
  report().flush();
  std::fflush(stdout);
  std::string path = temp_path("stdout.txt");
  std::FILE* sink = std::fopen(path.c_str(), "w+");
  int saved = dup(fileno(stdout));
  dup2(fileno(sink), fileno(stdout));
  auto restore = [&] {
    report().flush();
    std::fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);
    std::fclose(sink);
  };
  try {
    call();
  } catch (...) {
    restore();
    throw;
  }
  restore();
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  std::string l;
  while (std::getline(in, l)) out.push_back(l);
  return out;
}

inline bool has_line(const std::string& text, const std::string& line) {
  for (const std::string& l : lines_of(text))
    if (l == line) return true;
  return false;
}

inline int count_lines(const std::string& text, const std::string& line) {
  int n = 0;
  for (const std::string& l : lines_of(text))
    if (l == line) ++n;
  return n;
}

// The crystal record is large: tests keep it on the heap.
inline std::unique_ptr<crystal_record> new_crystal() { return std::make_unique<crystal_record>(); }

}  // namespace porvane::test
