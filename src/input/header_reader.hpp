// Reads the header of a PDB file into the crystal record.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/crystal_record.hpp"
#include "common/fixed_text.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Kept header lines: each input line (80 columns) followed by 52 blanks.
using header_store = std::vector<fixed_text<header_line_width>>;

// The first `nheader` lines of the store, all of them when it holds fewer.
inline std::span<const fixed_text<header_line_width>> kept_header(const header_store& header,
                                                                  int32_t nheader) {
  const std::size_t n = std::min(header.size(), static_cast<std::size_t>(std::max(nheader, 0)));
  return std::span<const fixed_text<header_line_width>>(header).first(n);
}

void read_header(const std::string& pdbfile, crystal_record& celli, header_store& header,
                 int32_t& nheader, run_flags& flags, run_params& params);

// The scale matrix calculated from the cell where the header gave none (with
// its warning lines); a header without a CRYST1 record stops the run, and a
// cell whose lengths single precision cannot carry ends it. The
// header reader does this at the first ATOM line; a file without one (a
// header alone, or HETATM records only) needs it done after the header.
void complete_cell_frame(crystal_record& celli);

}  // namespace porvane
