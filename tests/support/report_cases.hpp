// End-to-end report cases: a structure run through the program in a fresh
// directory, its report compared with an expected file.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/captured_report.hpp"
#include "support/run_program.hpp"
#include "support/table_file.hpp"

namespace porvane::testing {

struct report_case {
  std::string pdb;                   // input, relative to tests/data
  std::vector<std::string> options;  // options before the input name
  std::string expected = "";         // expected report, relative to tests/data; empty: none
  int status = 0;                    // expected exit status
  std::string files = "";            // a folder of tests/data whose files the run must write alike
  std::string message = "";         // a text standard error must hold
  std::string before = "";          // a folder of tests/data whose files are there before the run
};

// The cases of a table of tests/data, one a row: input | options | expected
// report | status | folder of files | message | folder of files there before
// the run (the last four may be left out); "$DATA" in an option stands for
// the tests/data folder.
inline std::vector<report_case> report_table(const std::string& name) {
  std::vector<report_case> cases;
  for (auto row : read_table(name)) {
    row.resize(7);
    std::vector<std::string> options = words(row[1]);
    for (std::string& o : options)
      if (o.rfind("$DATA", 0) == 0) o.replace(0, 5, PORVANE_TEST_DATA);
    cases.push_back({row[0], options, row[2], row[3].empty() ? 0 : std::stoi(row[3]), row[4], row[5], row[6]});
  }
  return cases;
}

// The figures of processor time and the estimates made from it.
inline std::string mask_times(std::string report) {
  for (const std::string marker : {"calculate distance map:", "completed in:", "execution time:"})
    for (std::size_t at = report.find(marker); at != std::string::npos; at = report.find(marker, at + 1)) {
      const std::size_t from = at + marker.size(), end = std::min(report.find('\n', from), report.size());
      report.replace(from, end - from, " #");
    }
  return report;
}

// Runs each case in a fresh directory and compares its report (from the
// first line that starts with `from`, over the expected file's length, when
// `from` is given) and its files with the expected ones. Returns the results
// in case order.
inline std::vector<program_result> expect_reports(const std::string& name,
                                                  const std::vector<report_case>& cases,
                                                  const std::string& from = "") {
  namespace fs = std::filesystem;
  const std::string data = std::string(PORVANE_TEST_DATA) + "/";
  std::vector<program_result> results;
  for (const report_case& c : cases) {
    const fs::path dir = fresh_directory(name);
    const fs::path input = fs::path(c.pdb).filename();
    fs::copy_file(data + c.pdb, dir / input);
    if (!c.before.empty()) fs::copy(data + c.before, dir);
    std::vector<std::string> args = c.options;
    args.push_back(input.string());
    program_result run = run_program(PORVANE_BINARY, args, dir);
    EXPECT_EQ(run.status, c.status) << c.pdb << " " << c.expected << "\n" << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.message << "\n" << run.err;
    if (!c.expected.empty()) {
      const std::string expected = read_file(data + c.expected);
      std::string report = run.out;
      if (!from.empty()) {
        const std::size_t at = report.find(from);
        EXPECT_NE(at, std::string::npos) << c.expected << "\n" << report;
        report = at == std::string::npos ? "" : report.substr(at, expected.size());
      }
      EXPECT_EQ(mask_times(report), mask_times(expected)) << c.expected;
    }
    if (!c.files.empty()) {  // the same files, but for the input and the map
      std::vector<std::string> written, wanted;
      for (const auto& f : fs::directory_iterator(dir))
        if (f.path().filename() != input && f.path().extension() != ".map")
          written.push_back(f.path().filename().string());
      for (const auto& f : fs::directory_iterator(data + c.files)) {
        wanted.push_back(f.path().filename().string());
        EXPECT_EQ(read_file(dir / f.path().filename()), read_file(f.path())) << f.path();
      }
      std::sort(written.begin(), written.end()), std::sort(wanted.begin(), wanted.end());
      EXPECT_EQ(written, wanted) << c.files;
    }
    results.push_back(std::move(run));
    fs::remove_all(dir);
  }
  return results;
}

}  // namespace porvane::testing
