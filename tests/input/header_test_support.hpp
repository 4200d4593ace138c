// Small PDB headers written into a temporary file, read with read_header,
// with the report captured.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "input/header_reader.hpp"

namespace porvane::testing {

inline std::string printed(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

// Header records in their columns.
inline std::string cryst1(float a, float b, float c, float alpha, float beta, float gamma,
                          const char* symbol) {
  return printed("CRYST1%9.3f%9.3f%9.3f%7.2f%7.2f%7.2f %-10s%4d", a, b, c, alpha, beta, gamma,
                 symbol, 4);
}
inline std::string smtry(int row, int k, float r1, float r2, float r3, float t) {
  return printed("REMARK 290   SMTRY%d%4d%10.6f%10.6f%10.6f%15.5f", row, k, r1, r2, r3, t);
}
inline std::string biomt(int row, int k, float r1, float r2, float r3, float t) {
  return printed("REMARK 350   BIOMT%d%4d%10.6f%10.6f%10.6f%15.5f", row, k, r1, r2, r3, t);
}
inline std::string scale(int row, float s1, float s2, float s3, float u) {
  return printed("SCALE%d    %10.6f%10.6f%10.6f     %10.5f", row, s1, s2, s3, u);
}
inline std::string mtrix(int row, int k, float r1, float r2, float r3, float t, int given) {
  return printed("MTRIX%d%4d%10.6f%10.6f%10.6f     %10.5f    %d", row, k, r1, r2, r3, t, given);
}
inline std::string seqres(int serial, char chain, const std::vector<std::string>& names) {
  std::string line = printed("SEQRES%4d %c%5d  ", serial, chain, static_cast<int>(names.size()));
  for (const std::string& name : names) line += printed("%3s ", name.c_str());
  return line;
}
inline const std::string atom_line =
    "ATOM      1  N   MET A   1      27.340  24.430   2.614  1.00  9.67           N";

// Operator k (1-based) of a symmetry group as SMTRY or BIOMT lines.
inline void add_operator(std::vector<std::string>& lines, bool bio, int k, const float r[3][3],
                         const float t[3]) {
  for (int row = 0; row < 3; ++row)
    lines.push_back((bio ? biomt : smtry)(row + 1, k, r[row][0], r[row][1], r[row][2], t[row]));
}

// The four P 21 21 21 operators of a 50.84 × 42.77 × 28.95 cell.
inline std::vector<std::string> p212121_smtry() {
  const float ops[4][3][4] = {
      {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}},
      {{-1, 0, 0, 25.42f}, {0, -1, 0, 0}, {0, 0, 1, 14.475f}},
      {{-1, 0, 0, 0}, {0, 1, 0, 21.385f}, {0, 0, -1, 14.475f}},
      {{1, 0, 0, 25.42f}, {0, -1, 0, 21.385f}, {0, 0, -1, 0}},
  };
  std::vector<std::string> lines;
  for (int k = 0; k < 4; ++k)
    for (int row = 0; row < 3; ++row)
      lines.push_back(
          smtry(row + 1, k + 1, ops[k][row][0], ops[k][row][1], ops[k][row][2], ops[k][row][3]));
  return lines;
}
inline std::string p212121_cryst1() {
  return cryst1(50.84f, 42.77f, 28.95f, 90, 90, 90, "P 21 21 21");
}
inline std::vector<std::string> p212121_scale() {
  return {scale(1, 0.019670f, 0, 0, 0), scale(2, 0, 0.023381f, 0, 0),
          scale(3, 0, 0, 0.034542f, 0)};
}

inline std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct header_result {
  std::unique_ptr<crystal_record> celli = std::make_unique<crystal_record>();
  header_store header;
  int32_t nheader = -1;
  run_flags flags;
  run_params params;
  std::string out;   // the report
  int stop = -1;     // status of a run_stop, -1 when the call returned
  std::string stop_message;

  // Kept header line n (1-based) without its trailing blanks.
  std::string line(int n) const { return std::string(header.at(n - 1).trimmed()); }
};

// A short path in the temporary directory: the reader takes the first 80
// characters of the name only.
inline std::filesystem::path temporary_pdb(const std::string& stem) {
  static int serial = 0;
  return std::filesystem::temp_directory_path() /
         ("porvane_hdr_" + std::to_string(getpid()) + "_" + std::to_string(++serial) + "_" + stem +
          ".pdb");
}

inline header_result read_path(const std::filesystem::path& path, const run_flags& flags = {}) {
  header_result r;
  r.flags = flags;
  ::testing::internal::CaptureStdout();
  try {
    read_header(fixed_text<132>(path.string()), *r.celli, r.header, r.nheader, r.flags, r.params);
  } catch (const run_stop& stop) {
    r.stop = stop.status;
    r.stop_message = stop.message;
  }
  report().flush();
  std::fflush(stdout);
  r.out = ::testing::internal::GetCapturedStdout();
  return r;
}

inline std::filesystem::path write_pdb(const std::vector<std::string>& lines,
                                       const std::string& stem = "header") {
  const std::filesystem::path path = temporary_pdb(stem);
  std::ofstream out(path, std::ios::binary);
  for (const std::string& line : lines) out << line << '\n';
  return path;
}

inline header_result read_lines(const std::vector<std::string>& lines,
                                const run_flags& flags = {}) {
  const std::filesystem::path path = write_pdb(lines);
  header_result r = read_path(path, flags);
  std::filesystem::remove(path);
  return r;
}

// A copy of a real PDB file of tests/data/pdb under a short name.
inline header_result read_real(const std::string& name, const run_flags& flags = {}) {
  const std::filesystem::path path = temporary_pdb(name);
  std::filesystem::copy_file(std::filesystem::path(PORVANE_TEST_DATA) / "pdb" / name, path,
                             std::filesystem::copy_options::overwrite_existing);
  header_result r = read_path(path, flags);
  std::filesystem::remove(path);
  return r;
}

inline bool contains(const std::string& text, const std::string& fragment) {
  return text.find(fragment) != std::string::npos;
}
inline bool lacks(const std::string& text, const std::string& fragment) {
  return !contains(text, fragment);
}

inline int count_of(const std::string& text, const std::string& fragment) {
  int n = 0;
  for (std::size_t at = text.find(fragment); at != std::string::npos;
       at = text.find(fragment, at + 1))
    ++n;
  return n;
}

}  // namespace porvane::testing
