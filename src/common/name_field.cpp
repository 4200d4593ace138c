#include "common/name_field.hpp"

#include <algorithm>

namespace porvane {

std::string field_or_whole(std::string_view field, std::string_view whole, report_item value) {
  std::string text = formatted_text(field, {value});
  if (text.find('*') == std::string::npos) return text;
  text = formatted_text(whole, {value});
  return text.substr(std::min(text.find_first_not_of(' '), text.size()));
}

}  // namespace porvane
