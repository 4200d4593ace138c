// Free-format (list-directed) lines: a leading blank, then the items in
// their default widths, one blank between two items unless both are texts.
#include <variant>

#include "formatted_output.hpp"
#include "number_text.hpp"

namespace porvane {

void append_free_format(std::string& out, const std::vector<report_item>& items) {
  if (items.empty()) return;
  out += ' ';
  bool previous_text = false;
  for (std::size_t k = 0; k < items.size(); ++k) {
    const report_item& item = items[k];
    bool is_text = std::holds_alternative<std::string_view>(item);
    if (k > 0 && !(is_text && previous_text)) out += ' ';
    if (const auto* i = std::get_if<int32_t>(&item)) {
      append_free_integer(out, *i);
    } else if (const auto* f = std::get_if<float>(&item)) {
      append_free_real(out, *f);
    } else if (const auto* d = std::get_if<double>(&item)) {
      append_free_real(out, *d);
    } else {
      out += std::get<std::string_view>(item);
    }
    previous_text = is_text;
  }
}

std::string free_format_text(const std::vector<report_item>& items) {
  std::string out;
  append_free_format(out, items);
  return out;
}

}  // namespace porvane
