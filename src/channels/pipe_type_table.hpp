// Type of a cluster by its three direction letters, and the cells of the
// bottleneck tensor that a cluster of that kind sets to the cutoff.
#pragma once

#include <cstdint>
#include <string_view>

namespace porvane {

struct pipe_type {
  const char* letters;  // direction letters for a, b, c: "A"/"a"/"." ...
  const char* type;     // "3D ", "2D ", "1D " or "0D "
  uint16_t cells;       // bit 3·(row−1) + (column−1) set for each tensor cell set
};

// The entry for three direction letters (one of the 27 combinations).
const pipe_type& look_up_pipe_type(std::string_view letters);

}  // namespace porvane
