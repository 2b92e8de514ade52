// Text to double the same way in both builds: the C runtime's strtod differs
// between platforms (hex, rounding of long inputs), so we use from_chars,
// which is correctly rounded everywhere, and add strtod's leading white space
// and plus sign.
#pragma once

#include <cstddef>

namespace vostik {

// Converts the longest prefix of [text, text+len) that forms a decimal
// number, after leading white space; one sign at most.  No number gives 0.
// A value too large for a double gives +-infinity, one too small +-0.
double text_to_double(const char *text, std::size_t len, std::size_t *used = nullptr);

}  // namespace vostik
