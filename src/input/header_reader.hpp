// Reads the header of a PDB file into the crystal record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/crystal_record.hpp"
#include "common/fixed_text.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Kept header lines: each input line (80 columns) followed by 52 blanks.
using header_store = std::vector<fixed_text<header_line_width>>;

void read_header(const std::string& pdbfile, crystal_record& celli, header_store& header,
                 int32_t& nheader, run_flags& flags, run_params& params);

// The scale matrix calculated from the cell where the header gave none (with
// its warning lines); a header without a CRYST1 record stops the run. The
// header reader does this at the first ATOM line; a file without one (a
// header alone, or HETATM records only) needs it done after the header.
void complete_cell_frame(crystal_record& celli);

}  // namespace porvane
