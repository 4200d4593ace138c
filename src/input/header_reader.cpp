#include "input/header_reader.hpp"

#include <cmath>
#include <string>
#include <string_view>

#include "common/fixed_columns.hpp"
#include "common/linear_algebra.hpp"
#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "common/text_file.hpp"
#include "input/cell_convention.hpp"
#include "input/cell_lengths.hpp"
#include "input/residue_mass_table.hpp"
#include "input/space_group_table.hpp"
#include "input/symmetry_library.hpp"
#include "input/value_converters.hpp"

namespace porvane {

namespace {

constexpr float scale_tolerance = 0.001f;  // relative, per non-zero element
// The least cell volume (Å³) that does not round to 0.0 in the report's one
// decimal.
constexpr float smallest_cell_volume = 0.05f;

// True when the matrix has an inverse with finite elements.
bool invertible(const float m[3][3]) {
  float inverse[3][3];
  matinv(m, inverse);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (!std::isfinite(inverse[i][j])) return false;
  return true;
}

// One call of the header reader: the input file, the records it fills and
// the state kept from line to line.
class header_reader {
 public:
  header_reader(std::string_view name, crystal_record& celli, header_store& header,
                int32_t& nheader, run_flags& flags, run_params& params)
      : in_(name, input_line_width), celli_(celli), header_(header), nheader_(nheader),
        flags_(flags), params_(params) {}

  void run();

 private:
  // Reads the next line into line_, and into text_ with its control bytes
  // as blanks; false at the end of the file.
  bool next() {
    if (!in_.next(line_)) return false;
    text_.assign(line_);  // the buffer is reused from line to line
    for (char& ch : text_) ch = blank_if_control(ch);
    return true;
  }
  input_place place() const { return input_place{in_.name(), in_.line_number()}; }
  // True when the current line holds `text` from 1-based column `col` on.
  bool cols(std::size_t col, std::string_view text) const {
    return line_.compare(col - 1, text.size(), text) == 0;
  }
  std::string_view columns(std::size_t first, std::size_t last) const {
    return std::string_view(line_).substr(first - 1, last - first + 1);
  }
  // The same columns as text the report shows or the run keeps: names,
  // chain lists, header lines.
  std::string_view text_columns(std::size_t first, std::size_t last) const {
    return std::string_view(text_).substr(first - 1, last - first + 1);
  }
  void store();

  // The tests of a header line, in the order they are applied to it.
  enum class line_test {
    smtry, remark285, biomolecule, unit_name, apply_chains, and_chains, biomt, scale, mtrix,
    cryst, first_atom, resolution, seqres,
    all_tests,  // past the last test
  };
  // What became of the current line once the tests were applied to it.
  enum class outcome {
    kept,          // every test applied: the line is kept and the next one read
    group_read,    // a group read ahead: the line after it is offered afresh
    finished,      // the end of the file, or the first ATOM line: the call ends
  };
  static line_test after(line_test t) { return static_cast<line_test>(static_cast<int>(t) + 1); }
  bool matches(line_test t) const;
  outcome offer();

  bool smtry_group();
  bool remark285_group();
  void biomolecule();
  void author_unit_name();
  void apply_chains();
  void and_chains();
  bool biomt_group();
  bool scale_group();
  bool mtrix_group();
  void cryst();
  void end_of_header();
  void resolution();
  void seqres();

  void expect_row(std::size_t col, std::string_view record, int row) const;
  bool operator_rows(std::string_view record, float op[4][4], int32_t k);
  bio_unit* current_unit(const char* what);

  text_file in_;
  std::string line_;
  std::string text_;
  crystal_record& celli_;
  header_store& header_;
  int32_t& nheader_;
  run_flags& flags_;
  run_params& params_;

  bool apply_expected_ = false;  // set by BIOMOLECULE, cleared by APPLY
  bool scale_agrees_ = true;     // cleared for good by a disagreeing SCALE group
  bool have_cell_ = false;       // a CRYST1 line has been read
  float x_[3][3] = {};           // scale matrix calculated from the last CRYST1 cell

  int32_t units_seen_ = 0;       // BIOMOLECULE lines read (celli.nbio stops at maxbio)
  bool warned_units_ = false;
  int32_t warned_ops_unit_ = 0;  // unit whose operator overflow was reported

  bool have_chain_ = false;      // a SEQRES line has been read
  char previous_chain_ = ' ';    // chain identifier of the previous SEQRES line
  int32_t chain_slot_ = -1;      // 0-based chain record of the current chain, -1 beyond maxchains
  int32_t chain_count_ = 0;      // residues of the current chain, stored or not
  int32_t chains_seen_ = 0;
  bool warned_chains_ = false;
  bool warned_residues_ = false; // for the current chain
  bool warned_header_ = false;
};

void header_reader::store() {
  if (nheader_ < maxheader) {
    header_[nheader_].assign(text_);  // the 80 columns followed by 52 blanks
    ++nheader_;
    return;
  }
  if (!warned_header_) {
    report().free("Warning - more than " + std::to_string(maxheader) +
                  " header lines: only the first " + std::to_string(maxheader) +
                  " are kept for the output coordinate files.");
    warned_header_ = true;
  }
}

// The current line must be row `row` (0-based) of a group: `record` from
// column `col` on, followed by the row's digit. A group that lacks a row
// would take the next record as that row: the run stops instead.
void header_reader::expect_row(std::size_t col, std::string_view record, int row) const {
  const std::size_t digit = col - 1 + record.size();
  if (cols(col, record) && line_[digit] == static_cast<char>('1' + row)) return;
  const std::string number = std::to_string(row + 1);
  io_failure("row " + number + " of the " + std::string(record) + " group is missing in file " +
             in_.name() + ", line " + std::to_string(in_.line_number()) + " (" +
             std::string(record) + number + " expected)");
}

// Rows 1-3 of an SMTRY or BIOMT operator k from the current line and the two
// after it, each of which must be the row of its number. False at the end of
// the file.
bool header_reader::operator_rows(std::string_view record, float op[4][4], int32_t k) {
  op[3][0] = op[3][1] = op[3][2] = 0.0f;
  op[3][3] = 1.0f;
  for (int row = 0; row < 3; ++row) {
    expect_row(14, record, row);
    store();
    read_fixed(line_, "(24x,3(f9.6,x),4x,f10.5)", place(), op[row][0], op[row][1], op[row][2],
               op[row][3]);
    if (flags_.vb >= 1)
      report().line("(2x,i2,2x,i2,2x,3(f9.6,x),f10.5)", k, int32_t{row + 1}, op[row][0],
                    op[row][1], op[row][2], op[row][3]);
    if (!next()) return false;
  }
  if (flags_.vb >= 1) report().free();
  return true;
}

bool header_reader::smtry_group() {
  if (flags_.vb >= 1) report().free("Symmetry operators found in pdb file header.");
  while (cols(14, "SMTRY")) {
    celli_.nsym += 1;
    // Operators past the store are counted (the run stops on the count) and
    // read, but not kept.
    float spare[4][4];
    float(*op)[4] = celli_.nsym <= maxsymops ? celli_.rsym[celli_.nsym - 1] : spare;
    if (!operator_rows("SMTRY", op, celli_.nsym)) return false;
  }
  return true;
}

bool header_reader::remark285_group() {
  report().free("REMARK 285 present - possible nonstandard generation of ASU");
  while (cols(1, "REMARK 285")) {
    report().free(std::string_view(text_));
    if (!next()) return false;
  }
  report().free();
  return true;
}

void header_reader::biomolecule() {
  units_seen_ += 1;
  int32_t number = 0;
  read_fixed(columns(24, 25), "(I2)", place(), number);
  if (units_seen_ <= maxbio) {
    celli_.nbio = units_seen_;
    // A unit without an AUTHOR DETERMINED or APPLY line has a blank name
    // and a blank chain list.
    bio_unit& unit = celli_.biounit[units_seen_ - 1];
    unit.name = "";
    unit.chainlist = "";
    unit.line = static_cast<int32_t>(in_.line_number());
  } else if (!warned_units_) {
    report().free("Warning - more than " + std::to_string(maxbio) +
                  " biological units in REMARK 350: only the first " + std::to_string(maxbio) +
                  " are kept.");
    warned_units_ = true;
  }
  if (number != units_seen_)
    report().free(
        " Problem - biom number in REMARK 350 and incremented biomolecule number do not match");
  apply_expected_ = true;
  if (flags_.vb >= 1) report().free(" Biological unit:", units_seen_);
}

// The unit that REMARK 350 lines now belong to; none before the first
// BIOMOLECULE line (reported, the line is ignored) and none for the units
// past the store (ignored quietly: their overflow has been reported).
bio_unit* header_reader::current_unit(const char* what) {
  if (units_seen_ == 0) {
    report().free(std::string("Warning - REMARK 350 ") + what +
                  " before the first BIOMOLECULE line: ignored.");
    return nullptr;
  }
  if (units_seen_ > maxbio) return nullptr;
  return &celli_.biounit[units_seen_ - 1];
}

void header_reader::author_unit_name() {
  if (bio_unit* unit = current_unit("AUTHOR DETERMINED line")) unit->name = text_columns(46, 55);
}

void header_reader::apply_chains() {
  bio_unit* unit = current_unit("APPLY line");
  if (unit != nullptr) {
    if (!apply_expected_)
      report().free(
          " Possible problem with Biomolecule transformations - multiple sets of chain/operators");
    unit->chainlist = text_columns(42, 80);
  }
  apply_expected_ = false;
}

// The continuation goes after the final comma of the list. A list that does
// not end in a comma (a single chain, or a list written without its final
// comma) is continued after its last identifier with a comma put in, so
// that no identifier is overwritten and the identifiers keep their places
// 2, 5, 8, ...
void header_reader::and_chains() {
  bio_unit* unit = current_unit("AND CHAINS line");
  if (unit == nullptr) return;
  fixed_text<400>& list = unit->chainlist;
  const std::size_t last = list.trimmed().size();  // last position holding text
  std::string joined(list.view().substr(0, last));
  if (last > 0 && list.at(last) != ',') joined += ',';
  joined += text_columns(42, 80);
  list = joined;
}

bool header_reader::biomt_group() {
  bool warned = false;
  while (cols(14, "BIOMT")) {
    float spare[4][4];
    float(*op)[4] = spare;
    int32_t k = 0;
    if (units_seen_ == 0) {
      if (!warned)
        report().free(
            "Warning - REMARK 350 BIOMT lines before the first BIOMOLECULE line: ignored.");
      warned = true;
    } else if (units_seen_ <= maxbio) {
      bio_unit& unit = celli_.biounit[units_seen_ - 1];
      if (unit.nops < maxbioops) {
        unit.nops += 1;
        k = unit.nops;
        op = unit.ops[k - 1];
      } else {
        k = unit.nops + 1;
        if (warned_ops_unit_ != units_seen_) {
          report().free("Warning - more than " + std::to_string(maxbioops) +
                        " BIOMT operators in biological unit " + std::to_string(units_seen_) +
                        ": only the first " + std::to_string(maxbioops) + " are kept.");
          warned_ops_unit_ = units_seen_;
        }
      }
    }
    if (!operator_rows("BIOMT", op, k)) return false;
  }
  return true;
}

bool header_reader::scale_group() {
  if (!have_cell_)
    stop_after_line(
        "No CRYST1 record before the SCALE records: the unit cell is not known...aborting");
  for (int row = 0; row < 3; ++row) {
    expect_row(1, "SCALE", row);
    store();
    read_fixed(line_, "(6x,4x,3(f10.6),5x,f10.5)", place(), celli_.fracmat[row][0],
               celli_.fracmat[row][1], celli_.fracmat[row][2], celli_.fracshift[row]);
    if (!next()) return false;
  }
  if (!invertible(celli_.fracmat)) {
    // No orthogonal frame follows from it: the matrix is dropped and the end
    // of the header calculates one from the cell, as for a missing matrix.
    report().free("Warning - Scale matrix in header is singular: it is not used.");
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) celli_.fracmat[i][j] = celli_.orthmat[i][j] = 0.0f;
      celli_.fracshift[i] = 0.0f;
    }
    return true;
  }
  matinv(celli_.fracmat, celli_.orthmat);
  if (flags_.vb >= 1) {
    report().free("Scale matrix found.");
    for (int row = 0; row < 3; ++row)
      report().line("(2x,3f10.6,f10.5)", celli_.fracmat[row][0], celli_.fracmat[row][1],
                    celli_.fracmat[row][2], celli_.fracshift[row]);
    report().free("Scale matrix calculated from cell (using PDB orthogonalization convention):");
    for (int col = 0; col < 3; ++col)
      report().line("(2x,3f10.6)", x_[0][col], x_[1][col], x_[2][col]);
  }
  // Zero elements of the given matrix are not compared.
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const float s = celli_.fracmat[i][j];
      const float x = x_[i][j];
      if (s == 0.0f) continue;
      if (x == 0.0f || std::fabs(s - x) / std::fabs(x) > scale_tolerance) scale_agrees_ = false;
    }
  }
  if (!scale_agrees_) {
    report().free(
        "Warning - Scale matrix in header does not match calculated matrix (using PDB "
        "orthogonalization convention).");
    report().free("          Proceeding with given scale matrix.");
  }
  return true;
}

bool header_reader::mtrix_group() {
  if (flags_.vb >= 1) report().free("NCS operators found.");
  while (cols(1, "MTRIX")) {
    celli_.nncs += 1;
    const int32_t k = celli_.nncs;
    // Operators past the store are counted and read, but not kept.
    float spare[3][4];
    int32_t spare_given = 0;
    float(*op)[4] = k <= maxncsops ? celli_.rncs[k - 1] : spare;
    int32_t& given = k <= maxncsops ? celli_.ncsgiven[k - 1] : spare_given;
    for (int row = 0; row < 3; ++row) {
      expect_row(1, "MTRIX", row);
      store();
      read_fixed(line_, "(10x,3f10.6,5x,f10.5,4x,i1)", place(), op[row][0], op[row][1],
                 op[row][2], op[row][3], given);
      if (flags_.vb >= 1)
        report().free(k, int32_t{row + 1}, op[row][0], op[row][1], op[row][2], op[row][3], given);
      if (!next()) return false;
    }
    // The identity is operator 1 already: its slot goes to the next operator.
    if (checkid(op) == 1) celli_.nncs -= 1;
    if (flags_.vb >= 1) report().free();
  }
  return true;
}

void header_reader::cryst() {
  read_fixed(line_, "(6x,3f9.3,3f7.2,x,a10)", place(), celli_.cell[0], celli_.cell[1],
             celli_.cell[2], celli_.cell[3], celli_.cell[4], celli_.cell[5], celli_.spgname);
  blank_control_bytes(celli_.spgname);

  pdb_scale_matrix(celli_.cell, x_);
  have_cell_ = true;

  celli_.spgnum = space_group_unknown;
  celli_.spgnum = space_group_number(celli_.spgname);
  if (celli_.spgnum == space_group_unknown) report().free(celli_.spgname, " was not in sgdict.dat");

  celli_.cellvol = cell_volume(celli_.cell);
  // Angles that only just close a cell, edges beyond single precision, or a
  // volume the report shows as 0.0 (an edge of 1e-30 Å) leave no volume to
  // divide by and no grid: such a cell ends the run as a zero cell does.
  if (!(celli_.cellvol > 0.0f) || !std::isfinite(celli_.cellvol))
    library_failure("Cell volume of the CRYST1 record is not a positive number: cannot use the cell");
  if (celli_.cellvol < smallest_cell_volume)
    library_failure("Cell volume of the CRYST1 record rounds to 0.0: cannot use the cell");
  cell_face_areas(celli_.cell, celli_.facearea);

  if (flags_.vb >= 1) {
    report().free("Cryst card found.");
    report().line("('   Unit cell = ', 3f9.3,3f7.2)", celli_.cell[0], celli_.cell[1],
                  celli_.cell[2], celli_.cell[3], celli_.cell[4], celli_.cell[5]);
    report().line("('   Volume =', f12.3)", celli_.cellvol);
    report().line("('   Area perp to a edge =', f12.3)", celli_.facearea[0]);
    report().line("('   Area perp to b edge =', f12.3)", celli_.facearea[1]);
    report().line("('   Area perp to c edge =', f12.3)", celli_.facearea[2]);
  }
}

// The first ATOM line: scale matrix and symmetry operators where the header
// had none, then the P1 option.
void header_reader::end_of_header() {
  complete_cell_frame(celli_);

  if (celli_.nsym == 0 && flags_.sl == 0) {
    report().free("Symmetry operators not in header...trying ccp4 symmetry library...");
    flags_.sl = 1;
  }

  if (flags_.sl == 1) {
    if (flags_.vb >= 1)
      report().free("Reading symmetry operators from ccp4 library for space group ",
                    celli_.spgname);
    celli_.nsym = load_symmetry_operators(celli_.spgname, celli_.rsym, maxsymops);
    if (flags_.vb >= 1) {
      report().free("Found ", celli_.nsym, " operators.");
      report().free("Converting from operators in fractional system to operators in orthogonal "
                    "system.");
    }
    // Fractional [R t] to orthogonal: R' = O·R·S, t' = O·(R·U + t − U).
    const int32_t stored = stored_count(celli_.nsym, maxsymops);
    for (int32_t k = 0; k < stored; ++k) {
      float(*op)[4] = celli_.rsym[k];
      float r[3][3], t[3];
      for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) r[i][j] = op[i][j];
        t[i] = op[i][3];
      }
      float or_[3][3], rp[3][3];
      mmult(celli_.orthmat, r, or_);
      mmult(or_, celli_.fracmat, rp);
      float ru[3], v[3], tp[3];
      matvecmult(r, celli_.fracshift, ru);
      for (int i = 0; i < 3; ++i) v[i] = ru[i] + t[i] - celli_.fracshift[i];
      matvecmult(celli_.orthmat, v, tp);
      for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) op[i][j] = rp[i][j];
        op[i][3] = tp[i];
      }
    }
    if (flags_.vb >= 1) {
      for (int32_t k = 0; k < stored; ++k) {
        for (int row = 0; row < 3; ++row)
          report().free(k + 1, celli_.rsym[k][row][0], celli_.rsym[k][row][1],
                        celli_.rsym[k][row][2], celli_.rsym[k][row][3]);
        report().free();
      }
    }
  }

  if (flags_.p1 == 1) {
    // P1 keeps only operator 1; when there was none, P1's own operator is the identity.
    if (celli_.nsym == 0) {
      for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) celli_.rsym[0][i][j] = i == j ? 1.0f : 0.0f;
    }
    celli_.nsym = 1;
    report().free("Assuming space group P1, ignoring all other symmetry operators.");
  }
}

void header_reader::resolution() {
  // The number from the first non-blank character at or after column 23, up
  // to the next blank and at most through column 30, left-justified. Older
  // files write "2.1  ANGSTROMS." there: the word after the number is not
  // part of it (its letters would count as digits).
  constexpr std::size_t last_column = 30;
  const std::size_t first = line_.find_first_not_of(' ', 22);
  std::string text;
  if (first != std::string::npos && first < last_column) {
    std::size_t end = line_.find(' ', first);
    if (end == std::string::npos || end > last_column) end = last_column;
    text = line_.substr(first, end - first);
  }
  celli_.resolution = chartoreal(padded(text, 20));
}

void header_reader::seqres() {
  const char id = text_[11];
  if (!have_chain_ || id != previous_chain_) {
    chains_seen_ += 1;
    chain_count_ = 0;
    warned_residues_ = false;
    if (chains_seen_ <= maxchains) {
      celli_.nchains = chains_seen_;
      chain_slot_ = chains_seen_ - 1;
      chain_entry& chain = celli_.chain[chain_slot_];
      chain.id = std::string_view(&text_[11], 1);
      chain.mw = 0.0f;
      chain.nres = 0;
    } else {
      chain_slot_ = -1;
      if (!warned_chains_) {
        report().free("Warning - more than " + std::to_string(maxchains) +
                      " SEQRES chains: further chains count in the totals only.");
        warned_chains_ = true;
      }
    }
  }
  have_chain_ = true;
  params_.hasseqres = 1;

  chain_entry* chain = chain_slot_ >= 0 ? &celli_.chain[chain_slot_] : nullptr;
  float spare_mw = 0.0f;
  float& chain_mw = chain != nullptr ? chain->mw : spare_mw;
  for (int n = 1; n <= 13; ++n) {
    const std::string_view name = text_columns(4 * n + 16, 4 * n + 18);
    if (name == "   ") break;
    chain_count_ += 1;
    celli_.nresseq += 1;
    if (chain != nullptr) {
      if (chain_count_ <= maxseqres) {
        chain->nres = chain_count_;
        chain->seqres[chain_count_ - 1] = name;
      } else if (!warned_residues_) {
        report().free("Warning - more than " + std::to_string(maxseqres) +
                      " SEQRES residues in chain " + std::string(1, id) + ": only the first " +
                      std::to_string(maxseqres) + " names are kept.");
        warned_residues_ = true;
      }
    }
    const int row = residue_row(name);
    if (row > 0) {
      const float mass = residue_mass_table[row - 1].mass;
      if (flags_.vb >= 2)
        report().free("Residue ", celli_.nresseq, ":", name, " at position ", int32_t{row},
                      " in seqres array with mass:", mass);
      celli_.mwseq += mass;
      chain_mw += mass;
      celli_.mwseq -= link_water_mass;
      chain_mw -= link_water_mass;
      if (row <= last_protein_row)
        celli_.nprotres += 1;
      else
        celli_.nnucres += 1;
    } else {
      report().free("Residue ", celli_.nresseq, ":", name,
                    " is not in the database. Will use the mass of a serine (105 Da).");
      celli_.mwseq += missing_residue_mass;
      chain_mw += missing_residue_mass;
      celli_.nothres += 1;
    }
  }
  previous_chain_ = id;
}

bool header_reader::matches(line_test t) const {
  switch (t) {
    case line_test::smtry: return cols(14, "SMTRY") && flags_.sl == 0;
    case line_test::remark285: return cols(1, "REMARK 285");
    case line_test::biomolecule: return cols(1, "REMARK 350 BIOMOLECULE:");
    case line_test::unit_name: return cols(1, "REMARK 350 AUTHOR DETERMINED BIOLOGICAL UNIT:");
    case line_test::apply_chains: return cols(1, "REMARK 350 APPLY THE FOLLOWING TO CHAINS:");
    case line_test::and_chains: return cols(1, "REMARK 350                    AND CHAINS:");
    case line_test::biomt: return cols(14, "BIOMT");
    case line_test::scale: return cols(1, "SCALE1");
    case line_test::mtrix: return cols(1, "MTRIX") && flags_.nn == 0;
    case line_test::cryst: return cols(1, "CRYST");
    case line_test::first_atom: return cols(1, "ATOM");
    case line_test::resolution: return cols(1, "REMARK   2 RESOLUTION.");
    case line_test::seqres: return cols(1, "SEQRES");
    default: return false;
  }
}

// Applies the tests in their order to the current line. A group reads ahead;
// the first line after it is a line like any other, offered to every test
// again, since groups may follow each other directly (SMTRY rows right after
// REMARK 285, the next BIOMOLECULE right after a unit's BIOMT rows, SCALE
// right after MTRIX). The end of the file ends the call at once, inside a
// group too.
header_reader::outcome header_reader::offer() {
  for (line_test t = line_test::smtry; t != line_test::all_tests; t = after(t)) {
    if (!matches(t)) continue;
    bool more = true;  // false at the end of the file
    switch (t) {
      case line_test::smtry: more = smtry_group(); break;
      case line_test::remark285: more = remark285_group(); break;
      case line_test::biomt: more = biomt_group(); break;
      case line_test::scale: more = scale_group(); break;
      case line_test::mtrix: more = mtrix_group(); break;
      case line_test::biomolecule: biomolecule(); continue;
      case line_test::unit_name: author_unit_name(); continue;
      case line_test::apply_chains: apply_chains(); continue;
      case line_test::and_chains: and_chains(); continue;
      case line_test::cryst: cryst(); continue;
      case line_test::resolution: resolution(); continue;
      case line_test::seqres: seqres(); continue;
      case line_test::first_atom:
        end_of_header();
        return outcome::finished;  // the ATOM line is not kept
      default: continue;
    }
    return more ? outcome::group_read : outcome::finished;
  }
  return outcome::kept;
}

void header_reader::run() {
  if (header_.size() < static_cast<std::size_t>(maxheader)) header_.resize(maxheader);
  if (!next()) return;
  for (;;) {
    const outcome o = offer();
    if (o == outcome::finished) return;
    if (o == outcome::kept) {
      store();
      if (!next()) return;
    }
  }
}

}  // namespace

void complete_cell_frame(crystal_record& celli) {
  if (celli.fracmat[0][0] != 0.0f) {
    check_cell_lengths(celli);
    return;
  }
  // Without a cell there is no grid and no orthogonal frame: nothing the
  // run computes would mean anything. (A CRYST1 record always leaves a
  // positive volume.)
  if (!(celli.cellvol > 0.0f))
    stop_after_line("No CRYST1 record in the header: the unit cell is not known...aborting");
  report().free(
      "Warning: Scale matrix not in header...using scale matrix calculated from unit cell");
  report().free(" using PDB orthogonalization convention.");
  use_pdb_convention(celli);
  check_cell_lengths(celli);
}

void read_header(const std::string& pdbfile, crystal_record& celli, header_store& header,
                 int32_t& nheader, run_flags& flags, run_params& params) {
  celli.nsym = 0;
  celli.nncs = 1;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j) celli.rncs[0][i][j] = i == j ? 1.0f : 0.0f;
  celli.ncsgiven[0] = 0;
  celli.mwseq = 0.0f;
  celli.nresseq = 0;
  celli.nprotres = 0;
  celli.nnucres = 0;
  celli.nothres = 0;
  celli.nbio = 0;
  celli.nchains = 0;
  nheader = 0;

  // The name exactly as given, whatever its length.
  header_reader reader(pdbfile, celli, header, nheader, flags, params);
  reader.run();  // the file is closed when the reader goes, on every path
}

}  // namespace porvane
