// ParseString: tokenizer, precedence, reductions and result codes.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

#include "codepage.h"
#include "parse.h"
#include "vostik.h"

namespace {

struct Case {
    const char *text;
    double value;
    int32_t code;
};

void expect_case(const Case &c) {
    SCOPED_TRACE(std::string("text: \"") + c.text + "\"");
    double result = 12345;
    EXPECT_EQ(ParseString(c.text, &result), c.code);
    EXPECT_EQ(result, c.value);
}

TEST(ParseString, DocumentedExamples) {
    const Case cases[] = {
        {"2*(3+4.5)", 15, 0},  {"1+2=3", 3, 0},       {"10/4", 2.5, 0},       {"2^3^2", 512, 0},
        {"-2^2", -4, 0},       {"2*-3", 0, 0x8000},   {"2*(-3)", -6, 0},      {"7%3", 1, 0},
        {"7.9%3", 1, 0},       {"-7%3", -1, 0},       {"1,000.5+1", 1001.5, 0}, {"1.2.3", 0, 0},
        {"5+1.2.3", 0, 0x8000}, {"10/0", 0, 1},       {"5%0.5", 0, 1},        {"0^(-1)", 0, 2},
        {"0^-1", 0, 0x8000},   {"sin(1)", 1, 0},      {"2x3", 0, 0x8000},     {"()", 0, 0x8000},
        {"5 +", 0, 0x8000},    {"(5", 5, 0},          {"5)", 0, 0x8000},      {"", 0, 0},
        {"abc", 0, 0},         {"#5", 0, 0},
    };
    for (const Case &c : cases) expect_case(c);
}

TEST(ParseString, PrecedenceAndAssociativity) {
    const Case cases[] = {
        {"10-4-3", 3, 0},     {"100/10/5", 2, 0},   {"2+3*4", 14, 0},     {"2*3+4", 10, 0},
        {"2*3^2", 18, 0},     {"17%5*2", 4, 0},     {"2^(1+1)^3", 256, 0}, {"-(2+3)*2", -10, 0},
        {"+5-+1", 0, 0x8000}, {"+5", 5, 0},         {"((((7))))", 7, 0},  {"--1", 0, 0x8000},
        {"(1)(2)", 0, 0x8000}, {"3*(", 0, 0x8000},  {"(1+2", 3, 0},       {"((2", 2, 0},
        {"-", 0, 0x8000},     {")", 0, 0x8000},     {"*", 0, 0x8000},
    };
    for (const Case &c : cases) expect_case(c);
}

// An unclosed "(" is closed at the end of the expression, so what stands
// outside it still applies.
TEST(ParseString, OpenParenthesesCloseAtTheEnd) {
    const Case cases[] = {
        {"2*(3+4", 14, 0}, {"-(3", -3, 0}, {"1+(2*(3", 7, 0}, {"(5=3", 5, 0},
        {"2^(1+1", 4, 0},  {"3*(", 0, 0x8000}, {"(", 0, 0x8000}, {"(1))", 0, 0x8000},
    };
    for (const Case &c : cases) expect_case(c);
}

TEST(ParseString, TokenizerRules) {
    const Case cases[] = {
        {" 2 \t* 3 ", 6, 0},  {"2\n+5", 2, 0},      {"4\r\n9", 4, 0},
        {"5#3", 5, 0},        {"=7", 0, 0},        {"1e3", 0, 0x8000},   {"12mm+3cm", 15, 0}, {"1,2.5", 12.5, 0},
        {"1,,2", 12, 0},      {",5", 0, 0},         {"5,", 5, 0},        {"1.5,0", 0, 0},
        {"2+.5.", 0, 0x8000}, {"7.", 7, 0},         {".", 0, 0},         {"3!", 3, 0},
        {"3;4", 3, 0},        {"3:4", 3, 0},   {"2\x80" "3", 0, 0x8000},
        // Only digits make a number: no sign, hexadecimal or special value is read as one.
        {"inf", 0, 0},        {"-nan", 0, 0x8000}, {"0x10", 0, 0x8000}, {"1-+1", 0, 0x8000},
    };
    for (const Case &c : cases) expect_case(c);
}

// Digits are combined one by one in doubles, not rounded from the whole text.
TEST(ParseString, NumbersAreBuiltDigitByDigit) {
    double r = 0;
    ASSERT_EQ(ParseString(".3", &r), 0);
    EXPECT_EQ(r, 3 * 0.1);
    ASSERT_EQ(ParseString("0.123", &r), 0);
    double expected = 0.0, scale = 1.0;
    for (int d : {1, 2, 3}) {
        scale = scale * 0.1;
        expected = expected + d * scale;
    }
    EXPECT_EQ(r, expected);
    ASSERT_EQ(ParseString("123456789012345678901234567890", &r), 0);
    EXPECT_DOUBLE_EQ(r, 1.2345678901234568e29);
}

TEST(ParseString, DivisionThreshold) {
    double r = 0;
    EXPECT_EQ(ParseString("1/0.0000000000001", &r), 0);  // 1e-13, built digit by digit
    EXPECT_NEAR(r, 1e13, 1e3);
    r = 7;
    EXPECT_EQ(ParseString("1/0.00000000000001", &r), 1);  // 1e-14
    EXPECT_EQ(r, 0);
    EXPECT_EQ(ParseString("1/(-0.00000000000001)", &r), 1);
    EXPECT_EQ(ParseString("0/5", &r), 0);
    EXPECT_EQ(r, 0);
}

TEST(ParseString, RemainderFollowsTheLeftSignAndNeverTraps) {
    const Case cases[] = {
        {"7%(-3)", 1, 0},
        {"(-7)%(-3)", -1, 0},
        {"(-2147483648)%(-1)", 0, 0},
        {"(-2147483648)%2147483647", -1, 0},
        {"2147483647%(-2147483648)", 2147483647, 0},
        {"5%(-0.9)", 0, 1},
        // Beyond 32 bits: the exact remainder of the truncated values.
        {"4294967297%2", 1, 0},
        {"(-10000000000)%3", -1, 0},
        {"5%4294967296", 5, 0},
        {"9007199254740993%10", 2, 0},  // the operand itself rounds to ...992
        {"100000000000000000000%7", std::fmod(1e20, 7), 0},
    };
    for (const Case &c : cases) expect_case(c);

    double r = 0;
    ASSERT_EQ(ParseString("(-4)%2", &r), 0);
    EXPECT_FALSE(std::signbit(r));
    std::string huge = "1" + std::string(400, '0');  // overflows to infinity
    ASSERT_EQ(ParseString((huge + "%3").c_str(), &r), 0);
    EXPECT_TRUE(std::isnan(r));
    ASSERT_EQ(ParseString(("7.5%" + huge).c_str(), &r), 0);
    EXPECT_EQ(r, 7);
}

TEST(ParseString, Power) {
    double r = 0;
    ASSERT_EQ(ParseString("0^0", &r), 0);
    EXPECT_EQ(r, 1);
    // Found by fuzzing: a lone point is the number 0, so a text without a
    // digit can still evaluate to 1.
    ASSERT_EQ(ParseString(".^.", &r), 0);
    EXPECT_EQ(r, 1);
    ASSERT_EQ(ParseString("2^0.5", &r), 0);
    EXPECT_DOUBLE_EQ(r, std::sqrt(2.0));
    ASSERT_EQ(ParseString("(-8)^(1/3)", &r), 0);
    EXPECT_TRUE(std::isnan(r));
    ASSERT_EQ(ParseString("(-2)^3", &r), 0);
    EXPECT_EQ(r, -8);
    r = 3;
    EXPECT_EQ(ParseString("0^(-0.5)", &r), 2);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(ParseString("1+(0^(-2))*0", &r), 2);
}

TEST(ParseString, NullArguments) {
    double r = 5;
    EXPECT_EQ(ParseString(nullptr, &r), 0);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(ParseString("1+1", nullptr), 0);
    EXPECT_EQ(ParseString("1/0", nullptr), 1);
}

bool lead_932(unsigned char c) { return vostik::is_lead_byte_in(932, c); }
bool no_lead(unsigned char) { return false; }

void *heap(void *block, std::size_t size) {
    if (size == 0) {
        std::free(block);
        return nullptr;
    }
    return std::realloc(block, size);
}

// A trail byte that happens to be an ASCII operator or digit must not be
// read as one when the code page makes its lead byte a lead byte.
TEST(ParseString, DoubleByteCharactersAreSkippedWhole) {
    double r = 0;
    const char *text = "2*3\x83\x5E";  // a katakana whose trail byte is '^'
    EXPECT_EQ(vostik::parse_expression(text, &r, heap, lead_932), 0);
    EXPECT_EQ(r, 6);
    EXPECT_EQ(vostik::parse_expression(text, &r, heap, no_lead), 0x8000);
    EXPECT_EQ(vostik::parse_expression("4\x82\x31" "0", &r, heap, lead_932), 0x8000);  // "4" and "0"
    EXPECT_EQ(vostik::parse_expression("4+1\x83", &r, heap, lead_932), 0);  // lone lead byte at the end
    EXPECT_EQ(r, 5);
}

struct CountingHeap {
    static inline int calls = 0, fail_from = 0, live = 0;
    static void *reallocate(void *block, std::size_t size) {
        if (size == 0) {
            if (block) --live;
            std::free(block);
            return nullptr;
        }
        if (++calls >= fail_from) return nullptr;
        if (!block) ++live;
        return std::realloc(block, size);
    }
};

TEST(ParseString, OutOfMemoryGives0x101AndReleasesEverything) {
    for (int fail_from : {1, 2, 3}) {
        SCOPED_TRACE(fail_from);
        CountingHeap::calls = 0;
        CountingHeap::live = 0;
        CountingHeap::fail_from = fail_from;
        std::string deep = std::string(1000, '(') + "1";  // needs the stack to grow twice
        double r = 9;
        EXPECT_EQ(vostik::parse_expression(deep.c_str(), &r, CountingHeap::reallocate, no_lead), 0x101);
        EXPECT_EQ(r, 0);
        EXPECT_EQ(CountingHeap::live, 0);
    }
    CountingHeap::calls = 0;
    CountingHeap::fail_from = 1000;
    double r = 0;
    EXPECT_EQ(vostik::parse_expression("(((1", &r, CountingHeap::reallocate, no_lead), 0);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(CountingHeap::live, 0);
}

// Ten megabytes of text, long and deeply nested, evaluate without growing
// the call stack (a recursive parser would overflow it).
TEST(ParseString, TenMegabyteExpressions) {
    constexpr std::size_t kTerms = 5u << 20;
    std::string sum;
    sum.reserve(2 * kTerms);
    for (std::size_t i = 1; i < kTerms; ++i) sum += "1+";
    sum += "1";
    double r = 0;
    ASSERT_EQ(ParseString(sum.c_str(), &r), 0);
    EXPECT_EQ(r, static_cast<double>(kTerms));

    std::string nested = std::string(kTerms, '(') + "2" + std::string(kTerms, ')');
    ASSERT_EQ(ParseString(nested.c_str(), &r), 0);
    EXPECT_EQ(r, 2);

    std::string powers;  // right-associative: the whole chain waits on the stack
    for (std::size_t i = 1; i < kTerms / 4; ++i) powers += "1^";
    powers += "1";
    ASSERT_EQ(ParseString(powers.c_str(), &r), 0);
    EXPECT_EQ(r, 1);

    nested.back() = '+';  // one surplus operator at the very end
    r = 3;
    EXPECT_EQ(ParseString(nested.c_str(), &r), 0x8000);
    EXPECT_EQ(r, 0);
}

}  // namespace
