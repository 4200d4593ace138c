#include <string>
#include <vector>

#include "driver/run_sequence.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return porvane::run_porvane(args);
}
