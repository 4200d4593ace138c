#include "input/symmetry_library.hpp"

// <cmath> must come before the library's unit-cell header.
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include <ccp4/ccp4_unitcell.h>
#include <ccp4/csymlib.h>
#include <ccp4/cvecmat.h>

#include "common/run_stop.hpp"

namespace porvane {

namespace {

constexpr const char* system_syminfo = "/usr/share/ccp4/syminfo.lib";

// True when the angles close a cell: the volume factor
// 1 − cos²α − cos²β − cos²γ + 2·cosα·cosβ·cosγ is positive.
bool angles_close_a_cell(const float cell[6]) {
  constexpr double deg = 3.14159265358979323846 / 180.0;
  const double ca = std::cos(cell[3] * deg), cb = std::cos(cell[4] * deg),
               cg = std::cos(cell[5] * deg);
  return 1.0 - ca * ca - cb * cb - cg * cg + 2.0 * ca * cb * cg > 0.0;
}

}  // namespace

void cell_orthogonalisation(const float cell[6], float ro[3][3]) {
  for (int i = 0; i < 6; ++i)
    if (cell[i] == 0.0f)
      library_failure("Zero cell dimension in CRYST1 record: cannot orthogonalise the cell");
  for (int i = 0; i < 3; ++i)
    if (!(cell[i] > 0.0f) || !std::isfinite(cell[i]))
      library_failure("Cell edge in CRYST1 record is not positive: cannot orthogonalise the cell");
  for (int i = 3; i < 6; ++i)
    if (!(cell[i] > 0.0f && cell[i] < 180.0f))
      library_failure(
          "Cell angle in CRYST1 record is not between 0 and 180 degrees: cannot "
          "orthogonalise the cell");
  if (!angles_close_a_cell(cell))
    library_failure(
        "Cell angles in CRYST1 record do not form a unit cell: cannot orthogonalise "
        "the cell");

  double dcell[6];
  for (int i = 0; i < 6; ++i) dcell[i] = cell[i];
  double dro[3][3], drf[3][3];
  CCP4uc::ccp4uc_frac_orth_mat(dcell, 1, dro, drf);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) ro[i][j] = static_cast<float>(dro[i][j]);
}

void invert_4x4(const float a[4][4], float ai[4][4]) { invert4matrix(a, ai); }

void default_symmetry_library_location() {
  if (std::getenv("SYMINFO") != nullptr || std::getenv("CLIBD") != nullptr) return;
  if (access(system_syminfo, R_OK) == 0) setenv("SYMINFO", system_syminfo, 0);
}

int32_t load_symmetry_operators(fixed_text<10>& spgname, float rsym[][4][4], int32_t maxops) {
  // The name as the library expects it: up to a zero byte (a field never
  // written holds only those), trailing blanks removed. An empty name is not
  // looked up: the library would answer it with an arbitrary group.
  const std::string_view field = spgname.view();
  const std::string name(trim_blanks(field.substr(0, field.find('\0'))));
  if (name.empty()) return 0;

  default_symmetry_library_location();
  CSym::CCP4SPG* sp = CSym::ccp4spg_load_by_ccp4_spgname(name.c_str());
  if (sp == nullptr) return 0;

  const int32_t nsym = sp->nsymop;
  for (int32_t k = 0; k < nsym && k < maxops; ++k) {
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) rsym[k][i][j] = sp->symop[k].rot[i][j];
      rsym[k][i][3] = sp->symop[k].trn[i];
    }
    rsym[k][3][0] = rsym[k][3][1] = rsym[k][3][2] = 0.0f;
    rsym[k][3][3] = 1.0f;
  }
  // The library hands back its own spelling of the symbol found.
  if (sp->symbol_old[0] != '\0') spgname = std::string_view(sp->symbol_old);
  CSym::ccp4spg_free(&sp);
  return nsym;
}

}  // namespace porvane
