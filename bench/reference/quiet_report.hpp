// Runs a stage with the report (standard output) sent to /dev/null, for
// benchmarks that time the stage and not the writing of its lines.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "common/report_writer.hpp"

namespace porvane::bench {

template <class F>
void silently(F&& f) {
  report().flush();
  std::fflush(stdout);
  const int saved = dup(1);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  f();
  report().flush();
  std::fflush(stdout);
  dup2(saved, 1);
  close(null);
  close(saved);
}

}  // namespace porvane::bench
