// What the report writes while a piece of the program runs in the test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "common/report_writer.hpp"

namespace porvane::testing {

// Runs f with standard output captured; returns what the report wrote.
template <class F>
std::string captured_report(F&& f) {
  struct release {  // also when f throws
    std::string* out;
    ~release() { report().flush(), *out = ::testing::internal::GetCapturedStdout(); }
  };
  std::string out;
  ::testing::internal::CaptureStdout();
  {
    release guard{&out};
    f();
  }
  return out;
}

}  // namespace porvane::testing
