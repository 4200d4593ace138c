// A structure read as a run reads it before the distance map: header, its
// stops, atoms, structure report and the heteroatom policy (their report
// lines discarded), then the orthogonalisation matrix. A structure
// without a cell, symmetry operators or atoms for the map gives no figures
// worth printing: the loader says why on standard error and returns none.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/linear_algebra.hpp"
#include "common/run_params.hpp"
#include "common/run_stop.hpp"
#include "distmap/atom_copies.hpp"
#include "input/header_reader.hpp"
#include "input/structure_reading.hpp"
#include "reference/quiet_report.hpp"

namespace porvane::bench {

struct loaded_structure {
  std::unique_ptr<crystal_record> celli = std::make_unique<crystal_record>();
  run_flags flags;
  run_params params;
  run_state state;
  header_store header;
  atom_store atoms;
};

// What keeps the structure read from a distance map, empty when nothing does.
inline std::string missing_for_map(const loaded_structure& s) {
  if (!(s.celli->cellvol > 0.0f)) return "no unit cell";
  if (s.celli->nsym <= 0) return "no symmetry operators";
  if (!map_has_atoms(s.flags, s.atoms)) return "no atoms for the distance map";
  return {};
}

inline std::unique_ptr<loaded_structure> load_structure(const std::string& path,
                                                        const run_flags& flags,
                                                        const run_params& params) {
  auto s = std::make_unique<loaded_structure>();
  s->flags = flags;
  s->params = params;
  s->state.pdbname = path;
  // A stop's own message names its cause; the report lines of a plain stop
  // are gone, so what is missing is named instead.
  std::string why;
  bool stopped = false;
  silently([&] {
    try {
      read_structure(*s->celli, s->header, s->params, s->flags, s->atoms, s->state);
    } catch (const run_stop& stop) {
      why = stop.message;
      stopped = true;
    }
  });
  if (why.empty()) why = missing_for_map(*s);
  if (why.empty() && stopped) why = "the run stops before the map";
  if (!why.empty()) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str());
    return nullptr;
  }
  matinv(s->celli->fracmat, s->celli->orthmat);
  return s;
}

}  // namespace porvane::bench
