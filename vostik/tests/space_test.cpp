// Space intersection: planes along and across the axes, the tolerance
// limits, shared end points, non-numbers, and a bit-for-bit comparison with
// a plain re-derivation over generated, mostly coplanar, pairs of lines.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "vostik.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kSentinel = -777.25;

struct Result {
    int32_t code;
    double x = kSentinel, y = kSentinel, z = kSentinel;
    bool operator==(const Result &o) const {
        auto b = [](double v) { return std::bit_cast<uint64_t>(v); };
        return code == o.code && b(x) == b(o.x) && b(y) == b(o.y) && b(z) == b(o.z);
    }
    friend std::ostream &operator<<(std::ostream &os, const Result &r) {
        return os << r.code << " (" << r.x << ", " << r.y << ", " << r.z << ")";
    }
};

Result meet(const double (&p)[12]) {
    Result r{};
    r.code = GetIntersection3(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11],
                              &r.x, &r.y, &r.z);
    return r;
}

constexpr Result untouched(int32_t code) { return Result{code}; }

// The computation re-derived step by step, written apart from the library.
Result reference(const double (&p)[12]) {
    const double *P1 = p, *P2 = p + 3, *P3 = p + 6, *P4 = p + 9;
    auto unit = [](const double *a, const double *b, double *u) {
        for (int i = 0; i < 3; ++i) u[i] = b[i] - a[i];
        double len = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
        for (int i = 0; i < 3; ++i) u[i] /= len;
        return len >= 0.0001 && len <= std::numeric_limits<double>::max();
    };
    auto same = [](const double *a, const double *b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; };
    double u[3], v[3];
    if (!unit(P1, P2, u) || !unit(P3, P4, v)) return untouched(-1);
    if (std::fabs(1 - std::fabs(u[0] * v[0] + u[1] * v[1] + u[2] * v[2])) < 0.0001) return untouched(0);
    if (same(P1, P3) || same(P1, P4)) return {1, P1[0], P1[1], P1[2]};
    if (same(P2, P3) || same(P2, P4)) return {1, P2[0], P2[1], P2[2]};
    double a[3], b[3], n[3];
    for (int i = 0; i < 3; ++i) a[i] = P1[i] - P3[i], b[i] = P2[i] - P3[i];
    for (int i = 0; i < 3; ++i) n[i] = a[(i + 1) % 3] * b[(i + 2) % 3] - a[(i + 2) % 3] * b[(i + 1) % 3];
    for (int i : {1, 2, 0}) {  // component i against the one before it
        double &lo = n[(i + 2) % 3], &hi = n[i];
        if (hi == 0) continue;
        double q = std::fabs(lo / hi);
        if (q > 10000) hi = 0;
        if (q < 0.00001) lo = 0;
    }
    if (n[0] == 0 && n[1] == 0 && n[2] == 0) return {-1, P3[0], P3[1], P3[2]};
    double dist = std::fabs((n[0] * P4[0] + n[1] * P4[1] + n[2] * P4[2]) - (n[0] * P1[0] + n[1] * P1[1] + n[2] * P1[2])) /
                  std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(dist < 0.001)) return untouched(-1);
    // Plane intersection of the projection onto axes (i, j) and its parameter s on line 1.
    double got[3], s_found = 0;
    bool have[3] = {false, false, false}, any = false;
    auto project = [&](int i, int j) {
        double x1 = P1[i], y1 = P1[j], x2 = P2[i], y2 = P2[j], x3 = P3[i], y3 = P3[j], x4 = P4[i], y4 = P4[j];
        double D = (x4 - x3) * (y2 - y1) - (y4 - y3) * (x2 - x1);
        double s = ((y3 - y1) * (x4 - x3) - (x3 - x1) * (y4 - y3)) / D;
        double gx = x1 + (x2 - x1) * s, gy = y1 + (y2 - y1) * s;
        bool ok = D != 0 && std::isfinite(gx) && std::isfinite(gy);
        got[i] = gx, got[j] = gy, have[i] = have[j] = ok;
        if (ok) s_found = s, any = true;
    };
    if (n[0] != 0) project(1, 2);
    if (n[1] != 0) project(2, 0);
    if (n[2] != 0) project(0, 1);
    for (int i = 0; i < 3; ++i)
        if (n[(i + 1) % 3] == 0 && n[(i + 2) % 3] == 0) got[i] = P3[i], have[i] = true;
    for (int i = 0; i < 3; ++i) {
        if (have[i]) continue;
        if (!any) return untouched(-1);
        got[i] = P1[i] + (P2[i] - P1[i]) * s_found;
    }
    return {1, got[0], got[1], got[2]};
}

TEST(GetIntersection3, MeetingLines) {
    EXPECT_EQ(meet({0, 0, 5, 10, 10, 5, 0, 10, 5, 10, 0, 5}), (Result{1, 5, 5, 5}));
    EXPECT_EQ(meet({3, 0, 0, 3, 10, 10, 3, 10, 0, 3, 0, 10}), (Result{1, 3, 5, 5}));
    EXPECT_EQ(meet({0, 0, 0, 1, 1, 1, 0, 10, 0, 10, 0, 10}), (Result{1, 5, 5, 5}));  // off segment 1
    Result r = meet({0, 0, 0, 2, 4, 6, 4, 0, 0, 0, 4, 6});
    EXPECT_EQ(r.code, 1);
    EXPECT_DOUBLE_EQ(r.x, 4.0 / 3); EXPECT_DOUBLE_EQ(r.y, 8.0 / 3); EXPECT_DOUBLE_EQ(r.z, 4);
    // 3-4-5 and 5-12-13 directions in the plane z = 2 meet at (3, 4, 2).
    EXPECT_EQ(meet({0, 0, 2, 6, 8, 2, 3 + 12, 4 - 5, 2, 3 - 12, 4 + 5, 2}), (Result{1, 3, 4, 2}));
    // Within the plane tolerance, and just beyond it.
    EXPECT_EQ(meet({0, 0, 0, 10, 0, 0, 5, -5, 0.0005, 5, 5, 0.0005}), (Result{1, 5, 0, 0}));
    EXPECT_EQ(meet({0, 0, 0, 10, 0, 0, 5, -5, 0.002, 5, 5, 0.002}), untouched(-1));
    EXPECT_EQ(meet({0, 0, 0, 2, 2, 0, 0, 2, 0, 2, 0, 0.001}), untouched(-1));  // exactly 0.001 off
    // A nearly level plane: the tilt is dropped from the normal and z is P3's.
    EXPECT_EQ(meet({0, 0, 0, 10, 10, 0, 0, 10, 0.00005, 10, 0, 0.00005}), (Result{1, 5, 5, 0.00005}));
    // Normal (0, -100000, -10): a ratio of exactly 10000 keeps the smaller component.
    EXPECT_EQ(meet({0, 0, 0, 10, 0, 0, 0, -1, 10000, 5, 1, -10000}), (Result{1, 2.5, 0, 0}));
    // Line 2 is seen end-on from y, so the ZX projection has no point: z is
    // line 1's at the parameter the XY projection found, not 0.
    EXPECT_EQ(meet({0, 0, 7, 10, 0, 7, 5, -5, 7.0004, 5, 5, 7.0004}), (Result{1, 5, 0, 7}));
    // Large plane, placed by a power of two so every step stays exact.
    const double k = 0x1p40;
    EXPECT_EQ(meet({0, 0, 5 * k, 10 * k, 10 * k, 5 * k, 0, 10 * k, 5 * k, 10 * k, 0, 5 * k}), (Result{1, 5 * k, 5 * k, 5 * k}));
}

TEST(GetIntersection3, SharedEndsAndCollinearThird) {
    const double p1[3] = {1, 2, 3}, p2[3] = {4, 6, 3};
    for (int which = 0; which < 4; ++which) {
        const double *shared = which < 2 ? p1 : p2;
        double q[12] = {p1[0], p1[1], p1[2], p2[0], p2[1], p2[2], 9, -7, 11, 9, -7, 11};
        std::copy(shared, shared + 3, q + (which % 2 ? 9 : 6));
        EXPECT_EQ(meet(q), (Result{1, shared[0], shared[1], shared[2]})) << which;
    }
    EXPECT_EQ(meet({0, 0, 0, 10, 0, 0, 5, 0, 0, 5, 5, 5}), (Result{-1, 5, 0, 0}));
}

TEST(GetIntersection3, ParallelSkewShortAndNonNumbers) {
    EXPECT_EQ(meet({0, 0, 0, 10, 0, 0, 0, 1, 0, 10, 1, 0}), untouched(0));
    EXPECT_EQ(meet({0, 0, 0, 10, 0, 0, 10, 1, 0, 0, 1, 0}), untouched(0));
    // 1 - cos is just under, then just over, the parallel tolerance.
    EXPECT_EQ(meet({0, 0, 0, 10, 0, 0, 0, -1, 0, 10, -1 + 0.141, 0}), untouched(0));
    EXPECT_EQ(meet({0, 0, 0, 10, 0, 0, 0, -1, 0, 10, -1 + 0.142, 0}).code, 1);
    EXPECT_EQ(meet({0, 0, 0, 10, 0, 0, 0, -5, 1, 0, 5, 1}), untouched(-1));
    EXPECT_EQ(meet({0, 0, 0, 0.00005, 0, 0, 0, -5, 0, 0, 5, 0}), untouched(-1));
    EXPECT_EQ(meet({0, -5, 0, 0, 5, 0, 0, 0, 0, 0.00005, 0, 0}), untouched(-1));
    // A short line 2^-10 off the plane z = 0 whose XY shadow runs parallel
    // to line 1: the XY projection has no point to give.
    const double h = 0x1p-13;
    EXPECT_EQ(meet({0, 0, 0, 1, 1, 0, 2, 0, 0, 2 + h, h, 0x1p-10}), untouched(-1));
    EXPECT_EQ(meet({-1e200, 0, 0, 1e200, 1, 0, 0, -5, 0, 0, 5, 0}), untouched(-1));  // length overflows
    for (double bad : {kNaN, kInf, -kInf}) {
        for (int i = 0; i < 12; ++i) {
            double p[12] = {0, 0, 5, 10, 10, 5, 0, 10, 5, 10, 0, 5};
            p[i] = bad;
            EXPECT_EQ(meet(p), untouched(-1)) << "argument " << i << " = " << bad;
        }
    }
}

TEST(GetIntersection3, BitForBitOverGeneratedInputs) {
    std::mt19937_64 rng(0x3d);
    auto pick = [&](int n) { return static_cast<int>(rng() % n); };
    auto small = [&] { return (pick(41) - 20) / (pick(2) ? 1.0 : 8.0); };
    int meetings = 0;
    uint64_t digest = 14695981039346656037u;  // of every result, to hold each build to the same bits
    for (int i = 0; i < 20000; ++i) {
        double p[12];
        for (int j = 0; j < 9; ++j) p[j] = pick(5) ? small() : std::ldexp(small(), -pick(14));
        // P4 mostly in the plane of the other three, sometimes a little off.
        double a = small() / 4, b = small() / 4, off = pick(3) ? 0 : std::ldexp(small(), -pick(16));
        for (int j = 0; j < 3; ++j) p[9 + j] = p[6 + j] + a * (p[j] - p[6 + j]) + b * (p[3 + j] - p[6 + j]);
        p[9 + pick(3)] += off;
        Result got = meet(p), want = reference(p);
        ASSERT_EQ(got, want) << "case " << i;
        meetings += got.code == 1;
        for (double v : {double(got.code), got.x, got.y, got.z}) digest = (digest ^ std::bit_cast<uint64_t>(v)) * 1099511628211u;
    }
    EXPECT_EQ(digest, 2373917507800461274u);
    EXPECT_GT(meetings, 2000);  // the generator really reaches the projections
}

}  // namespace
