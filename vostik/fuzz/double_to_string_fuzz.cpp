// DoubleToString on any double and any decimals: the text fits in 128 bytes,
// its digits are the exact expansion rounded half up (glibc's printf gives
// every digit exactly when asked for enough of them), and the cut obeys
// decimals.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "doubletostring.h"
#include "vostik.h"

namespace {

void check_digits(double v) {
    char exact[1100];
    std::snprintf(exact, sizeof exact, "%.800e", std::fabs(v));
    char digits[16];
    int n = 0;
    for (const char *p = exact; n < 15; ++p)
        if (*p >= '0' && *p <= '9') digits[n++] = *p;
    int point = v == 0 ? 0 : std::atoi(std::strchr(exact, 'e') + 1) + 1;
    if (digits[14] >= '5') {
        int i = 13;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i < 0) {
            digits[0] = '1';
            ++point;
        } else {
            ++digits[i];
        }
    }
    vostik::Digits14 d = vostik::decimal_digits14(v);
    if (std::memcmp(d.digits, digits, 14) != 0 || d.point != point) {
        std::fprintf(stderr, "digits of %a: got %.14s e%d, want %.14s e%d\n", v, d.digits, d.point, digits, point);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::uint8_t input[12] = {};
    std::memcpy(input, data, size < sizeof input ? size : sizeof input);
    double value;
    std::int32_t decimals;
    std::memcpy(&value, input, 8);
    std::memcpy(&decimals, input + 8, 4);

    // Exactly 128 bytes of heap, so that one byte more is a reported overflow.
    char *buffer = static_cast<char *>(std::malloc(vostik::kNumberTextSize));
    if (DoubleToString(value, buffer, decimals) != 0) std::abort();
    std::size_t len = std::strlen(buffer);
    if (len >= vostik::kNumberTextSize) std::abort();

    if (std::isfinite(value)) {
        check_digits(value);
        const char *dot = std::strchr(buffer, '.');
        const char *exponent = std::strchr(buffer, 'e');
        const char *end = exponent ? exponent : buffer + len;
        if (decimals == -1 && dot) std::abort();
        if (decimals >= 0 && (!dot || end - dot - 1 > decimals)) std::abort();
        if (decimals == -2 && end[-1] == '0' && dot && end - 1 > dot) std::abort();
        // Nothing cut: the text reads back as the value to fourteen digits.
        if (decimals == -2) {
            double back = std::strtod(buffer, nullptr);
            if (std::fabs(back - value) > std::fabs(value) * 1e-13) std::abort();
        }
    }
    std::free(buffer);
    return 0;
}
