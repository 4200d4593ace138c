// The figures of the crystal that the channel stages read besides its cell
// frame: a few numbers, not the whole crystal record.
#pragma once

namespace porvane {

struct crystal_figures {
  float facearea[3] = {0, 0, 0};  // face areas perpendicular to a, b, c (Å²)
  float solvent = 0.0f;           // solvent fraction
  float vm = 0.0f;                // Matthews coefficient (Å³/Da)
};

}  // namespace porvane
