// nint of a single-precision value as an integer, halves away from zero.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace porvane {

// nint with halves away from zero, as an int32, computed in line: the
// truncated value and the exact remainder e − trunc(e) decide the rounding.
// Values beyond the int32 range are held at its ends; not a number gives 0.
inline int32_t nearest_int(float e) {
  constexpr float limit = 2147483648.0f;  // 2^31
  if (!(std::fabs(e) < limit)) {
    if (std::isnan(e)) return 0;
    return e > 0.0f ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
  }
  const int32_t t = static_cast<int32_t>(e);
  const float rest = e - static_cast<float>(t);
  if (rest >= 0.5f) return t + 1;
  if (rest <= -0.5f) return t - 1;
  return t;
}

}  // namespace porvane
