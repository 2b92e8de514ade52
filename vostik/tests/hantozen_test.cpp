#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "codepage.h"
#include "fullwidth_expect.h"
#include "hantozen.h"
#include "vostik.h"

#if defined(__GLIBC__)
#include <iconv.h>
#endif
#if defined(__unix__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

std::string convert(unsigned codepage, const std::string &source, std::size_t *count) {
    std::string target(2 * source.size() + 1, '\x55');
    *count = vostik::han_to_zen(source.c_str(), target.data(), codepage);
    return target;
}

#if defined(__GLIBC__)
char16_t decode_932(const char *pair) {
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
    char in[2] = {pair[0], pair[1]};
    unsigned char out[4] = {};
    char *ip = in, *op = reinterpret_cast<char *>(out);
    std::size_t il = 2, ol = sizeof out;
    std::size_t rc = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    return rc == static_cast<std::size_t>(-1) || ol != 2 ? 0 : static_cast<char16_t>(out[0] | out[1] << 8);
}
#endif

TEST(HanToZen, EveryByteUnderCodePage932) {
    for (int b = 1; b < 256; ++b) {
        std::size_t n = 0;
        std::string out = convert(932, std::string(1, static_cast<char>(b)), &n);
        ASSERT_EQ(n, 2u) << b;
        unsigned char hi = static_cast<unsigned char>(out[0]);
        [[maybe_unused]] unsigned char lo = static_cast<unsigned char>(out[1]);
        char16_t wide = full_width_of(static_cast<unsigned char>(b));
        bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        if (lead) {
            // A lead byte at the end takes the zero along.
            EXPECT_EQ(out, std::string({static_cast<char>(b), '\0', '\0'})) << b;
        } else if (wide != 0) {
            EXPECT_TRUE(hi >= 0x81 && hi <= 0x83) << b;
            EXPECT_EQ(out[2], '\0');
#if defined(__GLIBC__)
            EXPECT_EQ(decode_932(out.data()), wide) << std::hex << b << " gave " << (hi << 8 | lo);
#endif
        } else {
            EXPECT_EQ(out, std::string({'\0', static_cast<char>(b), '\0'})) << b;
        }
    }
}

TEST(HanToZen, EveryByteUnderASingleBytePage) {
    for (int b = 1; b < 256; ++b) {
        std::size_t n = 0;
        EXPECT_EQ(convert(1252, std::string(1, static_cast<char>(b)), &n), std::string({'\0', static_cast<char>(b), '\0'}));
        EXPECT_EQ(n, 2u);
    }
}

struct Case {
    unsigned codepage;
    std::string source, target;  // target up to the final zero
};

TEST(HanToZen, Texts) {
    const Case cases[] = {
        {932, "A1", "\x82\x60\x82\x50"},
        {932, "", ""},
        // The trail byte 0x5C of a double-byte character is not a backslash.
        {932, "\x95\x5C\\A", std::string("\x95\x5C\x81\x8F\x82\x60")},
        // Kana and sound mark stay two characters.
        {932, "\xB6\xDE\xCA\xDF", "\x83\x4A\x81\x4A\x83\x6E\x81\x4B"},
        {932, "A\x82", std::string("\x82\x60\x82\0", 4)},
        {932, "\tA\x80", std::string("\0\t\x82\x60\0\x80", 6)},
        {1252, "A1", std::string("\0A\0001", 4)},
        {1252, "\x82\x60", std::string("\0\x82\0\x60", 4)},
        // A double-byte page other than Shift-JIS keeps its characters and
        // widens nothing.
        {936, "\xB1\xED" "A\x80", std::string("\xB1\xED\0A\0\x80", 6)},
    };
    for (const Case &c : cases) {
        std::size_t n = 0;
        std::string out = convert(c.codepage, c.source, &n);
        EXPECT_EQ(n, c.target.size()) << c.codepage << " " << c.source;
        EXPECT_EQ(out.substr(0, n + 1), c.target + '\0') << c.codepage << " " << c.source;
    }
}

// Long texts go through the conversion in blocks: lead-byte values in runs of
// every length, at and across every block boundary, must still pair up as
// the byte-by-byte walk pairs them, and nothing is written after the zero.
TEST(HanToZen, LongTextsPairUpAsTheByteWalkDoes) {
    const unsigned char alphabet[] = {0x81, 0x81, 0x81, 0xE0, 'A', ' ', 0x5C, 0xB6, 0xDE, 0x80, 0xFF};
    std::mt19937 random(10);
    for (unsigned page : {932u, 936u, 1252u}) {
        for (std::size_t len = 1; len <= 1000; len += 1 + len / 40) {
            for (int round = 0; round < 20; ++round) {
                // Rounds 0 and 1: one run of lead-byte values through whole
                // blocks, starting on an even or an odd byte.  Rounds 2 to
                // 10: any mix; the others: lead bytes few and far between,
                // as in most text.
                std::string source(len, '\x81');
                if (round == 1) source[0] = 'A';
                for (char &c : source) {
                    if (round > 1 && round <= 10) c = static_cast<char>(alphabet[random() % sizeof alphabet]);
                    if (round > 10) c = random() % 12 == 0 ? '\x95' : static_cast<char>(alphabet[4 + random() % 7]);
                }
                std::string want;
                for (std::size_t i = 0; i < len; ++i) {
                    auto b = static_cast<unsigned char>(source[i]);
                    if (vostik::is_lead_byte_in(page, b)) {
                        want += source[i];
                        want += i + 1 < len ? source[++i] : '\0';
                    } else {
                        std::uint16_t w = vostik::full_width_code(page, b);
                        want += static_cast<char>(w >> 8);
                        want += static_cast<char>(w & 0xFF);
                    }
                }
                std::size_t n = 0;
                std::string out = convert(page, source, &n);
                ASSERT_EQ(out, want + '\0' + std::string(2 * len - want.size(), '\x55')) << page << " " << len;
                ASSERT_EQ(n, want.size());
                if (page == vostik::ansi_codepage()) {
                    std::string got(out.size(), '\x55');
                    ASSERT_EQ(HanToZen(source.c_str(), got.data()), static_cast<int32_t>(n));
                    ASSERT_EQ(got, out) << page << " " << len;
                }
            }
        }
    }
}

// The export follows the process's code page, and its lead bytes come from
// the platform: both must agree with the page-as-argument conversion.
TEST(HanToZen, ExportFollowsTheProcessCodePage) {
    if (const char *expected = std::getenv("VOSTIK_EXPECT_CODEPAGE")) {
        ASSERT_EQ(vostik::ansi_codepage(), std::strtoul(expected, nullptr, 10));
    }
    unsigned page = vostik::ansi_codepage();
    for (int b = 1; b < 256; ++b) {
        for (std::string source : {std::string(1, static_cast<char>(b)), std::string{static_cast<char>(b), 'A', 'z'}}) {
            std::size_t n = 0;
            std::string want = convert(page, source, &n);
            std::string got(want.size(), '\x55');
            ASSERT_EQ(HanToZen(source.c_str(), got.data()), static_cast<int32_t>(n)) << page << " " << b;
            EXPECT_EQ(got, want) << page << " " << b;
        }
    }
    char out[5];
    EXPECT_EQ(HanToZen("A1", out), 4);
    EXPECT_EQ(std::string(out, 5), page == 932 ? std::string("\x82\x60\x82\x50", 5) : std::string("\0A\0001", 5));
}

#if defined(__unix__)
// A text whose zero is the last byte before a page that cannot be read, with
// zeros before it, converted into a target whose zero is the last byte before
// a page that cannot be written: the search for the end reads whole aligned
// groups, which must stay on the text's page and skip the zeros before the
// text, and nothing is read or written past either zero.
TEST(HanToZen, TextAndTargetEndingAtPagesThatCannotBeTouched) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void *map = mmap(nullptr, 4 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(map, MAP_FAILED);
    char *end = static_cast<char *>(map) + page, *target_end = static_cast<char *>(map) + 3 * page;
    ASSERT_EQ(mprotect(end, page, PROT_NONE), 0);
    ASSERT_EQ(mprotect(target_end, page, PROT_NONE), 0);
    const std::string piece = "Layer 12: \xB6\xDE \x95\x5C\x8E\xA6 (x=1.5) ";
    for (unsigned codepage : {932u, 936u, 1252u}) {
        for (std::size_t len : {0, 1, 63, 64, 65, 255, 256, 257, 448, 449, 705, 1000, 2047}) {
            std::string source;
            while (source.size() < len) source += piece;
            source.resize(len);
            char *text = end - len - 1;
            std::memcpy(text, source.c_str(), len + 1);
            std::size_t want_n = 0, n = 0;
            const std::string want = convert(codepage, source, &want_n);
            char *target = target_end - want_n - 1;
            n = vostik::han_to_zen(text, target, codepage);
            ASSERT_EQ(n, want_n) << codepage << " " << len;
            ASSERT_EQ(std::string(target, n + 1), want.substr(0, n + 1)) << codepage << " " << len;
            std::memset(text, 0, len + 1);
        }
    }
    munmap(map, 4 * page);
}
#endif

}  // namespace
