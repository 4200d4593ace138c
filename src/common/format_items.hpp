// Fortran format strings parsed once into edit descriptors, shared by the
// report's formatted lines and the fixed-column readers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace porvane {

enum class edit_kind : unsigned char {
  literal,  // quoted text, written as it stands (skipped over on input)
  skip,     // nX: `width` blanks on output, `width` columns passed over on input
  text,     // aN, or `a` with width 0: the item's own length
  integer,  // iN
  fixed,    // fN.D
  group,    // a parenthesised list of descriptors
};

struct format_node {
  edit_kind kind = edit_kind::literal;
  int repeat = 1;    // count before the descriptor or group
  int width = 0;     // field width in columns (0 for `a` alone)
  int decimals = 0;  // D of fN.D
  std::string text;  // literal text with doubled quotes reduced
  std::vector<format_node> group;  // descriptors of a group
};

struct parsed_format {
  std::string source;              // the format string as given
  std::vector<format_node> items;  // top-level descriptors between the outer parentheses
  std::size_t reversion = 0;       // index in `items` where a new record resumes
  bool reversion_has_data = false; // whether the resumed part holds a data descriptor
};

// Parses a format such as "('x=',3(f8.3,1x),i4)". Letter case and blanks
// outside quotes do not matter; a comma may be left out next to a literal.
// A malformed format ends the run with an input/output error.
parsed_format parse_format(std::string_view format);

// The parsed form of `format`, parsed on first use and kept for the run.
// Repeated calls with the same literal cost a pointer lookup and a compare.
const parsed_format& cached_format(std::string_view format);

inline bool is_data_edit(edit_kind k) {
  return k == edit_kind::text || k == edit_kind::integer || k == edit_kind::fixed;
}

// Calls visit(node) for every non-group descriptor in order, starting at
// nodes[from], expanding repeat counts and groups (an nX counts once).
// Stops early and returns false as soon as visit returns false.
template <class Visit>
bool walk_format(const std::vector<format_node>& nodes, std::size_t from, Visit& visit) {
  for (std::size_t i = from; i < nodes.size(); ++i) {
    const format_node& n = nodes[i];
    for (int r = 0; r < n.repeat; ++r) {
      if (n.kind == edit_kind::group) {
        if (!walk_format(n.group, 0, visit)) return false;
      } else if (!visit(n)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace porvane
