// Values as their bits, ranges of them flattened: records compared bit for bit.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace porvane::testing {

struct bit_list : std::vector<uint32_t> {
  void add(float f) { push_back(std::bit_cast<uint32_t>(f)); }
  void add(int32_t i) { push_back(static_cast<uint32_t>(i)); }
  template <class R>
  void add(const R& range) {
    for (const auto& x : range) add(x);
  }
};

}  // namespace porvane::testing
