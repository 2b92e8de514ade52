// DoubleToString.  The C runtimes of our two builds round printf's digits
// differently (and one of them rounds half to even), so the decimal digits
// come from an exact expansion done here: a double is m x 2^e with integer
// m, which is the integer m x 5^-e scaled by 10^e when e < 0, so integer
// arithmetic in base 10^9 gives every digit of it exactly.
#include "doubletostring.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "vostik.h"

namespace vostik {
namespace {

constexpr std::uint32_t kBase = 1000000000;  // nine decimal digits per limb

// The longest exact expansion is that of the smallest subnormal, 5^1074 with
// 751 digits; an odd 53-bit m times 5^k stays under 768 digits, 2^1024 has
// 309.
constexpr int kMaxLimbs = 90;

// Fixed notation while its text fits in kNumberTextSize bytes with a sign and
// the final zero: up to 125 digits before the point ("-ddd...ddd." ), or up
// to 110 zeros after "0." before the fourteen digits.
constexpr int kMaxFixedPoint = 125;
constexpr int kMaxLeadingZeros = 110;

class Decimal {
public:
    explicit Decimal(std::uint64_t m) {
        while (m != 0) {
            limb_[size_++] = static_cast<std::uint32_t>(m % kBase);
            m /= kBase;
        }
    }

    // factor below 2^32: limb x factor + carry stays below 2^64.
    void multiply(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (int i = 0; i < size_; ++i) {
            std::uint64_t t = std::uint64_t{limb_[i]} * factor + carry;
            limb_[i] = static_cast<std::uint32_t>(t % kBase);
            carry = t / kBase;
        }
        while (carry != 0) {
            limb_[size_++] = static_cast<std::uint32_t>(carry % kBase);
            carry /= kBase;
        }
    }

    void multiply_pow2(int n) {
        for (; n >= 31; n -= 31) multiply(std::uint32_t{1} << 31);
        if (n > 0) multiply(std::uint32_t{1} << n);
    }

    void multiply_pow5(int n) {
        constexpr std::uint32_t kFive13 = 1220703125;  // 5^13
        for (; n >= 13; n -= 13) multiply(kFive13);
        std::uint32_t f = 1;
        for (; n > 0; --n) f *= 5;
        if (f > 1) multiply(f);
    }

    // The first `count` digits (zero-padded when there are fewer) and the
    // number of digits of the whole integer.  The integer is not zero.
    int leading_digits(char *out, int count) const {
        char top[9];
        int top_len = 0;
        for (std::uint32_t t = limb_[size_ - 1]; t != 0; t /= 10) top[top_len++] = static_cast<char>('0' + t % 10);
        int n = 0;
        while (top_len > 0 && n < count) out[n++] = top[--top_len];
        for (int i = size_ - 2; i >= 0 && n < count; --i) {
            std::uint32_t t = limb_[i];
            char group[9];
            for (int k = 8; k >= 0; --k, t /= 10) group[k] = static_cast<char>('0' + t % 10);
            for (int k = 0; k < 9 && n < count; ++k) out[n++] = group[k];
        }
        while (n < count) out[n++] = '0';
        int top_digits = 0;
        for (std::uint32_t t = limb_[size_ - 1]; t != 0; t /= 10) ++top_digits;
        return 9 * (size_ - 1) + top_digits;
    }

private:
    std::uint32_t limb_[kMaxLimbs];
    int size_ = 0;
};

}  // namespace

Digits14 decimal_digits14(double magnitude) {
    Digits14 result;
    std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude) & ~(std::uint64_t{1} << 63);
    int exponent_field = static_cast<int>(bits >> 52);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int e = -1074;
    if (exponent_field != 0) {
        m |= std::uint64_t{1} << 52;
        e = exponent_field - 1075;
    }
    if (m == 0) {
        std::memset(result.digits, '0', sizeof result.digits);
        result.point = 0;
        return result;
    }
    // Trailing zero bits only lengthen the expansion: 0.5 needs 5^1, not 5^53.
    int zeros = std::countr_zero(m);
    m >>= zeros;
    e += zeros;

    Decimal n(m);
    int scale = 0;  // magnitude = n x 10^scale
    if (e > 0) {
        n.multiply_pow2(e);
    } else if (e < 0) {
        n.multiply_pow5(-e);
        scale = e;
    }
    char first[15];
    int digit_count = n.leading_digits(first, 15);
    result.point = digit_count + scale;

    // Half up: the fifteenth digit alone decides, whatever follows it.
    if (first[14] >= '5') {
        int i = 13;
        while (i >= 0 && first[i] == '9') first[i--] = '0';
        if (i >= 0) {
            ++first[i];
        } else {
            first[0] = '1';
            ++result.point;
        }
    }
    std::memcpy(result.digits, first, sizeof result.digits);
    return result;
}

std::size_t format_number(double value, std::int32_t decimals, char *out) {
    char text[kNumberTextSize];
    std::size_t len = 0;
    auto put = [&](char c) { text[len++] = c; };
    auto put_text = [&](const char *s) {
        while (*s) put(*s++);
    };

    if (std::isnan(value)) {
        put_text("nan");
    } else if (std::isinf(value)) {
        put_text(value < 0 ? "-inf" : "inf");
    } else {
        Digits14 d = decimal_digits14(value);
        // Negative zero is written as zero: "-0.00" would be a number that
        // no caller expects.
        if (value < 0) put('-');
        bool scientific = d.point > kMaxFixedPoint || d.point < -kMaxLeadingZeros;
        if (scientific) {
            put(d.digits[0]);
            put('.');
            for (int i = 1; i < 14; ++i) put(d.digits[i]);
        } else if (d.point > 0) {
            // Past the fourteenth digit the integer part goes on in zeros.
            for (int i = 0; i < d.point || i < 14; ++i) {
                if (i == d.point) put('.');
                put(i < 14 ? d.digits[i] : '0');
            }
            if (d.point >= 14) put('.');
        } else {
            put('0');
            put('.');
            for (int i = 0; i < -d.point; ++i) put('0');
            for (char c : d.digits) put(c);
        }

        // Decimals are cut, never rounded: only the fourteen digits were.
        std::size_t dot = static_cast<std::size_t>(std::find(text, text + len, '.') - text);
        if (decimals >= 0) {
            len = static_cast<std::size_t>(std::min<std::uint64_t>(len, dot + 1 + std::uint64_t(decimals)));
        } else if (decimals == -1) {
            len = dot;
        } else {
            while (len > dot + 1 && text[len - 1] == '0') --len;
            if (decimals == -3 && len == dot + 1) len = dot;
        }

        if (scientific) {
            int exponent = d.point - 1;
            put('e');
            put(exponent < 0 ? '-' : '+');
            char digits[4];
            int n = 0;
            for (int a = exponent < 0 ? -exponent : exponent; a != 0 || n == 0; a /= 10) digits[n++] = static_cast<char>('0' + a % 10);
            while (n > 0) put(digits[--n]);
        }
    }
    std::memcpy(out, text, len);
    out[len] = '\0';
    return len;
}

}  // namespace vostik

VOSTIK_API int32_t VOSTIK_CALL DoubleToString(double value, char *buffer, int32_t decimals) {
    if (buffer) vostik::format_number(value, decimals, buffer);
    return 0;
}
