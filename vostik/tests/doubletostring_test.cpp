#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <string>

#include "doubletostring.h"
#include "vostik.h"

namespace {

// An independent exact expansion: 0.digits x 10^point, kept exact by
// schoolbook doubling and halving of a decimal digit string.
struct SlowDecimal {
    std::string digits;
    int point;

    explicit SlowDecimal(std::uint64_t m) : digits(std::to_string(m)), point(static_cast<int>(digits.size())) {}

    void twice() {
        int carry = 0;
        for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
            int d = (*it - '0') * 2 + carry;
            *it = static_cast<char>('0' + d % 10);
            carry = d / 10;
        }
        if (carry) digits.insert(digits.begin(), '1'), ++point;
    }
    void half() {
        int rest = 0;
        for (char &c : digits) {
            int d = rest * 10 + (c - '0');
            c = static_cast<char>('0' + d / 2);
            rest = d % 2;
        }
        if (rest) digits.push_back('5');
        if (digits[0] == '0') digits.erase(0, 1), --point;
    }
    // Fourteen digits rounded half up, and the point.
    std::pair<std::string, int> rounded14() const {
        std::string d = (digits + std::string(15, '0')).substr(0, 15);
        int p = point;
        if (d[14] >= '5') {
            int i = 13;
            while (i >= 0 && d[i] == '9') d[i--] = '0';
            if (i < 0) d[0] = '1', ++p; else ++d[i];
        }
        return {d.substr(0, 14), p};
    }
};

std::string text_of(double v, int decimals) {
    char buffer[200];
    std::memset(buffer, 0x55, sizeof buffer);
    EXPECT_EQ(DoubleToString(v, buffer, decimals), 0);
    // Never a byte past the 128 of the library's own text.
    EXPECT_LT(std::strlen(buffer), vostik::kNumberTextSize) << v;
    for (std::size_t i = vostik::kNumberTextSize; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0x55) << v;
    return buffer;
}

void expect_digits(double v, const SlowDecimal &exact) {
    auto [digits, point] = exact.rounded14();
    vostik::Digits14 d = vostik::decimal_digits14(v);
    ASSERT_EQ(std::string(d.digits, 14), digits) << std::hexfloat << v;
    ASSERT_EQ(d.point, point) << std::hexfloat << v;
}

TEST(DoubleToStringDigits, EveryBinaryExponentMatchesTheExactExpansion) {
    for (std::uint64_t m : {std::uint64_t{1}, (std::uint64_t{1} << 53) - 1, std::uint64_t{0x1999999999999A},
                            std::uint64_t{0x10000000000001}, std::uint64_t{6305985648311}}) {
        SlowDecimal up(m), down(m);
        for (int e = 0; std::ldexp(double(m), e) < HUGE_VAL; ++e, up.twice()) {
            expect_digits(std::ldexp(double(m), e), up);
            for (int decimals : {INT_MAX, 20, 0, -1, -2, -3, INT_MIN}) text_of(-std::ldexp(double(m), e), decimals);
        }
        for (int e = -1; e >= -1074; --e) {
            down.half();
            expect_digits(std::ldexp(double(m), e), down);
            for (int decimals : {INT_MAX, 20, -2}) text_of(-std::ldexp(double(m), e), decimals);
        }
    }
}

struct Case {
    double value;
    int decimals;
    std::string text;
};

TEST(DoubleToString, CutsTheFourteenDigitsByDecimals) {
    const Case cases[] = {
        {1234.5, 2, "1234.50"}, {1234.5, -1, "1234"}, {1234.5, -2, "1234.5"}, {1234.5, -3, "1234.5"},
        {1234.5, 0, "1234."}, {12, -2, "12."}, {12, -3, "12"}, {2.999, 2, "2.99"}, {0.05, 3, "0.050"},
        {-3.14159, 2, "-3.14"}, {0, -3, "0"}, {0, -2, "0."}, {0, 20, "0.00000000000000"},
        {0.1234567890123456, 20, "0.12345678901235"}, {12, -4, "12."}, {12, INT_MIN, "12."},
        {123.456, INT_MAX, "123.45600000000"}, {-0.000123456789, -1, "-0"}, {2.5e-5, -3, "0.000025"},
        {-0.0, 2, "0.00"},
        // Half up from the exact binary value: .25 is exact, and the double
        // nearest 1.00000000000005 lies below the half.
        {1234567890123.25, -3, "1234567890123.3"}, {99999999999999.5, -2, "100000000000000."},
        {1.00000000000005, 20, "1.0000000000000"}, {1.00000000000015, 20, "1.0000000000002"},
        {2.675, 2, "2.67"}, {0.15, -3, "0.15"},
        // From 1e14 the integer part goes on in zeros, until it no longer
        // fits; below 1e-111 the digits are written with an exponent.
        {123456789012345678.0, -2, "123456789012350000."}, {1e15, -1, "1000000000000000"},
        {-9.9999999999999e124, -3, "-99999999999999" + std::string(111, '0')},
        {1e125, 2, "1.00e+125"}, {-1.7976931348623157e308, -3, "-1.7976931348623e+308"},
        {1.2345678901234e-111, -2, "0." + std::string(110, '0') + "12345678901234"},
        {1e-112, -1, "1e-112"}, {1e-112, 0, "1.e-112"}, {4.9406564584124654e-324, -2, "4.9406564584125e-324"},
        {HUGE_VAL, 2, "inf"}, {-HUGE_VAL, -3, "-inf"}, {std::nan(""), 2, "nan"},
    };
    for (const Case &c : cases) EXPECT_EQ(text_of(c.value, c.decimals), c.text) << c.value << " " << c.decimals;
}

TEST(DoubleToString, LongestTextsFillTheBufferExactly) {
    EXPECT_EQ(text_of(-9.9999999999999e124, 5).size(), 127u);
    EXPECT_EQ(text_of(-1.2345678901234e-111, INT_MAX).size(), 127u);
}

}  // namespace
