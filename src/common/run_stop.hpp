// The one mechanism by which a run ends early.
#pragma once

#include <string>

namespace porvane {

// Exit statuses of a run.
enum exit_status : int {
  plain_stop = 0,       // help, header stops, limits: message already on stdout
  library_fatal = 1,    // fatal error inside libccp4
  io_error = 2,         // unreadable input, malformed number, output file exists
};

// Thrown by any stage that ends the run; caught once in main, which flushes
// standard output, writes `message` (if any) to standard error and exits
// with `status`.
struct run_stop {
  int status = plain_stop;
  std::string message;
};

[[noreturn]] inline void stop_run() { throw run_stop{plain_stop, {}}; }
[[noreturn]] inline void io_failure(std::string message) {
  throw run_stop{io_error, std::move(message)};
}

}  // namespace porvane
