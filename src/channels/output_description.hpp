// The description of the report's sections printed after SUMMARY DATA.
#pragma once

namespace porvane {

// Lines of the description in order; an empty entry is an empty line.
extern const char* const output_description[86];

}  // namespace porvane
