#pragma once

#include <cstdint>

namespace family {

// A reward in currency units as whole cents, rounded half up on the decimal the
// app sent (the shortest text that reads back as this double), so that 12.345
// gives 1235 although the nearest double lies a hair below 12.345. The reward
// must be finite, positive and at most 1e9.
std::int64_t rewardCents(double units);

}  // namespace family
