// The atom line of every coordinate file, "(a6,i5,1x,a4,a1,a3,1x,a1,i4,4x,
// 3(f8.3),2(f6.2))", written without parsing the format each time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "atom_record.hpp"

namespace porvane {

// Columns of one line, in the order of the format.
struct coordinate_fields {
  std::string_view recname;   // a6: record name
  int32_t serial = 0;         // i5: serial number
  std::string_view atname;    // a4: atom name
  std::string_view altloc;    // a1: alternate location
  std::string_view resname;   // a3: residue name
  std::string_view chain;     // a1: chain identifier
  int32_t resseq = 0;         // i4: residue number
  float xyz[3] = {0, 0, 0};   // 3f8.3: position (Å)
  float w = 0.0f;             // f6.2: occupancy column
  float b = 0.0f;             // f6.2: B-factor column
};

// Width of the line, without its newline.
constexpr std::size_t coordinate_record_width = 66;

// The fields of an atom record with the given chain, position and W and B
// columns.
coordinate_fields atom_fields(const atom_record& rec, std::string_view chain, const float xyz[3],
                              float w, float b);

// Writes the 66 columns at p and returns p + 66. Equal, byte for byte, to
// what the report formatter writes for coordinate_record_format: texts cut
// or right-aligned to their widths, integers and reals right-aligned,
// asterisks across a field too narrow for its number, reals rounded from
// their exact binary value with ties to even (a float times 10^d for d ≤ 3
// is exact in double, so rounding that product to an integer is the same
// rounding), -0.000 for a negative value that rounds to zero.
char* put_coordinate_record(char* p, const coordinate_fields& f);

// The same line appended to a string.
void append_coordinate_record(std::string& out, const coordinate_fields& f);

}  // namespace porvane
