// The expanded-coordinates file of -ex: the header lines, then every atom
// under every symmetry and NCS operator, wrapped into the unit cell.
#pragma once

#include <span>
#include <string>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/fixed_text.hpp"
#include "common/limits.hpp"
#include "common/run_params.hpp"

namespace porvane {

// Writes the file `name`: the kept header lines `header` (a CRYST1 line in
// P 1 in place of the header's), then the copies grouped by symmetry
// operator, then NCS operator, each group in atom order, with chain
// character 64 + s (modulo 256) for operator s. The lines are written as the
// copies are made. An existing file ends the run with an input/output error.
void write_expanded_file(const std::string& name, const run_flags& flags,
                         const crystal_record& celli,
                         std::span<const fixed_text<header_line_width>> header,
                         const atom_store& atoms);

}  // namespace porvane
