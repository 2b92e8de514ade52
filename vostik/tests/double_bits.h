// What the floating-point tests share: a sentinel that no function stores by
// chance, one degree in radians, a double's bit pattern for exact
// comparisons, and a value the compiler cannot fold at compile time.
#pragma once

#include <bit>
#include <cstdint>

namespace vostik_test {

inline constexpr double kSentinel = -12345.678;
inline constexpr double kDeg = 0.017453292519943295;

inline std::uint64_t bits(double d) { return std::bit_cast<std::uint64_t>(d); }

// Keeps the compiler from folding math calls with its own exact arithmetic.
inline double opaque(double v) {
    volatile double t = v;
    return t;
}

}  // namespace vostik_test
