#include "endfiles/expanded_file.hpp"

#include "common/output_file.hpp"
#include "common/report_writer.hpp"
#include "distmap/atom_copies.hpp"

namespace porvane {

namespace {

// The chain of the copies of symmetry operator s: A..Z and the printable
// characters after Z up to ~ for operators 1 to 62, then the same run again
// from A, so that every chain is a printable character.
char chain_character(int32_t s) {
  constexpr int32_t printable_run = '~' - 'A' + 1;
  return static_cast<char>('A' + (s - 1) % printable_run);
}

}  // namespace

void write_expanded_file(const std::string& name, const run_flags& flags,
                         const crystal_record& celli,
                         std::span<const fixed_text<header_line_width>> header,
                         const atom_store& atoms) {
  report().free(" Writing atoms expanded to complete unit cell ...");
  output_file file(name);
  for (const fixed_text<header_line_width>& kept : header) {
    const std::string_view line = kept.view();
    if (line.substr(0, 6) == "CRYST1") {
      file.line("(a6,3(f9.3),3(f7.2),' P 1          ')", "CRYST1", celli.cell[0], celli.cell[1],
                celli.cell[2], celli.cell[3], celli.cell[4], celli.cell[5]);
    } else {
      file.line("(a80)", line);
    }
  }

  for_each_copy(flags, celli, atoms, copy_order::operator_outermost, [&](int32_t a, int32_t s, int32_t n) {
    atom_copy cp;
    bool outside[3];
    place_atom_copy(celli, atoms, a, s, n, cp, outside);
    for (int32_t m = 0; m < 3; ++m) {
      if (outside[m]) report().free("Oops...", s, n, m + 1, cp.f[m]);
    }
    const atom_record& rec = atoms.pdbdata[static_cast<std::size_t>(a - 1)];
    const char chain = chain_character(s);
    file.record(atom_fields(rec, std::string_view(&chain, 1), cp.x, rec.occupancy, rec.bfactor));
  }, [](int32_t) {});
  file.close();
}

}  // namespace porvane
