#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "double_bits.h"
#include "vostik.h"

namespace {

using namespace vostik_test;

// The fold one turn at a time, as callers have always seen it.
double fold_by_turns(double v) {
    for (;;) {
        if (!(v < 0) && !(v > 360)) return v;
        if (v < 0) v = v + 360;
        if (v > 360) v = v - 360;
    }
}

TEST(SubKakudo, CompassPoints) {
    EXPECT_EQ(SubKakudo(0, 0), 0.0);
    EXPECT_EQ(SubKakudoD(0, 0), 0.0);
    EXPECT_EQ(SubKakudoD(1, 0), 0.0);
    EXPECT_EQ(SubKakudoD(0, 1), 90.0);
    EXPECT_EQ(SubKakudoD(-1, 0), 180.0);
    EXPECT_EQ(SubKakudoD(0, -1), 270.0);
    EXPECT_EQ(SubKakudoD(1, -1), 315.0);
    EXPECT_EQ(SubKakudo(0, -1), std::atan2(-1.0, 0.0) + 6.283185307179586);
    EXPECT_DOUBLE_EQ(SubKakudo(0, -1), 3 * 3.141592653589793 / 2);
}

TEST(SubKakudo, StaysBelowOneTurn) {
    // The smallest negative angle plus 2*pi rounds to 2*pi exactly in
    // doubles; the radian result keeps that, the degree result folds it.
    double r = SubKakudo(1, -1e-300);
    EXPECT_LE(r, 6.283185307179586);
    double d = SubKakudoD(1, -1e-300);
    EXPECT_GE(d, 0.0);
    EXPECT_LE(d, 360.0);
}

TEST(NormalizeDegree, EndsOfTheRangeStay) {
    for (double v : {0.0, 360.0, 180.0, 1e-300}) {
        double a = v;
        EXPECT_EQ(bits(NormalizeDegree(&a)), bits(v));
        EXPECT_EQ(bits(a), bits(v));
    }
    double neg_zero = -0.0;
    EXPECT_TRUE(std::signbit(NormalizeDegree(&neg_zero)));
}

TEST(NormalizeDegree, KnownValues) {
    struct { double in, out; } cases[] = {
        {-1, 359}, {-360, 0}, {-720.5, 359.5}, {725, 5}, {1000, 280}, {720, 360}, {-720, 0}, {361, 1},
    };
    for (auto c : cases) {
        double a = c.in;
        EXPECT_EQ(NormalizeDegree(&a), c.out) << c.in;
        EXPECT_EQ(a, c.out);
    }
    double a = -360;
    EXPECT_FALSE(std::signbit(NormalizeDegree(&a))) << "-360 folds to +0, as adding a turn gives";
    a = 360.0000001;
    EXPECT_EQ(NormalizeDegree(&a), 360.0000001 - 360);
}

TEST(NormalizeDegree, SameBitsAsTurnByTurnFold) {
    std::mt19937_64 rng(42);
    // Magnitudes up to 1e7 keep the reference loop short; the exactness
    // argument does not depend on magnitude below 2^56.
    std::uniform_real_distribution<double> wide(-1e7, 1e7);
    std::uniform_real_distribution<double> tiny(-1e-3, 0);
    for (int i = 0; i < 20000; ++i) {
        double v = i % 4 == 0 ? tiny(rng) : wide(rng);
        double a = v;
        double got = NormalizeDegree(&a);
        EXPECT_EQ(bits(got), bits(fold_by_turns(v))) << std::hexfloat << v;
        EXPECT_EQ(bits(a), bits(got));
    }
    // Values just below zero round up to exactly 360 in the last turn.
    for (double v : {-1e-20, -std::numeric_limits<double>::denorm_min(), -360 - 1e-13, -359.99999999999994}) {
        double a = v;
        EXPECT_EQ(bits(NormalizeDegree(&a)), bits(fold_by_turns(v))) << std::hexfloat << v;
    }
}

TEST(NormalizeDegree, LargeAndNonFiniteValuesReturn) {
    double a = 1e15;
    double r = NormalizeDegree(&a);
    EXPECT_GE(r, 0.0);
    EXPECT_LE(r, 360.0);
    EXPECT_EQ(r, std::fmod(1e15, 360.0) == 0 ? 360.0 : std::fmod(1e15, 360.0));
    a = -1e300;
    r = NormalizeDegree(&a);
    EXPECT_GE(r, 0.0);
    EXPECT_LE(r, 360.0);
    a = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(std::isnan(NormalizeDegree(&a)));
    EXPECT_TRUE(std::isnan(a));
    a = -std::numeric_limits<double>::infinity();
    EXPECT_TRUE(std::isnan(NormalizeDegree(&a)));
    a = std::nan("");
    EXPECT_TRUE(std::isnan(NormalizeDegree(&a)));
}

TEST(NormalizeVector, UnitLength) {
    double x = 3, y = 4, z = 12;
    NormalizeVector(&x, &y, &z);
    EXPECT_EQ(x, 3.0 / 13);
    EXPECT_EQ(y, 4.0 / 13);
    EXPECT_EQ(z, 12.0 / 13);
}

TEST(NormalizeVector, ZeroVectorIsLeftAsItWas) {
    double x = 0, y = -0.0, z = 0;
    NormalizeVector(&x, &y, &z);
    EXPECT_EQ(bits(x), bits(0.0));
    EXPECT_EQ(bits(y), bits(-0.0));
    EXPECT_EQ(bits(z), bits(0.0));
}

TEST(NormalizeVector, AliasedComponentsSeeTheOriginalVector) {
    double v = 3, z = 4;
    NormalizeVector(&v, &v, &z);  // (3, 3, 4): length sqrt(34)
    EXPECT_EQ(v, 3 / std::sqrt(34.0));
    EXPECT_EQ(z, 4 / std::sqrt(34.0));
}

TEST(GetVal, FieldsAndCounts) {
    // Each buffer starts as sentinels; slots beyond what GetVal stores keep them.
    constexpr double S = kSentinel;
    struct Case {
        const char *text;
        int room;
        std::vector<double> after;
    };
    for (const Case &c : {Case{"1.5, 2,x", 3, {1.5, 2.0, 0.0, S}}, Case{"1.5, 2,x", 2, {1.5, 2.0, S}},
                          Case{"7", 3, {7.0, S, S}}, Case{"", 2, {0.0, S}}, Case{"1,,3", 3, {1.0, 0.0, 3.0}},
                          // One sign at most: a second one ends the field before any digit.
                          Case{"--1,+-1,-+1,++1", 4, {0.0, 0.0, 0.0, 0.0}},
                          Case{" --inf,+ -1,-\t1,-1e-0", 4, {0.0, 0.0, 0.0, -1.0}}}) {
        std::vector<double> v(c.after.size(), kSentinel);
        GetVal(c.text, v.data(), c.room);
        EXPECT_EQ(v, c.after) << '"' << c.text << "\" into " << c.room;
    }
}

TEST(GetVal, NothingStoredForNoRoom) {
    double v[1] = {kSentinel};
    GetVal("5", v, 0);
    GetVal("5", v, -3);
    GetVal(nullptr, v, 1);
    EXPECT_EQ(v[0], kSentinel);
}

TEST(GetVal, NumberForms) {
    double v[8];
    GetVal(" +2.5e3,\t-0.125,1e400,-1e400,1e-400,.5x,0x10,inf", v, 8);
    EXPECT_EQ(v[0], 2500.0);
    EXPECT_EQ(v[1], -0.125);
    EXPECT_EQ(v[2], HUGE_VAL);
    EXPECT_EQ(v[3], -HUGE_VAL);
    EXPECT_EQ(v[4], 0.0);
    EXPECT_EQ(v[5], 0.5);
    EXPECT_EQ(v[6], 0.0) << "no hexadecimal forms: the same in both builds";
    EXPECT_EQ(v[7], HUGE_VAL);
    // Correct rounding of a long decimal, the same bits everywhere.
    GetVal("0.1000000000000000055511151231257827021181583404541015625", v, 1);
    EXPECT_EQ(v[0], 0.1);
    GetVal("2.2250738585072011e-308", v, 1);
    EXPECT_EQ(bits(v[0]), 0x000fffffffffffffULL);
}

TEST(Parallel, ExactCrossTerm) {
    EXPECT_EQ(Parallel(0, 0, 1, 1, 2, 2, 5, 5), 1);     // collinear
    EXPECT_EQ(Parallel(0, 0, 3, 4, 1, 0, 7, 8), 1);     // parallel
    EXPECT_EQ(Parallel(1, 1, 1, 1, 0, 0, 3, 7), 1);     // zero length
    EXPECT_EQ(Parallel(0, 0, 1, 0, 0, 0, 1, std::nextafter(0.0, 1.0)), 0);
    EXPECT_EQ(Parallel(0, 0, 1, 1, 0, 0, 1, 0), 0);
}

TEST(Parallel3, OnlyTheXYProjectionCounts) {
    EXPECT_EQ(Parallel3(0, 0, 0, 1, 1, 5, 0, 1, -3, 1, 2, 9), 1);
    EXPECT_EQ(Parallel3(0, 0, 0, 0, 0, 1, 1, 2, 3, 4, 5, 6), 1) << "a vertical line projects to a point";
    EXPECT_EQ(Parallel3(0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0), 0);
}

TEST(GetPerpend, Feet) {
    double x = kSentinel, y = kSentinel;
    EXPECT_EQ(GetPerpend(5, 5, 0, 0, 10, 0, &x, &y), 1);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(GetPerpend(5, 5, 0, 0, 0, 10, &x, &y), 1);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 5);
    EXPECT_EQ(GetPerpend(30, 40, 0, 0, 10, 10, &x, &y), 1);
    EXPECT_EQ(x, 35);
    EXPECT_EQ(y, 35);
    x = y = kSentinel;
    EXPECT_EQ(GetPerpend(30, 40, 2, 2, 2, 2, &x, &y), 0);
    EXPECT_EQ(x, kSentinel);
    EXPECT_EQ(y, kSentinel);
}

TEST(GetPerpend, GeneralLineUsesTheInterpolationForm) {
    double x, y;
    double x0 = 1.1, y0 = 2.3, x1 = 0.7, y1 = -0.2, x2 = 5.9, y2 = 3.3;
    ASSERT_EQ(GetPerpend(x0, y0, x1, y1, x2, y2, &x, &y), 1);
    double dx = x2 - x1, dy = y2 - y1;
    double t = ((x0 - x1) * dx + (y0 - y1) * dy) / (dx * dx + dy * dy);
    EXPECT_EQ(bits(x), bits(x1 * (1 - t) + x2 * t));
    EXPECT_EQ(bits(y), bits(y1 * (1 - t) + y2 * t));
}

TEST(GetPerpend3, Feet) {
    double x = kSentinel, y = kSentinel, z = kSentinel;
    EXPECT_EQ(GetPerpend3(3, 4, 5, 0, 0, 0, 10, 10, 10, &x, &y, &z), 1);
    EXPECT_EQ(x, 4);
    EXPECT_EQ(y, 4);
    EXPECT_EQ(z, 4);
    x = y = z = kSentinel;
    EXPECT_EQ(GetPerpend3(3, 4, 5, 1, 2, 3, 1, 2, 3, &x, &y, &z), 0);
    EXPECT_EQ(x, kSentinel);
    EXPECT_EQ(y, kSentinel);
    EXPECT_EQ(z, kSentinel);
}

}  // namespace
