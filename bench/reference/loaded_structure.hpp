// A structure read as a run reads it before the distance map: header,
// atoms, structure report and the heteroatom policy (report_lines runs f
// with their lines), then the orthogonalisation matrix.
#pragma once

#include <memory>
#include <string>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/linear_algebra.hpp"
#include "common/run_params.hpp"
#include "input/header_reader.hpp"
#include "input/structure_report.hpp"

namespace porvane::bench {

struct loaded_structure {
  std::unique_ptr<crystal_record> celli = std::make_unique<crystal_record>();
  run_flags flags;
  run_params params;
  run_state state;
  header_store header;
  atom_store atoms;
};

template <class Capture>
std::unique_ptr<loaded_structure> load_structure(const std::string& path, const run_flags& flags,
                                                 const run_params& params, Capture&& report_lines) {
  auto s = std::make_unique<loaded_structure>();
  s->flags = flags;
  s->params = params;
  s->state.pdbname = path;
  report_lines([&] { read_and_describe_atoms(*s->celli, s->params, s->flags, s->atoms, s->state); });
  matinv(s->celli->fracmat, s->celli->orthmat);
  return s;
}

}  // namespace porvane::bench
