// Report text built in memory before it is written: the formatted and the
// free-format forms behind report_writer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report_writer.hpp"

namespace porvane {

// Appends what `format` writes for `items`; records after the first are
// separated by '\n'. With `stays_open` the blanks of X descriptors at the
// very end are written too (a line left open keeps them for its continuation);
// otherwise they are dropped, as at the end of any record.
void append_formatted(std::string& out, std::string_view format,
                      const std::vector<report_item>& items, bool stays_open);

// Appends the free-format line for `items` (without the newline).
void append_free_format(std::string& out, const std::vector<report_item>& items);

}  // namespace porvane
