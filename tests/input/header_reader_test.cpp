// Headers read into the crystal record: everything the reader fills (record,
// kept lines, report) is written out as text and compared whole with a file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "input/header_reader.hpp"
#include "support/report_cases.hpp"
#include "support/table_file.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
const std::string data = std::string(PORVANE_TEST_DATA) + "/header/";

struct header_result {
  std::unique_ptr<crystal_record> celli = std::make_unique<crystal_record>();
  header_store header;
  int32_t nheader = -1;
  run_flags flags;
  run_params params;
  std::string out;  // the report
  int stop = -1;    // status of a run_stop, -1 when the call returned
};

header_result read_path(const std::string& path, const run_flags& flags = {}) {
  header_result r;
  r.flags = flags;
  r.out = testing::captured_report([&] {
    try {
      read_header(path, *r.celli, r.header, r.nheader, r.flags, r.params);
    } catch (const run_stop& stop) {
      r.stop = stop.status;
    }
  });
  return r;
}

header_result read_lines(const std::vector<std::string>& lines, const run_flags& flags = {}) {
  const fs::path path = fs::temp_directory_path() / ("porvane_hdr_" + std::to_string(getpid()));
  {
    std::ofstream out(path);
    for (const std::string& line : lines) out << line << '\n';
  }
  header_result r = read_path(path.string(), flags);
  fs::remove(path);
  return r;
}

template <typename... T>
void add(std::string& s, const char* format, T... values) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, values...);
  s += buffer;
}
void add_rows(std::string& s, const float (*op)[4], int rows) {
  for (int i = 0; i < rows; ++i)
    add(s, " %.9g %.9g %.9g %.9g%s", op[i][0], op[i][1], op[i][2], op[i][3],
        i + 1 < rows ? " |" : "\n");
}

// Everything the reader fills, as text.
std::string record_text(const header_result& r) {
  const crystal_record& c = *r.celli;
  std::string s;
  add(s, "stop %d  sl %d  kept %d\n", r.stop, r.flags.sl, r.nheader);
  for (int i = 0; i < r.nheader; ++i) {
    const std::string_view line = r.header[i].view();
    // Kept: the 80 input columns followed by blanks.
    EXPECT_EQ(line.find_first_not_of(' ', 80), std::string_view::npos) << i;
    add(s, "  |%s\n", std::string(r.header[i].trimmed()).c_str());
  }
  add(s, "cell %.9g %.9g %.9g %.9g %.9g %.9g volume %.9g areas %.9g %.9g %.9g\n", c.cell[0],
      c.cell[1], c.cell[2], c.cell[3], c.cell[4], c.cell[5], c.cellvol, c.facearea[0],
      c.facearea[1], c.facearea[2]);
  add(s, "space group '%s' %.9g  resolution %.9g\n", std::string(c.spgname.view()).c_str(),
      c.spgnum, c.resolution);
  for (int i = 0; i < 3; ++i)
    add(s, "S %.9g %.9g %.9g U %.9g  O %.9g %.9g %.9g\n", c.fracmat[i][0], c.fracmat[i][1],
        c.fracmat[i][2], c.fracshift[i], c.orthmat[i][0], c.orthmat[i][1], c.orthmat[i][2]);
  add(s, "symmetry %d\n", c.nsym);
  for (int k = 0; k < c.nsym && k < maxsymops; ++k) add_rows(s, c.rsym[k], 4);
  add(s, "ncs %d\n", c.nncs);
  for (int k = 0; k < c.nncs && k < maxncsops; ++k) {
    add(s, " given %d:", c.ncsgiven[k]);
    add_rows(s, c.rncs[k], 3);
  }
  add(s, "units %d\n", c.nbio);
  for (int b = 0; b < c.nbio && b < maxbio; ++b) {
    const bio_unit& u = c.biounit[b];
    add(s, " '%s' '%s' ops %d\n", std::string(u.name.view()).c_str(),
        std::string(u.chainlist.trimmed()).c_str(), u.nops);
    for (int k = 0; k < u.nops && k < maxbioops; ++k) add_rows(s, u.ops[k], 4);
  }
  add(s, "seqres %d residues %d protein %d nucleic %d other %d mass %.9g chains %d\n",
      r.params.hasseqres, c.nresseq, c.nprotres, c.nnucres, c.nothres, c.mwseq, c.nchains);
  for (int j = 0; j < c.nchains && j < maxchains; ++j) {
    add(s, " '%s' %d %.9g:", std::string(c.chain[j].id.view()).c_str(), c.chain[j].nres,
        c.chain[j].mw);
    for (int n = 0; n < c.chain[j].nres && n < 20; ++n)
      add(s, " '%s'", std::string(c.chain[j].seqres[n].view()).c_str());
    s += "\n";
  }
  return s + "report:\n" + r.out;
}

// The hand-written headers of tests/data/header/records.txt.
TEST(HeaderReader, RecordsOfHandWrittenHeaders) {
  for (const auto& row : testing::read_table("header/records.txt")) {
    const std::string& name = row[0];
    run_flags flags;
    std::string pdb, part;
    for (std::istringstream parts(name); std::getline(parts, part, '_');) {
      if (part == "vb1" || part == "vb2") flags.vb = part[2] - '0';
      else if (part == "sl") flags.sl = 1;
      else if (part == "p1") flags.p1 = 1;
      else if (part == "nn") flags.nn = 1;
      else pdb += (pdb.empty() ? "" : "_") + part;
    }
    EXPECT_EQ(record_text(read_path(data + pdb + ".pdb", flags)), testing::read_file(data + name + ".record")) << name;
  }
  EXPECT_EQ(read_path(data + "no_such_file.pdb").stop, io_error);
}

TEST(HeaderReader, ResolutionFromTheFirstNonBlankThroughColumn30) {
  for (const auto& row : testing::read_table("tables/resolution.txt"))
    EXPECT_FLOAT_EQ(read_lines({row[0], "END"}).celli->resolution, std::stof(row[1])) << row[0];
}

// Stores that fill up: operators and lines past them are counted, not kept.
TEST(HeaderReader, StoreLimits) {
  std::vector<std::string> lines;
  char line[100];
  // Rows of operator k: the unit matrix, translation k along a.
  auto put = [&](const char* format, int k) {
    for (int row = 1; row <= 3; ++row) {
      std::snprintf(line, sizeof line, format, row, k % 1000, row == 1 ? 1.0 : 0.0,
                    row == 2 ? 1.0 : 0.0, row == 3 ? 1.0 : 0.0, row == 1 ? k : 0.0);
      lines.push_back(line);
    }
  };
  for (int k = 1; k <= 195; ++k) put("REMARK 290   SMTRY%d%4d%10.6f%10.6f%10.6f%15.5f", k);
  lines.push_back("CRYST1   50.840   42.770   28.950  90.00  90.00  90.00 P 21 21 21   4");
  for (int k = 2; k <= 201; ++k) put("MTRIX%d%4d%10.6f%10.6f%10.6f     %10.5f    0", k);
  lines.push_back("REMARK 350");  // the line after a group is not a BIOMOLECULE line
  for (int b = 1; b <= 103; ++b) {
    lines.push_back("REMARK 350 BIOMOLECULE: " + std::to_string(b % 100));
    for (int k = 1; k <= (b == 1 ? 105 : 1); ++k)
      put("REMARK 350   BIOMT%d%4d%10.6f%10.6f%10.6f%15.5f", k);
    lines.push_back("REMARK 350");
  }
  lines.insert(lines.end(), 310,  // 13 residues a line: 4030 in chain A
               "SEQRES   1 A   13  GLY GLY GLY GLY GLY GLY GLY GLY GLY GLY GLY GLY GLY");
  for (int c = 0; c < 202; ++c)  // chains C, B, C, ...
    lines.push_back(std::string("SEQRES   1 ") + "CB"[c % 2] + "    1  ALA");
  lines.resize(5003, "REMARK 999");
  lines.push_back("ATOM      1  N   MET A   1      27.340  24.430   2.614  1.00  9.67           N");
  header_result r = read_lines(lines);
  const crystal_record& c = *r.celli;
  float chain = 0.0f;  // the masses of all residues count, stored or not
  for (int i = 0; i < 4030; ++i) chain = chain + 75.067f - 18.0f;
  EXPECT_EQ(std::vector<float>({c.rsym[191][0][3], c.rncs[191][0][3], c.biounit[0].ops[99][0][3], c.chain[0].mw}),
            (std::vector<float>{192.0f, 192.0f, 100.0f, chain}));
  EXPECT_EQ(std::vector<int32_t>({c.nsym, c.nncs, c.nbio, c.biounit[0].nops, c.biounit[99].nops, c.nchains,
                                  c.chain[0].nres, c.nresseq, c.nprotres}),
            (std::vector<int32_t>{195, 201, 100, 100, 1, 200, 4000, 4030 + 202, 4030 + 202}));
  EXPECT_EQ(r.nheader, 5000);
  EXPECT_EQ(std::string(r.header[4999].trimmed()), lines[4999]);
  for (const char* message :
       {"more than 100 biological units", "more than 100 BIOMT operators in biological unit 1:",
        "more than 4000 SEQRES residues in chain A", "more than 200 SEQRES chains",
        "more than 5000 header lines"}) {
    const std::size_t at = r.out.find(message);
    EXPECT_NE(at, std::string::npos) << message;
    EXPECT_EQ(r.out.find(message, at + 1), std::string::npos) << message;
  }
}

// Whole runs of real headers, and cells the library cannot orthogonalise.
TEST(HeaderReader, EndToEnd) { testing::expect_reports("header", testing::report_table("cases/header.txt")); }

}  // namespace
}  // namespace porvane
