// The 27 combinations of direction letters.
#include "channels/pipe_type_table.hpp"

#include <array>

namespace porvane {
namespace {

constexpr uint16_t cell(int row, int column) { return uint16_t(1u << (3 * (row - 1) + (column - 1))); }
constexpr uint16_t all_cells = 0x1ff;
constexpr uint16_t plane_ab = cell(1, 1) | cell(1, 2) | cell(2, 1) | cell(2, 2);
constexpr uint16_t plane_ac = cell(1, 1) | cell(1, 3) | cell(3, 1) | cell(3, 3);
constexpr uint16_t plane_bc = cell(2, 2) | cell(2, 3) | cell(3, 2) | cell(3, 3);

constexpr std::array<pipe_type, 27> pipe_type_table = {{
    {"ABC", "3D ", all_cells}, {"ABc", "3D ", all_cells}, {"AbC", "3D ", all_cells},
    {"aBC", "3D ", all_cells}, {"abc", "3D ", all_cells},
    {"AB.", "2D ", plane_ab},  {"Ab.", "2D ", plane_ab},  {"aB.", "2D ", plane_ab},
    {"Abc", "2D ", plane_ab},  {"aBc", "2D ", plane_ab},  {"abC", "2D ", plane_ab},
    {"A.C", "2D ", plane_ac},  {"A.c", "2D ", plane_ac},  {"a.C", "2D ", plane_ac},
    {".BC", "2D ", plane_bc},  {".Bc", "2D ", plane_bc},  {".bC", "2D ", plane_bc},
    {"A..", "1D ", cell(1, 1)}, {"a..", "1D ", cell(1, 1)},
    {".B.", "1D ", cell(2, 2)}, {".b.", "1D ", cell(2, 2)},
    {"..C", "1D ", cell(3, 3)}, {"..c", "1D ", cell(3, 3)},
    {"ab.", "1D ", cell(1, 2) | cell(2, 1)},
    {"a.c", "1D ", cell(1, 3) | cell(3, 1)},
    {".bc", "1D ", cell(2, 3) | cell(3, 2)},
    {"...", "0D ", 0},
}};

}  // namespace

const pipe_type& look_up_pipe_type(std::string_view letters) {
  for (const pipe_type& t : pipe_type_table)
    if (letters == t.letters) return t;
  return pipe_type_table.back();  // letters are always one of the 27
}

}  // namespace porvane
