// Hostile input, end to end: every run ends within its time limit with a
// documented status and a clear message, never a signal.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>

#include "support/report_cases.hpp"

namespace porvane {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::run_limits;
using testing::run_program;

const std::string ubq = read_file(std::string(PORVANE_TEST_DATA) + "/pdb/1ubq.pdb");

// `text` with columns first..first+size(value)-1 of the first line that
// starts with `record` replaced by `value`.
std::string edited(std::string text, const std::string& record, std::size_t first, const std::string& value) {
  const std::size_t line = text.compare(0, record.size(), record) == 0 ? 0 : text.find("\n" + record) + 1;
  text.replace(line + first - 1, value.size(), value);
  return text;
}

struct hardening : ::testing::Test {
  fs::path dir = testing::fresh_directory(::testing::UnitTest::GetInstance()->current_test_info()->name());
  ~hardening() override { fs::remove_all(dir); }
  testing::program_result run(const std::string& pdb, std::vector<std::string> args, run_limits limits = {60}) {
    std::ofstream(dir / "in.pdb", std::ios::binary) << pdb;
    args.push_back("in.pdb");
    return run_program(PORVANE_BINARY, args, dir, {}, limits);
  }
};

// Finite but absurd coordinates, scale elements, cell edges and operator
// translations end in seconds; NaN and Inf stop the run naming the field. A
// cell whose edges differ too much for one grid of 250 intervals a side is
// refused rather than mapped as a plane.
TEST_F(hardening, AbsurdAndNonFiniteNumbers) {
  std::string no_scale = ubq;  // the cell alone gives the frame
  for (std::size_t at = no_scale.find("\nSCALE"); at != std::string::npos; at = no_scale.find("\nSCALE"))
    no_scale.replace(at + 1, 6, "REMARK");
  for (const std::string& pdb :
       {edited(ubq, "ATOM      1", 31, "    1e22"), edited(ubq, "SCALE1", 11, "      1e24"),
        edited(ubq, "REMARK 290   SMTRY1   2", 59, "      1e22")}) {
    const auto r = run(pdb, {"-nm"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Map calculation completed"), std::string::npos);
  }
  for (const std::string& pdb : {edited(no_scale, "CRYST1", 7, " 1000000."), edited(no_scale, "CRYST1", 7, "  1.0e30 ")}) {
    const auto r = run(pdb, {"-nm"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out.find("Map calculation completed"), std::string::npos);
  }
  EXPECT_NE(run(edited(no_scale, "CRYST1", 7, " 1000000."), {"-nm"})
                .err.find("the grid size 4000.0 that keeps every edge within 250 grid intervals leaves no "
                          "interval along the 42.77 Å edge b: the cell's edges differ too much for one grid"),
            std::string::npos);
  // An edge of 1e30 Å leaves the lengths across the cell beyond single
  // precision: the header refuses it before any grid is tried.
  EXPECT_NE(run(edited(no_scale, "CRYST1", 7, "  1.0e30 "), {"-nm"})
                .out.find(" CCP4:  Lengths across the cell of the CRYST1 record"),
            std::string::npos);
  for (const auto& [pdb, where] : std::vector<std::pair<std::string, std::string>>{
           {edited(ubq, "ATOM      7", 39, "     NaN"), "line 327, columns 39-46: '     NaN'"},
           {edited(ubq, "CRYST1", 16, "      inf"), "line 314, columns 16-24"},
           {edited(ubq, "SCALE2", 21, "  1.0e39  "), "line 319, columns 21-30"},
           {edited(ubq, "REMARK 290   SMTRY3   1", 59, "      -Inf"), "line 212, columns 59-68"}}) {
    const auto r = run(pdb, {"-nm"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("in.pdb, " + where + (where.back() == '\'' ? "" : ":")), std::string::npos) << r.err;
  }
}

// Angles that close no cell in single precision end as a zero cell does.
TEST_F(hardening, CellsWithoutVolume) {
  for (const char* angles : {" 120.00 120.00 120.00", "   0.01   0.01   0.01"}) {
    const auto r = run(edited(ubq, "CRYST1", 34, std::string(angles).substr(1)), {"-nm"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(" CCP4:  Cell volume of the CRYST1 record is not a positive number"), std::string::npos);
    EXPECT_EQ(r.out.find("Vm ("), std::string::npos);
  }
}

// 192 symmetry and 192 NCS operators on the atoms of 1ubq: about 22 million
// copies are refused before they are made; a run short of memory ends cleanly.
TEST_F(hardening, MemoryOfTheCopies) {
  std::string header = ubq.substr(ubq.find("CRYST1"), ubq.find("ORIGX1") - ubq.find("CRYST1"));
  char line[90];
  for (const char* format : {"REMARK 290   SMTRY%d%4d%10.6f%10.6f%10.6f%15.5f\n",  // translations along a
                             "MTRIX%d %3d%10.6f%10.6f%10.6f     %10.5f    0\n"})    // and along b
    for (int k = format[0] == 'M' ? 2 : 1; k <= 192; ++k)
      for (int row = 1; row <= 3; ++row) {
        std::snprintf(line, sizeof line, format, row, k, row == 1 ? 1.0 : 0.0, row == 2 ? 1.0 : 0.0,
                      row == 3 ? 1.0 : 0.0, row == (format[0] == 'M' ? 2 : 1) ? k / 4.0 : 0.0);
        header += line;
      }
#if defined(__SANITIZE_ADDRESS__)  // the address sanitizer reserves more than any such limit
  const rlim_t limit = 0;
#else
  const rlim_t limit = rlim_t{4} << 30;
#endif
  const auto bomb = run(header + ubq.substr(ubq.find("ATOM ")), {"-nm"}, {60, RLIM_INFINITY, limit});
  EXPECT_EQ(bomb.status, 1);
  EXPECT_NE(bomb.err.find("porvane: the distance map of 22192128 atom copies"), std::string::npos) << bomb.err;
  if (limit == 0) return;
  fs::copy_file(std::string(PORVANE_TEST_DATA) + "/pdb/4jsv.pdb", dir / "4jsv.pdb");
  const auto shortage = run_program(PORVANE_BINARY, {"-nm", "-re", "1.0", "-f", "4jsv.pdb"}, dir, {},
                                    {60, RLIM_INFINITY, rlim_t{100} << 20});
  EXPECT_EQ(shortage.status, 1);
  EXPECT_EQ(shortage.err, "porvane: not enough memory for this run\n");
}

// A run stopped in the middle of the map has written its report so far.
TEST_F(hardening, ReportReachesOutputAsItIsWritten) {
  fs::copy_file(std::string(PORVANE_TEST_DATA) + "/pdb/4jsv.pdb", dir / "4jsv.pdb");
  const auto r = run_program(PORVANE_BINARY, {"-nm", "-re", "0.5", "-f", "4jsv.pdb"}, dir, {}, {60, 1});
  EXPECT_GE(r.status, 128);  // ended by the processor-time limit
  EXPECT_NE(r.out.find(" Calculating new distance map...\n"), std::string::npos) << r.out.substr(0, 500);
}

// File names whole: a name cut to 132 characters would read another file or
// write over one.
TEST_F(hardening, LongNamesAreUsedWhole) {
  const fs::path deep = dir / std::string(120 - dir.string().size(), 'd');
  fs::create_directories(deep);
  const std::string input = (deep / "1ubq.pdb").string() + std::string(136 - (deep / "1ubq.pdb").string().size(), 'b');
  fs::copy_file(std::string(PORVANE_TEST_DATA) + "/stops/no_symmetry.pdb", input.substr(0, 132));
  std::ofstream(input) << ubq;
  const auto read = run_program(PORVANE_BINARY, {"-nm", "-re", "8.0", input}, dir, {}, {60});
  EXPECT_EQ(read.status, 0);
  EXPECT_NE(read.out.find(" Processing " + input + "...\n"), std::string::npos);
  EXPECT_NE(read.out.find("Symm ops:   4"), std::string::npos);

  const std::string shorter = (deep / "x.pdb").string() + std::string(130 - (deep / "x.pdb").string().size(), 'b');
  const std::string map = shorter.substr(0, shorter.rfind('.')) + "_channel_8.0.map";
  std::ofstream(shorter) << ubq;
  std::ofstream(map.substr(0, 132)) << "unrelated";
  EXPECT_EQ(run_program(PORVANE_BINARY, {"-re", "8.0", shorter}, dir, {}, {60}).status, 0);
  EXPECT_EQ(read_file(map.substr(0, 132)), "unrelated");
  EXPECT_GT(fs::file_size(map), 1024u);
}

// Control bytes of the input name show as blanks in the report; the files
// keep the name as typed.
TEST_F(hardening, ControlBytesOfTheInputName) {
  const std::string name = "e\x1b[2Jx\x7fy\nz.pdb";
  std::ofstream(dir / name) << ubq;
  const auto r = run_program(PORVANE_BINARY, {"-s", "-re", "8.0", name}, dir, {}, {60});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(" Processing e [2Jx y z.pdb "), std::string::npos) << r.out.substr(0, 300);
  EXPECT_EQ(r.out.find_first_of("\x1b\x7f"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "e\x1b[2Jx\x7fy\nz_channel_8.0.map"));
}

// Inputs and map names that are not regular files are refused at once.
TEST_F(hardening, FilesThatAreNotRegular) {
  ASSERT_EQ(mkfifo((dir / "fifo.pdb").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((dir / "in_channel_8.0.map").c_str(), 0600), 0);
  for (const char* input : {"/dev/zero", "fifo.pdb"}) {
    const auto r = run_program(PORVANE_BINARY, {input}, dir, {}, {20});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(std::string("cannot open input file '") + input + "': it is not a regular file"),
              std::string::npos) << r.err;
  }
  const auto map = run(ubq, {"-re", "8.0"}, {20});
  EXPECT_EQ(map.status, 1);
  EXPECT_EQ(map.err, "porvane: map file in_channel_8.0.map exists and is not a regular file: the map is not written\n");
}

// A grid size too wide for its field of the map's name is written whole, and
// -rm takes the size from such a name (the map's spacing would suggest 83.3).
TEST_F(hardening, MapNamesOfWideGridSizes) {
  const std::string pdb =
      "CRYST1  250.000  250.000  250.000  90.00  90.00  90.00 P 1           1          \n" +
      ubq.substr(ubq.find("\nATOM      1 ") + 1, 81);
  for (const char* size : {"9.96", "100"}) EXPECT_EQ(run(pdb, {"-s", "-re", size}).status, 0) << size;
  EXPECT_TRUE(fs::exists(dir / "in_channel_10.0.map") && fs::exists(dir / "in_channel_100.0.map"));
  const auto r = run(pdb, {"-s", "-rm", "in_channel_100.0.map"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("3 x 3 x 3 intervals, but the grid size 2.0 gives 125 x 125 x 125 in its cell: "
                       "read it with -re 100.0\n"), std::string::npos) << r.err;
}

// A map that replaces a regular file takes its permission bits, and its
// owner and group where the run may give them; a new map, and one that
// replaces a symbolic link, those of a new file.
TEST_F(hardening, ReplacedMapKeepsPermissionBits) {
  const mode_t mask = umask(0);
  umask(mask);
  const fs::path map = dir / "in_channel_8.0.map";
  const auto mode = [](const fs::path& p) { return static_cast<mode_t>(fs::symlink_status(p).permissions()); };
  ASSERT_EQ(run(ubq, {"-s", "-re", "8.0"}).status, 0);
  EXPECT_EQ(mode(map), 0666 & ~mask);
  for (const mode_t kept : {0640, 0666}) {
    ASSERT_EQ(chmod(map.c_str(), kept), 0);
    ASSERT_EQ(run(ubq, {"-s", "-re", "8.0"}).status, 0);
    EXPECT_EQ(mode(map), kept);
  }
  if (geteuid() == 0) {  // root gives a replaced map its owner and group too
    ASSERT_EQ(chown(map.c_str(), 12345, 23456), 0);
    ASSERT_EQ(chmod(map.c_str(), 0600), 0);
    ASSERT_EQ(run(ubq, {"-s", "-re", "8.0"}).status, 0);
    struct stat st {};
    ASSERT_EQ(stat(map.c_str(), &st), 0);
    EXPECT_EQ(std::vector<unsigned>({st.st_uid, st.st_gid, st.st_mode & 07777u}),
              std::vector<unsigned>({12345, 23456, 0600}));
  }
  fs::rename(map, dir / "old.map");
  fs::create_symlink("old.map", map);
  ASSERT_EQ(chmod((dir / "old.map").c_str(), 0600), 0);
  ASSERT_EQ(run(ubq, {"-s", "-re", "8.0"}).status, 0);
  EXPECT_EQ(mode(map), 0666 & ~mask);
  EXPECT_EQ(mode(dir / "old.map"), mode_t{0600});
}

// A map read back whose header is corrupt stops before libccp4 reads it. Of
// two -rm names the last is read, with a warning; a map of radius 1e6 is read.
TEST_F(hardening, MapsReadBack) {
  ASSERT_EQ(run(ubq, {"-re", "8.0"}).status, 0);
  const std::string map = read_file(dir / "in_channel_8.0.map");
  for (int32_t labels : {256, -1}) {  // the library would corrupt its heap, or loop
    std::ofstream(dir / "bad.map", std::ios::binary) << map.substr(0, 220) << std::string(reinterpret_cast<char*>(&labels), 4)
                                                     << map.substr(224);
    const auto r = run(ubq, {"-rm", "bad.map"}, {20});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "porvane: map file bad.map: header word 56 (number of labels) is " + std::to_string(labels) +
                         ", not 0 to 10\n");
  }
  // A map of the largest radius a run takes reads back.
  ASSERT_EQ(run(ubq, {"-re", "8.0", "-s", "-ru", "1e6"}).status, 0);
  const auto twice = run(ubq, {"-re", "8.0", "-rm", "bad.map", "-s", "-rm", "in_channel_8.0.map"});
  EXPECT_EQ(twice.status, 0);
  EXPECT_EQ(twice.err, "porvane: warning: map file name \"bad.map\" (-rm) passed over; the last name, "
                       "\"in_channel_8.0.map\", is read\n");
}

// A map of another cell is read in the frame of its own cell: 1ubq's map in
// its cell doubled (no SCALE records) gives the same grid points, depths,
// centre lines and Reeb nodes read with 1ubq as with the doubled structure
// that made it. A structure whose SCALE is not the convention of its cell
// cannot take such a map.
TEST_F(hardening, MapOfAnotherCell) {
  std::string doubled = edited(ubq, "CRYST1", 7, "  101.680   85.540   57.900");
  for (std::size_t at = doubled.find("\nSCALE"); at != std::string::npos; at = doubled.find("\nSCALE"))
    doubled.replace(at + 1, 6, "REMARK");
  ASSERT_EQ(run(doubled, {"-re", "4.0", "-s"}).status, 0);
  fs::rename(dir / "in_channel_4.0.map", dir / "doubled.map");
  const std::vector<std::string> options = {"-re", "4.0", "-rm", "doubled.map", "-cm", "-nc", "-cl", "-rb", "3"};
  std::map<std::string, std::string> files[2];
  std::string errors[2];
  for (int k = 0; k < 2; ++k) {
    const auto r = run(k == 0 ? doubled : ubq, options);
    EXPECT_EQ(r.status, 0) << r.err;
    errors[k] = r.err;
    for (const auto& f : fs::directory_iterator(dir)) {
      const std::string name = f.path().filename().string();
      if (name != "in.pdb" && name != "doubled.map") files[k][name] = read_file(f.path());
      if (name != "in.pdb" && name != "doubled.map") fs::remove(f.path());
    }
  }
  EXPECT_EQ(errors[0], "");
  EXPECT_EQ(errors[1], "porvane: warning: the cell of map file doubled.map (  101.680   85.540   57.900  90.00  90.00"
                       "  90.00) differs from the cell of the structure (   50.840   42.770   28.950  90.00  90.00  "
                       "90.00); the map's cell is used\n");
  EXPECT_GT(files[0].size(), 40u);  // grid points, depths, Reeb script and centre lines
  EXPECT_EQ(files[1], files[0]);
  const std::string& grid = files[1]["in_grid.pdb"];  // its last point in the doubled cell
  EXPECT_EQ(grid.substr(grid.size() - 36, 23), "100.000  84.000  56.000") << grid.substr(grid.size() - 81);

  const auto own_scale = run(edited(ubq, "CRYST1", 7, "   51.000"), {"-re", "4.0", "-rm", "doubled.map", "-s"});
  EXPECT_EQ(own_scale.status, 1);
  EXPECT_EQ(own_scale.err, "porvane: map file doubled.map: its cell (  101.680   85.540   57.900  90.00  90.00  90.00)"
                           " differs from the cell of the structure (   51.000   42.770   28.950  90.00  90.00  90.00),"
                           " whose scale matrix is not the PDB convention of its cell: the map cannot be used\n");
}

// Records between the atoms that are not atom records take no atom slot:
// the report (but for the file name) and the map stay those of the file
// without them.
TEST_F(hardening, OnlyAtomRecordsTakeSlots) {
  std::string extra = ubq;
  extra.insert(extra.find("\nATOM     20 ") + 1,
               "MODEL        1\n\nSIGATM   20  CA  ILE A   3      0.010   0.010   0.010  0.00  0.10           C\n");
  extra.insert(extra.find("\nATOM    400 ") + 1, "SIGUIJ  400  N   VAL A  26     10     10     10      0      0      0       N\n");
  std::string reports[2], maps[2];
  for (int k = 0; k < 2; ++k) {
    reports[k] = testing::mask_times(run(k == 0 ? ubq : extra, {"-re", "3.0"}).out);
    maps[k] = read_file(dir / "in_channel_3.0.map");
    fs::remove(dir / "in_channel_3.0.map");
  }
  EXPECT_EQ(reports[1], reports[0]);
  EXPECT_EQ(maps[1], maps[0]);
  EXPECT_GT(maps[0].size(), 1024u);
}

// An option name the program does not know is passed over with a warning:
// the report and the status are those of the run without it.
TEST_F(hardening, UnknownOptionsPassedOver) {
  const auto plain = run(ubq, {"-re", "4.0", "-vb", "1"});
  const auto unknown = run(ubq, {"-xx", "-re", "4.0", "-vb", "1", "--help"});
  EXPECT_EQ(unknown.status, 0);
  EXPECT_EQ(testing::mask_times(unknown.out), testing::mask_times(plain.out));
  EXPECT_EQ(unknown.err, "porvane: warning: unknown option \"-xx\" passed over\n"
                         "porvane: warning: unknown option \"--help\" passed over\n");
}

// A SCALE matrix that disagrees with the cell is used after the header's
// warning: 1ubq's scaled by 1e-4 (positions past the f8.2 field of the Reeb
// script), and with its rows 2 and 3 swapped and a translation of 1e7 in row
// 2 (single precision puts the planes along b at one place: pipes whose ends
// coincide). The whole analysis writes no figure that is not a number, in
// the report or any file, and a Reeb script that is Python.
TEST_F(hardening, DisagreeingScaleMatrices) {
  const std::string scaled = edited(
      edited(edited(ubq, "SCALE1", 11, " 1.967e-06"), "SCALE2", 21, " 2.338e-06"), "SCALE3", 31, " 3.454e-06");
  const std::string swapped = edited(edited(ubq, "SCALE2", 11, "  0.000000  0.000000  0.034542          1.0e7"),
                                     "SCALE3", 11, "  0.000000  0.023381  0.000000");
  for (const std::string& pdb : {scaled, swapped}) {
    fs::remove_all(dir), fs::create_directories(dir);
    const auto r = run(pdb, {"-rb", "-cl", "-cm", "-nc", "-ex"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n           Proceeding with given scale matrix.\n"), std::string::npos);
    std::string texts = r.out;  // the report and every file written but the map
    for (const auto& f : fs::directory_iterator(dir)) {
      const std::string text = read_file(f.path());
      if (f.path().extension() != ".map") {
        if (f.path().filename() != "in.pdb") texts += text;
        continue;
      }
      for (std::size_t n = 257 + testing::map_word(text, 24) / 4; 4 * n <= text.size(); ++n)  // the values
        EXPECT_TRUE(std::isfinite(testing::map_word<float>(text, n))) << n;
    }
    EXPECT_EQ(texts.find('\0'), std::string::npos);
    for (const char* bad : {"NaN", "Inf"})
      EXPECT_EQ(texts.find(bad), std::string::npos) << texts.substr(std::min(texts.find(bad), texts.size()), 80);
    const std::string compile = "compile(open('reeb_graph.py').read(), 'reeb_graph.py', 'exec')";
    EXPECT_EQ(run_program("/usr/bin/python3", {"-c", compile}, dir).status, 0);
  }
}

}  // namespace
}  // namespace porvane
