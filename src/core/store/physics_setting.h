// Which physics the computations follow: the formulas as the program has
// always computed them ("as published"), or their textbook form
// ("corrected"). docs/physics.md lists the six differences. The choice is
// handed down to every computation it reaches; nothing reads it from a
// global, so that fits of separate stores may run on separate threads.
#pragma once

#include <cstdint>

namespace mtvuk {

enum class Physics : std::int16_t { kPublished = 0, kCorrected = 1 };

// "published" or "corrected": the words of the command line and its JSON.
inline const char* PhysicsName(Physics physics) {
  return physics == Physics::kCorrected ? "corrected" : "published";
}

}  // namespace mtvuk
