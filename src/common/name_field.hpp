// Numbers in the names of output files.
#pragma once

#include <string>
#include <string_view>

#include "report_writer.hpp"

namespace porvane {

// `value` as the edit descriptor `field` writes it, or, where that field
// cannot hold it, as the wide descriptor `whole` writes it without its
// leading blanks, so that no two names meet in a field of asterisks and no
// name holds a glob character.
std::string field_or_whole(std::string_view field, std::string_view whole, report_item value);

}  // namespace porvane
