// One run of the program, from the command line to the end.
#pragma once

#include <string>
#include <vector>

namespace porvane {

// Runs the stages in order and returns the exit status.
int run_porvane(const std::vector<std::string>& args);

}  // namespace porvane
