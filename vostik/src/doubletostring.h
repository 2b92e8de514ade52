// Number to text for DoubleToString: exact decimal digits of a double,
// computed here rather than by the C runtime, so that every build writes the
// same bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vostik {

// Every text DoubleToString writes fits in this many bytes with its zero.
inline constexpr std::size_t kNumberTextSize = 128;

// |value| = 0.d1d2...d14 x 10^point, rounded half up at the fourteenth
// significant digit from the exact binary value.  Zero gives fourteen '0'
// and point 0.  The sign and non-finite values are the caller's business.
struct Digits14 {
    char digits[14];
    int point;
};
Digits14 decimal_digits14(double magnitude);

// The whole text of DoubleToString(value, ..., decimals) into out, which
// receives at most kNumberTextSize bytes; returns its length without the
// zero.
std::size_t format_number(double value, std::int32_t decimals, char *out);

}  // namespace vostik
