#include "number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace vostik {
namespace {

// For a decimal text that from_chars found out of range: does it overflow
// (true) or round to zero (false)?  The position of the first significant
// digit plus the exponent decides; out of range is hundreds of powers of
// ten away from 1, so the estimate need not be exact.
bool overflows(const char *p, const char *end) {
    long long position = 0;  // power of ten of the first significant digit, + 1
    bool seen_point = false, seen_digit = false;
    for (; p < end && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            seen_point = true;
        } else if (!seen_digit && *p == '0') {
            if (seen_point) --position;
        } else {
            if (!seen_point) ++position;
            seen_digit = true;
        }
    }
    long long exponent = 0;
    if (p < end) {
        ++p;
        bool neg = false;
        if (p < end && (*p == '+' || *p == '-')) neg = *p++ == '-';
        for (; p < end && *p >= '0' && *p <= '9'; ++p)
            if (exponent < 100000000) exponent = exponent * 10 + (*p - '0');
        if (neg) exponent = -exponent;
    }
    return position + exponent > 0;
}

}  // namespace

double text_to_double(const char *text, std::size_t len, std::size_t *used) {
    std::size_t i = 0;
    while (i < len && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < len && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    double value = 0.0;
    auto [end, ec] = std::from_chars(text + i, text + len, value, std::chars_format::general);
    // from_chars reads a minus sign of its own: after ours, a second sign
    // ends the number before it starts ("--1", "+-1" are no number).
    if (i < len && (text[i] == '+' || text[i] == '-')) end = text + i;
    if (end == text + i) {
        if (used) *used = 0;
        return 0.0;
    }
    if (ec == std::errc::result_out_of_range) value = overflows(text + i, end) ? HUGE_VAL : 0.0;
    if (used) *used = static_cast<std::size_t>(end - text);
    return negative ? -value : value;
}

}  // namespace vostik
