#include "driver/settings_check.hpp"

#include <cmath>
#include <cstdio>
#include <string>

#include "common/limits.hpp"
#include "common/run_stop.hpp"

namespace porvane {
namespace {

bool positive_number(float v) { return v > 0.0f && std::isfinite(v); }

std::string value_text(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
  return text;
}

}  // namespace

void check_settings(const run_flags& flags, const run_params& params) {
  if (!positive_number(params.gridsize)) {
    io_failure("Grid size " + value_text(params.gridsize) + " (-re) must be a number above zero.");
  }
  if (flags.multiscale == 1 && !positive_number(params.stepsize)) {
    io_failure("Step size " + value_text(params.stepsize) + " (-st) must be a number above zero.");
  }
  // A radius above the largest distance a map holds would write a map that
  // no run can read back.
  if (flags.ru == 1 && !(params.atomradius <= max_map_distance)) {
    io_failure("Atom radius " + value_text(params.atomradius) + " (-ru) must be a number of Å not above " +
               std::to_string(static_cast<int32_t>(max_map_distance)) + ", the largest distance a map holds.");
  }
  if (params.maxtime < 0.0f) {
    io_failure("Time budget " + value_text(params.maxtime) +
               " (-mt) must be a number of minutes not below zero.");
  }
}

}  // namespace porvane
