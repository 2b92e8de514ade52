#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "beep.h"
#include "vostik.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace {

using Bytes = std::array<unsigned char, 4>;

Bytes to_ieee(Bytes b) {
    Bytes out{};
    MSBinToIEEE(b.data(), out.data());
    return out;
}
Bytes to_mbf(Bytes b) {
    Bytes out{};
    IEEEToMSBin(b.data(), out.data());
    return out;
}

TEST(ZynBeep, KindPicksTheSoundTypeByItsLow16Bits) {
    struct {
        std::int32_t kind;
        std::uint32_t type;
    } const cases[] = {
        {0, 0xFFFFFFFF}, {1, 0x40}, {2, 0x30}, {3, 0x20}, {4, 0x00}, {5, 0xFFFFFFFF}, {7, 0xFFFFFFFF},
        {0x10001, 0x40}, {0x7FFF0004, 0x00}, {0x8001, 0xFFFFFFFF},
        // Negative kinds once read before the table; they get the simple beep.
        {-1, 0xFFFFFFFF}, {-4, 0xFFFFFFFF}, {-32768, 0xFFFFFFFF}, {INT32_MIN, 0xFFFFFFFF},
    };
    for (const auto &c : cases) EXPECT_EQ(vostik::beep_sound_type(c.kind), c.type) << c.kind;
}

TEST(ZynBeep, ReportsWhetherItSounded) {
#if defined(_WIN32)
    EXPECT_NE(ZynBeep(-7), 0);
#else
    // No terminal on standard error: nothing sounds, and nothing is written.
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    int saved = dup(STDERR_FILENO);
    dup2(pipe_fds[1], STDERR_FILENO);
    std::int32_t result = ZynBeep(2);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(pipe_fds[1]);
    char c;
    EXPECT_EQ(result, 0);
    EXPECT_EQ(read(pipe_fds[0], &c, 1), 0);
    close(pipe_fds[0]);
#endif
}

TEST(MBF, KnownValues) {
    EXPECT_EQ(to_ieee({0x00, 0x00, 0x00, 0x81}), (Bytes{0x00, 0x00, 0x80, 0x3F}));
    EXPECT_EQ(to_mbf({0x00, 0x00, 0x80, 0x3F}), (Bytes{0x00, 0x00, 0x00, 0x81}));
    EXPECT_EQ(to_mbf({0x00, 0x00, 0x20, 0xC1}), (Bytes{0x00, 0x00, 0xA0, 0x84}));
    EXPECT_EQ(to_ieee({0x12, 0x34, 0xD6, 0x00}), (Bytes{}));
    EXPECT_EQ(to_mbf(Bytes{}), Bytes{});
    // No range checks: the exponent wraps.
    EXPECT_EQ(to_mbf({0x00, 0x00, 0x00, 0x80}), (Bytes{0x00, 0x00, 0x80, 0x02}));  // -0
    EXPECT_EQ(to_mbf({0x01, 0x00, 0x00, 0x7F}), (Bytes{0x01, 0x00, 0x00, 0x00}));  // exponent 254
    EXPECT_EQ(to_mbf({0x00, 0x00, 0x80, 0xFF}), (Bytes{0x00, 0x00, 0x80, 0x01}));  // -infinity
    EXPECT_EQ(to_ieee({0x00, 0x00, 0x00, 0x01}), (Bytes{0x00, 0x00, 0x80, 0x7F}));
    EXPECT_EQ(to_ieee({0x00, 0x00, 0x80, 0x02}), (Bytes{0x00, 0x00, 0x00, 0x80}));
}

// Every exponent byte, both signs, several mantissas: the IEEE number has the
// MBF value 0.1m x 2^(E-128) wherever that is a normal single, and the
// conversion back restores the bytes.
TEST(MBF, EveryExponentByteKeepsValueAndRoundTrips) {
    for (std::uint32_t mantissa : {0u, 0x7FFFFFu, 0x2AAAAAu, 0x400001u, 0x123456u}) {
        for (unsigned sign : {0u, 0x80u}) {
            for (unsigned e = 1; e < 256; ++e) {
                Bytes mbf = {static_cast<unsigned char>(mantissa), static_cast<unsigned char>(mantissa >> 8),
                             static_cast<unsigned char>(sign | (mantissa >> 16)), static_cast<unsigned char>(e)};
                Bytes ieee = to_ieee(mbf);
                if (e >= 3) {
                    float want = std::ldexp(static_cast<float>(0x800000 | mantissa), static_cast<int>(e) - 152);
                    EXPECT_EQ(std::bit_cast<float>(ieee), sign ? -want : want) << e << " " << mantissa;
                }
                bool became_zero = ieee == Bytes{};  // +0 from exponent 2 reads as the MBF zero
                EXPECT_EQ(to_mbf(ieee), became_zero ? Bytes{} : mbf) << e << " " << mantissa;

                // Same bytes in and out.
                Bytes in_place = mbf;
                MSBinToIEEE(in_place.data(), in_place.data());
                EXPECT_EQ(in_place, ieee);
                IEEEToMSBin(in_place.data(), in_place.data());
                EXPECT_EQ(in_place, to_mbf(ieee));
            }
        }
    }
}

TEST(PaletteRGB, BuildsPaletteRelativeValues) {
    EXPECT_EQ(XorPALETTERGB(0x00FF0000, 0x000000FF), 0x02FF00FFu);
    EXPECT_EQ(XorPALETTERGB(0xFF123456, 0x7F123456), 0x02000000u);
    EXPECT_EQ(XorPALETTERGB(0x01A5A5A5, 0x025A5A5A), 0x02FFFFFFu);
    EXPECT_EQ(MakePALETTERGB(0xAA123456), 0x02123456u);
    EXPECT_EQ(MakePALETTERGB(0), 0x02000000u);
}

}  // namespace
