// Command-line options into the run's switches and settings.
#pragma once

#include <string>
#include <vector>

#include "common/run_params.hpp"

namespace porvane {

// What the command line held that the run cannot take as typed.
struct command_line_notes {
  std::vector<std::string> unknown_options;  // arguments passed over, as typed
  std::vector<std::string> earlier_names;    // input names a later one replaced, as typed
  std::vector<std::string> earlier_maps;     // -rm map names a later -rm replaced, as typed
  std::string fault;  // why the first unreadable option value cannot be used; empty when none
};

// Reads the arguments (the program's own name not included) from left to
// right into flags, params, state.pdbname and state.mapfile. Option values
// are whole number texts; one that does not read leaves its setting as it
// was and is noted.
command_line_notes read_command_line(const std::vector<std::string>& args, run_flags& flags,
                                     run_params& params, run_state& state);

// True when the help text is to be printed and the run stopped.
bool help_requested(const std::vector<std::string>& args, const run_flags& flags,
                    const run_state& state);

// With -rb, a direction other than 1, 2, 3 or 4 (all three) ends the run as
// an input error, before anything is printed.
void check_reeb_direction(const run_flags& flags, const run_params& params);

// The help text with the current values of the settings.
void print_help(const run_params& params, const run_state& state);

}  // namespace porvane
