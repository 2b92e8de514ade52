// Plane intersections: drawing cases built from Pythagorean triples (exact
// points, exact tangents, touching ends), non-numbers and negative radii,
// and a bit-for-bit comparison with a plain re-derivation over many inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iomanip>
#include <limits>
#include <random>

#include "vostik.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Two distinct sentinels, so that a copy of slot 2 into slot 1 shows.
struct Slots {
    double x1 = -777.25, y1 = -777.5, x2 = -888.25, y2 = -888.5;
    bool untouched() const { return x1 == -777.25 && y1 == -777.5 && x2 == -888.25 && y2 == -888.5; }
    bool operator==(const Slots &o) const {
        auto b = [](double v) { return std::bit_cast<uint64_t>(v); };
        return b(x1) == b(o.x1) && b(y1) == b(o.y1) && b(x2) == b(o.x2) && b(y2) == b(o.y2);
    }
    friend std::ostream &operator<<(std::ostream &os, const Slots &o) {
        return os << std::setprecision(17) << "(" << o.x1 << ", " << o.y1 << ") (" << o.x2 << ", " << o.y2 << ")";
    }
};

int16_t CL(double x0, double y0, double r, double x1, double y1, double x2, double y2, Slots &o) {
    return GetInterCircleLine(x0, y0, r, x1, y1, x2, y2, &o.x1, &o.y1, &o.x2, &o.y2);
}
int16_t CS(double x0, double y0, double r, double x1, double y1, double x2, double y2, Slots &o) {
    return GetInterCircleSegment(x0, y0, r, x1, y1, x2, y2, &o.x1, &o.y1, &o.x2, &o.y2);
}
int16_t CC(double x1, double y1, double r1, double x2, double y2, double r2, Slots &o) {
    return GetInterCircleCircle(x1, y1, r1, x2, y2, r2, &o.x1, &o.y1, &o.x2, &o.y2);
}

// The computations re-derived step by step, written apart from the library.
namespace ref {
bool fin(double a, double b) { return std::isfinite(a) && std::isfinite(b); }
double fold(double v) {
    for (;;) {
        if (v >= 0 && v <= 360) return v;
        if (v < 0) v += 360;
        if (v > 360) v -= 360;
    }
}
bool sweep(double s, double e, double d) {
    s = fold(s), e = fold(e), d = fold(d);
    return s < e ? s < d && d < e : d < e || s < d;
}
bool on_arc(double cx, double cy, double s, double e, double px, double py) {
    double dx = px - cx, dy = py - cy;
    return sweep(s, e, dx == 0 && dy == 0 ? 0 : std::atan2(dy, dx) * 57.29577951308232);
}
int16_t keep(int16_t n, Slots &o, const std::function<bool(double, double)> &on) {
    bool a = n >= 1 && on(o.x1, o.y1), b = n == 2 && on(o.x2, o.y2);
    if (n == 2 && !a && b) o.x1 = o.x2, o.y1 = o.y2;
    return n == 1 ? a : n == 2 ? a + b : 0;
}
int16_t line(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4, Slots &o) {
    double D = (x4 - x3) * (y2 - y1) - (y4 - y3) * (x2 - x1);
    if (D == 0) return 0;
    double s = ((y3 - y1) * (x4 - x3) - (x3 - x1) * (y4 - y3)) / D;
    double t = ((x2 - x1) * (y3 - y1) - (y2 - y1) * (x3 - x1)) / D;
    double x = x1 + (x2 - x1) * s, y = y1 + (y2 - y1) * s;
    if (!fin(x, y)) return 0;
    o.x1 = x, o.y1 = y;
    return (s >= 0 && s <= 1 && t >= 0 && t <= 1) ? 1 : -1;
}
int16_t circle_line(double x0, double y0, double r0, double x1, double y1, double x2, double y2, Slots &o) {
    double dx = x2 - x1, dy = y2 - y1, L = dx * dx + dy * dy;
    if (L == 0) return 0;
    double c = dx * (y0 - y1) - dy * (x0 - x1);
    double disc = r0 * (r0 * L) - c * c;
    if (disc < 0 || std::isnan(disc)) return 0;
    double p = dy * (y0 - y1) + dx * (x0 - x1);
    double w = std::sqrt(disc), u1 = (p - w) / L, u2 = (p + w) / L;
    double ax = x1 + dx * u1, ay = y1 + dy * u1, bx = x1 + dx * u2, by = y1 + dy * u2;
    if (!fin(ax, ay) || !fin(bx, by)) return 0;
    o.x1 = ax, o.y1 = ay;
    if (disc == 0) return 1;  // w is 0: u1 is p / L
    o.x2 = bx, o.y2 = by;
    return 2;
}
int16_t circle_segment(double x0, double y0, double r0, double x1, double y1, double x2, double y2, Slots &o) {
    double dx = x2 - x1, dy = y2 - y1, r = std::fabs(r0);
    if (dx == 0 && dy == 0) return 0;
    if (x0 + r < std::min(x1, x2) || x0 - r > std::max(x1, x2) || y0 + r < std::min(y1, y2) ||
        y0 - r > std::max(y1, y2))
        return 0;
    int16_t n = circle_line(x0, y0, r0, x1, y1, x2, y2, o), count = 0;
    if (n == 0) return 0;
    auto param = [&](double x, double y) { return std::fabs(dy) >= std::fabs(dx) ? (y - y1) / dy : (x - x1) / dx; };
    double u = param(o.x1, o.y1);
    if (u >= 0 && u <= 1) count = 1; else o.x1 = o.x2, o.y1 = o.y2;
    if (n == 2 && (u = param(o.x2, o.y2)) >= 0 && u <= 1) ++count;
    return count;
}
int16_t circle_circle(double x1, double y1, double r1, double x2, double y2, double r2, Slots &o) {
    if (x1 == x2 && y1 == y2) return 0;
    double A = r2 * r2, B = r1 * r1, h = x2 - x1, k = y2 - y1, D = h * h + k * k;
    double disc = (A + B) * D * 2 - D * D - (A - B) * (A - B);
    if (disc < 0 || std::isnan(disc)) return 0;
    double q = 0.5 / D, f = 0.5 - (A - B) * q, mx = x1 + h * f, my = y1 + k * f, g = q * std::sqrt(disc);
    if (disc == 0) return fin(mx, my) ? (o.x1 = mx, o.y1 = my, 1) : 0;
    double ax = mx - g * k, ay = my + g * h, bx = mx + g * k, by = my - g * h;
    if (!fin(ax, ay) || !fin(bx, by)) return 0;
    o.x1 = ax, o.y1 = ay, o.x2 = bx, o.y2 = by;
    return 2;
}
}  // namespace ref

TEST(GetIntersection, OnOffAndParallel) {
    double x = 1, y = 1;
    EXPECT_EQ(GetIntersection(0, 0, 10, 10, 0, 10, 10, 0, &x, &y), 1);
    EXPECT_EQ(x, 5); EXPECT_EQ(y, 5);
    EXPECT_EQ(GetIntersection(0, 0, 10, 0, 10, -5, 10, 5, &x, &y), 1);  // end included
    EXPECT_EQ(x, 10); EXPECT_EQ(y, 0);
    EXPECT_EQ(GetIntersection(0, 0, 10, 0, 5, 1, 5, 5, &x, &y), -1);
    EXPECT_EQ(x, 5); EXPECT_EQ(y, 0);
    // A 3-4-5 line crossing a 5-12-13 line at (3, 4), beyond the second's end.
    EXPECT_EQ(GetIntersection(0, 0, 6, 8, 3 + 12, 4 - 5, 3 + 24, 4 - 10, &x, &y), -1);
    EXPECT_EQ(x, 3); EXPECT_EQ(y, 4);
    x = y = 42;
    EXPECT_EQ(GetIntersection(0, 0, 10, 10, 0, 1, 10, 11, &x, &y), 0);
    EXPECT_EQ(GetIntersection(0, 0, 10, 0, 5, 0, 20, 0, &x, &y), 0);  // collinear overlap
    EXPECT_EQ(GetIntersection(0, 0, 0, 0, 0, 10, 10, 0, &x, &y), 0);  // zero length
    EXPECT_EQ(x, 42); EXPECT_EQ(y, 42);
}

TEST(GetInterCircleLine, OrderTangentAndMiss) {
    Slots o;
    EXPECT_EQ(CL(0, 0, 5, -10, 3, 10, 3, o), 2);
    EXPECT_EQ(o, (Slots{-4, 3, 4, 3}));
    EXPECT_EQ(CL(0, 0, 5, 10, 3, -10, 3, o), 2);
    EXPECT_EQ(o, (Slots{4, 3, -4, 3}));
    EXPECT_EQ(CL(0, 0, 13, -16, 5, 16, 5, o), 2);  // 5-12-13
    EXPECT_EQ(o, (Slots{-12, 5, 12, 5}));
    o = {};
    EXPECT_EQ(CL(0, 0, 5, -10, 5, 10, 5, o), 1);
    EXPECT_EQ(o, (Slots{0, 5, -888.25, -888.5}));  // slot 2 untouched
    EXPECT_EQ(CL(0, 0, 5, 7, 1, -1, 7, o), 1);  // oblique tangent at (3, 4)
    EXPECT_EQ(o, (Slots{3, 4, -888.25, -888.5}));
    EXPECT_EQ(CL(2, 3, 0, 0, 3, 10, 3, o), 1);
    EXPECT_EQ(o, (Slots{2, 3, -888.25, -888.5}));
    o = {};
    EXPECT_EQ(CL(0, 0, 5, -10, 6, 10, 6, o), 0);
    EXPECT_EQ(CL(0, 0, 5, 1, 1, 1, 1, o), 0);
    EXPECT_TRUE(o.untouched());
}

TEST(GetInterCircleSegment, KeepsPointsOnTheSegment) {
    Slots o;
    EXPECT_EQ(CS(0, 0, 5, 0, 3, 10, 3, o), 1);
    EXPECT_EQ(o.x1, 4); EXPECT_EQ(o.y1, 3);  // moved from slot 2
    EXPECT_EQ(CS(0, 0, 5, -10, 3, 0, 3, o), 1);
    EXPECT_EQ(o.x1, -4); EXPECT_EQ(o.y1, 3);
    EXPECT_EQ(CS(0, 0, 13, 12, -10, 12, 10, o), 2);  // vertical, 5-12-13
    EXPECT_EQ(o, (Slots{12, -5, 12, 5}));
    EXPECT_EQ(CS(0, 0, 5, -4, 3, 4, 3, o), 2);  // both ends on the circle
    EXPECT_EQ(o, (Slots{-4, 3, 4, 3}));
    o = {};
    EXPECT_EQ(CS(0, 0, 5, -1, 3, 1, 3, o), 0);   // inside the circle
    EXPECT_EQ(o.x1, 4);                          // slot 2 copied over slot 1
    o = {};
    EXPECT_EQ(CS(0, 0, 5, 3, 5, 10, 5, o), 0);   // tangent point before P1
    EXPECT_EQ(o, (Slots{-888.25, -888.5, -888.25, -888.5}));
    o = {};
    EXPECT_EQ(CS(0, 0, 5, 6, 3, 10, 3, o), 0);   // boxes apart
    EXPECT_EQ(CS(0, 0, 5, 5, 6, 10, 6, o), 0);   // corner-touching boxes, no point
    EXPECT_TRUE(o.untouched());
    EXPECT_EQ(CS(0, 0, 5, 5, -5, 5, 5, o), 1);   // touching box edge, tangent
    EXPECT_EQ(o.x1, 5); EXPECT_EQ(o.y1, 0);
    // A 45-degree segment starting on the circle's top point: measured along
    // x the start lies a rounding error before P1, along y (ties) exactly on it.
    EXPECT_EQ(CS(0.7, 1962.7, 1.2, 0.7, 1963.9, 5.7, 1968.9, o), 1);
    EXPECT_EQ(o.y1, 1963.9);
}

TEST(ArcIntersections, SweepDecidesWhichPointsCount) {
    Slots o;
    EXPECT_EQ(GetInterArcLine(0, 0, 5, 0, 90, -10, 3, 10, 3, &o.x1, &o.y1, &o.x2, &o.y2), 1);
    EXPECT_EQ(o.x1, 4); EXPECT_EQ(o.y1, 3);
    EXPECT_EQ(GetInterArcLine(0, 0, 5, 0, 180, -10, 3, 10, 3, &o.x1, &o.y1, &o.x2, &o.y2), 2);
    EXPECT_EQ(GetInterArcLine(0, 0, 5, 180, 360, -10, 3, 10, 3, &o.x1, &o.y1, &o.x2, &o.y2), 0);
    EXPECT_EQ(GetInterArcLine(0, 0, 5, 200, 100, -10, 3, 10, 3, &o.x1, &o.y1, &o.x2, &o.y2), 1);
    EXPECT_EQ(o.x1, 4); EXPECT_EQ(o.y1, 3);
    EXPECT_EQ(GetInterArcSegment(0, 0, 5, 0, 180, -10, 5, 10, 5, &o.x1, &o.y1, &o.x2, &o.y2), 1);
    EXPECT_EQ(o.x1, 0); EXPECT_EQ(o.y1, 5);
    EXPECT_EQ(GetInterArcSegment(0, 0, 5, 0, 90, -10, 5, 10, 5, &o.x1, &o.y1, &o.x2, &o.y2), 0);
    // Circles (0,0) r 5 and (8,0) r 5 meet at (4, 3) and (4, -3).
    EXPECT_EQ(GetInterArcArc(0, 0, 5, 0, 90, 8, 0, 5, 90, 180, &o.x1, &o.y1, &o.x2, &o.y2), 1);
    EXPECT_EQ(o.x1, 4); EXPECT_EQ(o.y1, 3);
    EXPECT_EQ(GetInterArcArc(0, 0, 5, 0, 90, 8, 0, 5, 180, 270, &o.x1, &o.y1, &o.x2, &o.y2), 0);
    EXPECT_EQ(GetInterArcArc(0, 0, 5, 270, 90, 8, 0, 5, -270, 630, &o.x1, &o.y1, &o.x2, &o.y2), 2);
    EXPECT_EQ(GetInterCircleArc(0, 0, 5, 8, 0, 5, 180, 270, &o.x1, &o.y1, &o.x2, &o.y2), 1);
    EXPECT_EQ(o.x1, 4); EXPECT_EQ(o.y1, -3);
}

TEST(GetInterCircleCircle, CrossingTangentAndConcentric) {
    Slots o;
    EXPECT_EQ(CC(0, 0, 5, 8, 0, 5, o), 2);
    EXPECT_EQ(o, (Slots{4, 3, 4, -3}));
    EXPECT_EQ(CC(8, 0, 5, 0, 0, 5, o), 2);
    EXPECT_EQ(o, (Slots{4, -3, 4, 3}));
    o = {};
    EXPECT_EQ(CC(0, 0, 5, 10, 0, 5, o), 1);
    EXPECT_EQ(o, (Slots{5, 0, -888.25, -888.5}));
    EXPECT_EQ(CC(0, 0, 5, 2, 0, 3, o), 1);  // inner tangency
    EXPECT_EQ(o.x1, 5); EXPECT_EQ(o.y1, 0);
    EXPECT_EQ(CC(0, 0, 5, 6, 8, 5, o), 1);  // oblique 3-4-5 tangency
    EXPECT_EQ(o.x1, 3); EXPECT_EQ(o.y1, 4);
    o = {};
    EXPECT_EQ(CC(1, 1, 5, 1, 1, 5, o), 0);
    EXPECT_EQ(CC(0, 0, 5, 11, 0, 5, o), 0);
    EXPECT_EQ(CC(0, 0, 5, 1, 0, 3, o), 0);
    EXPECT_TRUE(o.untouched());
}

TEST(OnArcCheck, StrictSweep) {
    struct { double s, e, d; int32_t want; } cases[] = {
        {0, 90, 45, 1}, {0, 90, 0, 0}, {0, 90, 90, 0}, {270, 90, 0, 1}, {270, 90, 180, 0},
        {45, 45, 46, 1}, {45, 45, 45, 0}, {0, 720, 10, 1}, {360, 0, 180, 0}, {-90, 90, 360, 1},
        {kNaN, 90, 45, 0}, {0, kNaN, 45, 0}, {0, 90, kNaN, 0}, {0, kInf, 45, 0}, {-kInf, 90, 45, 0},
        {1e300, 1e300, 1, 1}, {-1e300, 1e300, 180, 1},
    };
    for (auto c : cases) EXPECT_EQ(OnArcCheck(c.s, c.e, c.d), c.want) << c.s << " " << c.e << " " << c.d;
}

TEST(ClipCode, RegionsEdgesAndNonNumbers) {
    struct { double x, y; int16_t want; } cases[] = {
        {-1, 5, 1}, {11, 5, 2}, {5, -1, 4}, {5, 11, 8}, {-1, 11, 9}, {11, 11, 10}, {11, -1, 6},
        {0, 0, 0}, {10, 10, 0}, {kNaN, 5, 3}, {5, kNaN, 12}, {-kInf, kInf, 9},
    };
    for (auto c : cases) EXPECT_EQ(ClipCode(c.x, c.y, 0, 10, 0, 10), c.want) << c.x << " " << c.y;
    EXPECT_EQ(ClipCode(5, 5, 10, 0, 0, 10), 3);  // inverted x bounds
    EXPECT_EQ(ClipCode(5, 5, kNaN, 10, 0, 10), 1);
}

// Spoils each argument of a call that meets when sound, in turn.
template <size_t N, class Call>
void each_spoiled(const char *what, const double (&good)[N], Call call) {
    Slots o;
    EXPECT_GT(call(good, o), 0) << what;
    for (double bad : {kNaN, kInf, -kInf}) {
        for (size_t i = 0; i < N; ++i) {
            double a[N];
            std::copy(good, good + N, a);
            a[i] = bad;
            o = {};
            EXPECT_EQ(call(a, o), 0) << what << " argument " << i << " = " << bad;
            EXPECT_TRUE(o.untouched()) << what << " argument " << i << " = " << bad << ": " << o;
        }
    }
}

TEST(PlaneNonNumbers, NothingWrittenNothingHangs) {
    each_spoiled("line", {0, 0, 10, 10, 0, 10, 10, 0}, [](const double *a, Slots &o) {
        return GetIntersection(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], &o.x1, &o.y1);
    });
    each_spoiled("arc-line", {0, 0, 5, 0, 180, -10, 3, 10, 3}, [](const double *a, Slots &o) {
        return GetInterArcLine(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], &o.x1, &o.y1, &o.x2, &o.y2);
    });
    each_spoiled("arc-segment", {0, 0, 5, 0, 180, -10, 3, 10, 3}, [](const double *a, Slots &o) {
        return GetInterArcSegment(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], &o.x1, &o.y1, &o.x2, &o.y2);
    });
    each_spoiled("arc-arc", {0, 0, 5, 0, 180, 8, 0, 5, 90, 270}, [](const double *a, Slots &o) {
        return GetInterArcArc(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], &o.x1, &o.y1, &o.x2, &o.y2);
    });
    each_spoiled("circle-arc", {0, 0, 5, 8, 0, 5, 90, 270}, [](const double *a, Slots &o) {
        return GetInterCircleArc(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], &o.x1, &o.y1, &o.x2, &o.y2);
    });
    // Overflowing arithmetic: the discriminant becomes NaN; no NaN points come back.
    Slots o;
    double big = 0x1p300;
    EXPECT_EQ(CL(0, 0, 5 * big, -10 * big, 3 * big, 10 * big, 3 * big, o), 0);
    EXPECT_EQ(CC(0, 0, 5 * big, 8 * big, 0, 5 * big, o), 0);
    EXPECT_TRUE(o.untouched());
    // Huge but harmless: scaling by a power of two scales the points exactly.
    EXPECT_EQ(CC(0, 0, 5 * 0x1p200, 8 * 0x1p200, 0, 5 * 0x1p200, o), 2);
    EXPECT_EQ(o, (Slots{4 * 0x1p200, 3 * 0x1p200, 4 * 0x1p200, -3 * 0x1p200}));
    EXPECT_EQ(CL(0, 0, 5 * 0x1p-200, 7 * 0x1p-200, 0x1p-200, -0x1p-200, 7 * 0x1p-200, o), 1);
    EXPECT_EQ(o.x1, 3 * 0x1p-200); EXPECT_EQ(o.y1, 4 * 0x1p-200);
}

TEST(PlaneNegativeRadius, ActsAsItsMagnitude) {
    Slots o, p;
    EXPECT_EQ(CS(0, 0, -5, 0, 3, 10, 3, o), 1);  // a literal inverted box would reject this
    EXPECT_EQ(o.x1, 4); EXPECT_EQ(o.y1, 3);
    EXPECT_EQ(CL(0, 0, -5, -10, 3, 10, 3, o), CL(0, 0, 5, -10, 3, 10, 3, p));
    EXPECT_EQ(o, p);
    EXPECT_EQ(CC(0, 0, -5, 8, 0, 5, o), CC(0, 0, 5, 8, 0, -5, p));
    EXPECT_EQ(o, p);
}

TEST(PlaneReference, BitForBitOverGeneratedInputs) {
    std::mt19937_64 rng(0x5eed);
    auto pick = [&](int n) { return static_cast<int>(rng() % n); };
    auto real = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    // Small integers and quarters hit tangents, touching ends and shared
    // points exactly; powers of two move them to huge and tiny magnitudes
    // without rounding.
    auto coord = [&] { return pick(3) ? (pick(25) - 12) / (pick(2) ? 1.0 : 4.0) : real(-20, 20); };
    auto angle = [&] { return pick(2) ? 15.0 * (pick(121) - 48) : real(-720, 1080); };
    const double scales[] = {1, 1, 1, 0x1p-200, 0x1p-60, 0x1p60, 0x1p200, 0x1p300};
    bool failed = false;
    uint64_t digest = 14695981039346656037u;  // of every result, to hold each build to the same bits
    auto mix = [&](uint64_t v) { digest = (digest ^ v) * 1099511628211u; };
    for (int i = 0; i < 20000 && !failed; ++i) {
        double k = scales[pick(8)], c[8], r1 = k * (pick(3) ? pick(14) : real(0, 15)) * (pick(8) ? 1 : -1);
        double r2 = k * (pick(3) ? pick(14) : real(0, 15)), s1 = angle(), e1 = angle(), s2 = angle(), e2 = angle();
        for (double &v : c) v = k * coord();
        Slots got, want;
        auto check = [&](const char *what, int16_t g, int16_t w) {
            if (g != w || !(got == want)) {
                ADD_FAILURE() << what << " case " << i << ": " << g << " " << got << ", wanted " << w << " " << want;
                failed = true;
            }
            for (double v : {double(g), got.x1, got.y1, got.x2, got.y2}) mix(std::bit_cast<uint64_t>(v));
            got = want = {};
        };
        check("line", GetIntersection(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], &got.x1, &got.y1),
              ref::line(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], want));
        check("circle-line", CL(c[0], c[1], r1, c[4], c[5], c[6], c[7], got),
              ref::circle_line(c[0], c[1], r1, c[4], c[5], c[6], c[7], want));
        check("circle-segment", CS(c[0], c[1], r1, c[4], c[5], c[6], c[7], got),
              ref::circle_segment(c[0], c[1], r1, c[4], c[5], c[6], c[7], want));
        check("circle-circle", CC(c[0], c[1], r1, c[2], c[3], r2, got), ref::circle_circle(c[0], c[1], r1, c[2], c[3], r2, want));
        auto arc1 = [&](double x, double y) { return ref::on_arc(c[0], c[1], s1, e1, x, y); };
        auto arc2 = [&](double x, double y) { return ref::on_arc(c[2], c[3], s2, e2, x, y); };
        check("arc-line", GetInterArcLine(c[0], c[1], r1, s1, e1, c[4], c[5], c[6], c[7], &got.x1, &got.y1, &got.x2, &got.y2),
              ref::keep(ref::circle_line(c[0], c[1], r1, c[4], c[5], c[6], c[7], want), want, arc1));
        check("arc-segment", GetInterArcSegment(c[0], c[1], r1, s1, e1, c[4], c[5], c[6], c[7], &got.x1, &got.y1, &got.x2, &got.y2),
              ref::keep(ref::circle_segment(c[0], c[1], r1, c[4], c[5], c[6], c[7], want), want, arc1));
        check("circle-arc", GetInterCircleArc(c[0], c[1], r1, c[2], c[3], r2, s2, e2, &got.x1, &got.y1, &got.x2, &got.y2),
              ref::keep(ref::circle_circle(c[0], c[1], r1, c[2], c[3], r2, want), want, arc2));
        check("arc-arc", GetInterArcArc(c[0], c[1], r1, s1, e1, c[2], c[3], r2, s2, e2, &got.x1, &got.y1, &got.x2, &got.y2),
              ref::keep(ref::circle_circle(c[0], c[1], r1, c[2], c[3], r2, want), want,
                        [&](double x, double y) { return arc1(x, y) && arc2(x, y); }));
        double d = angle();
        check("sweep", static_cast<int16_t>(OnArcCheck(s1, e1, d)), ref::sweep(s1, e1, d));
    }
    EXPECT_EQ(digest, 4122409829130870847u);
}

}  // namespace
