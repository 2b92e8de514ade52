#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "double_bits.h"
#include "vostik.h"

namespace {

using namespace vostik_test;

struct Pt {
    double x = kSentinel, y = kSentinel;
};

TEST(CurvePoints, KnownPoints) {
    Pt a, b;
    GetArcPoint(1, 2, 10, 90, &a.x, &a.y);
    GetAnglePosition(1, 2, 10, 90, &b.x, &b.y);
    EXPECT_NEAR(a.x, 1, 1e-14);
    EXPECT_EQ(a.y, 12);
    EXPECT_EQ(bits(a.x), bits(b.x));
    GetArcPoint(1, 2, -10, 90, &a.x, &a.y);  // a negative radius reaches the other side
    EXPECT_EQ(a.y, -8);

    struct { double t, s2x, s2y, s3x, s3y, bx, by; } cases[] = {
        {0, 5, 5, 6, 4, 0, 0}, {0.5, 10, 7.5, 9, 3, 5, 7.5}, {1, 15, 5, 12, 2, 10, 0}};
    for (auto &c : cases) {
        Pt s2, s3, bz;
        GetSpline2Point(0, 0, 10, 10, 20, 0, c.t, &s2.x, &s2.y);
        GetSpline3Point(0, 0, 6, 6, 12, 0, 18, 6, c.t, &s3.x, &s3.y);
        GetBezierPoint(0, 0, 0, 10, 10, 10, 10, 0, c.t, &bz.x, &bz.y);
        EXPECT_NEAR(s2.x, c.s2x, 1e-14); EXPECT_NEAR(s2.y, c.s2y, 1e-14);
        EXPECT_NEAR(s3.x, c.s3x, 1e-14); EXPECT_NEAR(s3.y, c.s3y, 1e-14);
        EXPECT_EQ(bz.x, c.bx); EXPECT_EQ(bz.y, c.by);
    }
}

// The weights step by step, as callers have always had them.
TEST(CurvePoints, SameBitsAsTheWeightsAndJoinedPiecesMeet) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> c(-1e6, 1e6), t01(-0.5, 1.5);
    for (int i = 0; i < 500; ++i) {
        double p[10], t = t01(rng), d = opaque(c(rng));
        for (double &v : p) v = c(rng);
        Pt a, s2, s3, bz;
        GetArcPoint(p[0], p[1], p[2], d, &a.x, &a.y);
        EXPECT_EQ(bits(a.x), bits(p[0] + p[2] * std::cos(d * kDeg)));
        EXPECT_EQ(bits(a.y), bits(p[1] + p[2] * std::sin(d * kDeg)));

        double u = 1 - t, q1 = u * u / 2, q2 = 0.5 + t - t * t, q3 = t * t / 2;
        GetSpline2Point(p[0], p[1], p[2], p[3], p[4], p[5], t, &s2.x, &s2.y);
        EXPECT_EQ(bits(s2.y), bits(q1 * p[1] + q2 * p[3] + q3 * p[5]));
        double c1 = u * u * u * 0.16666666666666666, c2 = 0.6666666666666666 - t * t + t * t * t / 2,
               c3 = 0.16666666666666666 + t / 2 + t * t / 2 - t * t * t / 2, c4 = t * t * t * 0.16666666666666666;
        GetSpline3Point(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], t, &s3.x, &s3.y);
        EXPECT_EQ(bits(s3.x), bits(c1 * p[0] + c2 * p[2] + c3 * p[4] + c4 * p[6]));
        GetBezierPoint(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], t, &bz.x, &bz.y);
        EXPECT_EQ(bits(bz.y), bits(u * u * u * p[1] + 3 * t * u * u * p[3] + 3 * t * t * u * p[5] + t * t * t * p[7]));

        // Consecutive spline pieces share their joint.
        Pt end2, start2, end3, start3;
        GetSpline2Point(p[0], p[1], p[2], p[3], p[4], p[5], 1, &end2.x, &end2.y);
        GetSpline2Point(p[2], p[3], p[4], p[5], p[6], p[7], 0, &start2.x, &start2.y);
        EXPECT_NEAR(end2.x, start2.x, 1e-8); EXPECT_NEAR(end2.y, start2.y, 1e-8);
        GetSpline3Point(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], 1, &end3.x, &end3.y);
        GetSpline3Point(p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], 0, &start3.x, &start3.y);
        EXPECT_NEAR(end3.x, start3.x, 1e-8); EXPECT_NEAR(end3.y, start3.y, 1e-8);
    }
}

struct Arc {
    double x0 = kSentinel, y0 = kSentinel, r = kSentinel, s = kSentinel, e = kSentinel;
    int32_t rev = -7;
    void expect_untouched() const {
        for (double v : {x0, y0, r, s, e}) EXPECT_EQ(v, kSentinel);
        EXPECT_EQ(rev, -7);
    }
};
Arc center_arc(double x1, double y1, double dx, double dy, double x2, double y2, int32_t want) {
    Arc a;
    EXPECT_EQ(CalcCenterArc(x1, y1, dx, dy, x2, y2, &a.x0, &a.y0, &a.r, &a.s, &a.e, &a.rev), want);
    if (!want) a.expect_untouched();
    return a;
}
Arc arc_val(double x1, double y1, double x2, double y2, double x3, double y3, int32_t want) {
    Arc a;
    EXPECT_EQ(GetArcVal(x1, y1, x2, y2, x3, y3, &a.x0, &a.y0, &a.r, &a.s, &a.e), want);
    if (!want) a.expect_untouched();
    return a;
}
void expect_arc(const Arc &a, double x0, double y0, double r, double s, double e) {
    EXPECT_EQ(a.x0, x0); EXPECT_EQ(a.y0, y0); EXPECT_EQ(a.r, r); EXPECT_EQ(a.s, s); EXPECT_EQ(a.e, e);
}

// Every mix of finite, NaN and infinite values among six arguments, but all finite.
template <typename F>
void for_each_unusable(F call) {
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(), INFINITY, -INFINITY};
    for (int mix = 1; mix < 4096; ++mix) {
        double a[6];
        for (int i = 0, m = mix; i < 6; ++i, m /= 4) a[i] = m % 4 ? bad[m % 4 - 1] : 7.0 * i - 11;
        call(a);
    }
}

TEST(CalcCenterArc, FromATangent) {
    Arc up = center_arc(0, 0, 1, 0, 10, 10, 1);
    expect_arc(up, 0, 10, 10, 270, 0);
    EXPECT_EQ(up.rev, 0);
    Arc down = center_arc(0, 0, 1, 0, 10, -10, 1);
    expect_arc(down, 0, -10, 10, 0, 90);
    EXPECT_EQ(down.rev, 1);
    Arc longer = center_arc(0, 0, 5, 0, 10, 10, 1);
    expect_arc(longer, 0, 10, 10, 270, 0);
    // 3-4-5: tangent (4, -3) at (3, 4) on the circle of radius 5 round (0, 0).
    Arc pyth = center_arc(3, 4, 4, -3, 0, -5, 1);
    expect_arc(pyth, 0, 0, 5, 270, SubKakudoD(3, 4));
    EXPECT_EQ(pyth.rev, 1);

    center_arc(0, 0, 1, 0, 10, 0, 0);           // on the tangent
    center_arc(0, 0, 1e-12, 0, 10, 10, 0);      // too short a tangent to tell the side
    center_arc(0, 0, 0, 0, 10, 10, 0);
    center_arc(0, 0, 1, 0, 1e200, 1, 0);        // the centre would overflow
    for_each_unusable([](const double *a) { center_arc(a[0], a[1], a[2], a[3], a[4], a[5], 0); });
}

TEST(GetArcVal, ThroughThreePoints) {
    expect_arc(arc_val(10, 0, 0, 10, -10, 0, 1), 0, 0, 10, 90, 0);
    expect_arc(arc_val(10, 0, -10, 0, 0, 10, 1), 0, 0, 10, 0, 180);
    expect_arc(arc_val(10, 0, -10, 0, 0, -10, 1), 0, 0, 10, 180, 0);
    arc_val(0, 0, 1, 1, 5, 5, 0);
    arc_val(1, 2, 1, 2, 7, 3, 0);
    arc_val(0, 0, 1e300, 1, -1e300, 0, 0);  // nearly collinear: the centre overflows
    for_each_unusable([](const double *a) { arc_val(a[0], a[1], a[2], a[3], a[4], a[5], 0); });
}

// Integer points on circles of radius 5, 13 and 17 give an exact centre and
// radius, and the counter-clockwise arc from s to e always passes P3.
TEST(GetArcVal, PythagoreanCirclesInEveryOrder) {
    const int triples[][3] = {{3, 4, 5}, {5, 12, 13}, {8, 15, 17}};
    for (auto &t : triples) {
        const double a = t[0], b = t[1], r = t[2];
        const double px[] = {a, -b, -a, b, r, 0}, py[] = {b, a, -b, -a, 0, -r};
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j)
                for (int k = 0; k < 6; ++k) {
                    if (i == j || j == k || i == k) continue;
                    Arc c = arc_val(100 + px[i], -50 + py[i], 100 + px[j], -50 + py[j], 100 + px[k], -50 + py[k], 1);
                    expect_arc(c, 100, -50, r, c.s, c.e);
                    double m = SubKakudoD(px[k], py[k]);
                    double sweep = std::fmod(c.e - c.s + 720, 360), to_m = std::fmod(m - c.s + 720, 360);
                    EXPECT_GT(to_m, 0) << i << j << k;
                    EXPECT_LT(to_m, sweep) << i << j << k;
                    const double p1 = SubKakudoD(px[i], py[i]), p2 = SubKakudoD(px[j], py[j]);
                    EXPECT_TRUE((c.s == p1 && c.e == p2) || (c.s == p2 && c.e == p1)) << i << j << k;
                }
    }
}

TEST(GetLTypeDefLength, SumsUnsignedSteps) {
    const uint16_t def[] = {100, 50, 250, 65535, 0};
    EXPECT_EQ(GetLTypeDefLength(def), ((100 * 0.01 + 50 * 0.01) + 250 * 0.01) + 65535 * 0.01);
    EXPECT_NEAR(GetLTypeDefLength(def), 659.35, 1e-9);
    const uint16_t empty[] = {0, 7};
    EXPECT_EQ(GetLTypeDefLength(empty), 0);
    EXPECT_EQ(GetLTypeDefLength(nullptr), 0);
}

}  // namespace
