// The one mechanism by which a run ends early: a stage throws run_stop, and
// run_porvane alone turns it into the message, the flush and the exit status.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "report_writer.hpp"

namespace porvane {

// Exit statuses of a run.
enum exit_status : int {
  plain_stop = 0,     // help, header stops, limits: message already on stdout
  library_fatal = 1,  // fatal error of libccp4, or a map or memory the run cannot use
  io_error = 2,       // unreadable input, malformed number, output file exists, a map read at
                      // another grid size than it was made at
};

// Writes a diagnostic line to standard error under the program's name.
inline void diagnostic(std::string_view message) {
  std::fprintf(stderr, "porvane: %.*s\n", static_cast<int>(message.size()), message.data());
}

struct run_stop {
  int status = plain_stop;
  std::string message;          // diagnostic for standard error, without the program's name
  bool library_signal = false;  // written as libccp4's own error signal instead
};

[[noreturn]] inline void stop_run() { throw run_stop{plain_stop, {}}; }

// Writes the free-format line of `items` to the report, then stops plainly.
template <class... T>
[[noreturn]] void stop_after_line(const T&... items) {
  report().free(items...);
  stop_run();
}

[[noreturn]] inline void io_failure(std::string message) {
  throw run_stop{io_error, std::move(message)};
}

// A condition that libccp4 treats as fatal: its signal line, status 1.
[[noreturn]] inline void library_failure(std::string message) {
  throw run_stop{library_fatal, std::move(message), true};
}

// A map the run cannot use or memory it cannot have: status 1, the message
// on standard error.
[[noreturn]] inline void fatal_stop(std::string message) {
  throw run_stop{library_fatal, std::move(message)};
}

}  // namespace porvane
