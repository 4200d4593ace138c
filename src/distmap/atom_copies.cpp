// The atom copies of the crystal, their positions and their checks.
#include "distmap/atom_copies.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "distmap/distance_kernel.hpp"

namespace porvane {

int32_t map_atom_loop_count(const atom_counts& count, const run_flags& flags) {
  return flags.cg != 0 ? count.npseudo : count.natoms;
}

int32_t map_atom_use_count(const atom_counts& count, const run_flags& flags) {
  if (flags.cg != 0) return count.npseudo;
  if (flags.ca != 0) return count.nca;
  return count.natoms;
}

bool atom_in_map(const run_flags& flags, const atom_store& atoms, int32_t a) {
  if (flags.ca == 0 || flags.cg != 0) return true;
  const atom_record& rec = atoms.pdbdata[static_cast<std::size_t>(a - 1)];
  return rec.atname == " CA " || rec.element == " P";
}

int32_t map_atom_slots(const run_flags& flags, const atom_store& atoms) {
  const auto stored = static_cast<int32_t>(std::min(atoms.pdbdata.size(), atoms.coords.size() / 3));
  return std::min(map_atom_loop_count(atoms.count, flags), stored);
}

bool map_has_atoms(const run_flags& flags, const atom_store& atoms) {
  const int32_t natom = map_atom_slots(flags, atoms);
  for (int32_t a = 1; a <= natom; ++a)
    if (atom_in_map(flags, atoms, a)) return true;
  return false;
}

void atom_copy_position(const crystal_record& celli, const atom_store& atoms, int32_t a, int32_t s,
                        int32_t n, float x2[3], float f[3]) {
  const float* c = &atoms.coords[3 * static_cast<std::size_t>(a - 1)];
  float x1[3];
  apply_operator(celli.rncs[n - 1], c, x1);
  apply_operator(celli.rsym[s - 1], x1, x2);
  to_fcoords(celli, x2, f);
}

bool place_atom_copy(const crystal_record& celli, const atom_store& atoms, int32_t a, int32_t s,
                     int32_t n, atom_copy& copy, bool outside[3]) {
  float x2[3], f[3];
  atom_copy_position(celli, atoms, a, s, n, x2, f);
  bool moved = false;
  for (int ax = 0; ax < 3; ++ax) {
    const float before = f[ax];
    f[ax] = wrap_fraction(f[ax]);
    if (f[ax] != before) moved = true;
    outside[ax] = f[ax] > 1.0f || f[ax] < 0.0f;
  }
  copy.a = a;
  copy.s = s;
  copy.n = n;
  for (int ax = 0; ax < 3; ++ax) copy.f[ax] = f[ax];
  frac_to_real(celli, f, copy.x);
  copy.r = atoms.pdbdata[static_cast<std::size_t>(a - 1)].radius;
  return moved;
}

std::vector<atom_copy> collect_atom_copies(const run_flags& flags, const crystal_record& celli,
                                           const atom_store& atoms, bool write_report,
                                           int32_t& moved) {
  const float nloop = static_cast<float>(map_atom_loop_count(atoms.count, flags));
  std::vector<atom_copy> copies;
  copies.reserve(static_cast<std::size_t>(count_atom_copies(flags, celli, atoms)));
  auto place = [&](int32_t a, int32_t s, int32_t n) {
    atom_copy cp;
    bool outside[3];
    if (place_atom_copy(celli, atoms, a, s, n, cp, outside)) ++moved;
    for (int32_t ax = 0; ax < 3 && write_report; ++ax)
      if (outside[ax]) report().free("Oops...", a, s, ax + 1, cp.f[ax]);
    copies.push_back(cp);
  };
  // About ten progress marks: one whenever a tenth of the atoms is passed.
  auto mark = [&](int32_t a) {
    if (write_report && std::lround(static_cast<float>(a) * 10.0f / nloop) >
                            std::lround(static_cast<float>(a - 1) * 10.0f / nloop))
      report().open("(f4.0,'..')", static_cast<float>(a) * 100.0f / nloop);
  };
  for_each_copy(flags, celli, atoms, copy_order::atom_outermost, place, mark);
  return copies;
}

std::vector<atom_copy> collect_unwrapped_copies(const run_flags& flags, const crystal_record& celli,
                                                const atom_store& atoms) {
  std::vector<atom_copy> copies;
  for_each_copy(flags, celli, atoms, copy_order::atom_outermost, [&](int32_t a, int32_t s, int32_t n) {
    atom_copy cp;
    cp.a = a;
    cp.s = s;
    cp.n = n;
    atom_copy_position(celli, atoms, a, s, n, cp.x, cp.f);
    cp.r = atoms.pdbdata[static_cast<std::size_t>(a - 1)].radius;
    copies.push_back(cp);
  }, [](int32_t) {});
  return copies;
}

void check_copy_positions(const run_flags& flags, const crystal_record& celli,
                          const atom_store& atoms, const std::string& pdbname) {
  for_each_copy(flags, celli, atoms, copy_order::atom_outermost, [&](int32_t a, int32_t s, int32_t n) {
    float x2[3], f[3];
    atom_copy_position(celli, atoms, a, s, n, x2, f);
    for (int ax = 0; ax < 3; ++ax)
      if (!std::isfinite(x2[ax]) || !std::isfinite(f[ax])) {
        const atom_record& rec = atoms.pdbdata[static_cast<std::size_t>(a - 1)];
        io_failure("cannot use atom " + std::to_string(rec.serial) + " (" +
                   std::string(rec.atname.view()) + " " + std::string(rec.resname.view()) + " " +
                   std::string(rec.chainid.view()) + " " + std::to_string(rec.resseq) + ") of file " +
                   pdbname + " under symmetry operator " + std::to_string(s) + " and NCS operator " +
                   std::to_string(n) + ": its copy lies beyond the range of single precision");
      }
  }, [](int32_t) {});
}

int64_t count_atom_copies(const run_flags& flags, const crystal_record& celli,
                          const atom_store& atoms) {
  int64_t n = 0;
  for_each_copy(
      flags, celli, atoms, copy_order::atom_outermost, [&n](int32_t, int32_t, int32_t) { ++n; }, [](int32_t) {});
  return n;
}

}  // namespace porvane
