#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "codepage.h"
#include "double_bits.h"
#include "extents.h"
#include "vostik.h"

namespace {

using namespace vostik_test;

struct Box {
    double v[6] = {kSentinel, kSentinel, kSentinel, kSentinel, kSentinel, kSentinel};
    double *p(int i) { return &v[i]; }
};
#define BOX(b) (b).p(0), (b).p(1), (b).p(2), (b).p(3), (b).p(4), (b).p(5)

void expect_box(const Box &b, double x0, double y0, double z0, double x1, double y1, double z1, double tol = 0) {
    const double want[6] = {x0, y0, z0, x1, y1, z1};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(b.v[i], want[i], tol) << "slot " << i;
}

void expect_same_bits(const Box &a, const Box &b) {
    for (int i = 0; i < 6; ++i) EXPECT_EQ(bits(a.v[i]), bits(b.v[i])) << "slot " << i;
}

TEST(Extents, EmptyBoxAndGrowing) {
    Box b;
    ClearMinmax(BOX(b));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(bits(b.v[i]), 0x7FEFFFFFFFFFFFFFu);
    for (int i = 3; i < 6; ++i) EXPECT_EQ(bits(b.v[i]), 0xFFEFFFFFFFFFFFFFu);
    SetMinmaxXYZ(5, -1, 3, BOX(b));
    expect_box(b, 5, -1, 3, 5, -1, 3);
    SetMinmaxXYZ(NAN, 7, NAN, BOX(b));  // a NaN coordinate changes nothing on its axis
    expect_box(b, 5, -1, 3, 5, 7, 3);

    Box g;
    GetMinmaxPoint(0, 0, 0, BOX(g));
    SetMinmaxXYZ(4, 4, 4, BOX(g));
    SetMinmaxXYZ(5, -1, 3, BOX(g));
    expect_box(g, 0, -1, 0, 5, 4, 4);
}

TEST(Extents, PlainPrimitivesOverwriteTheWholeBox) {
    Box line, back, circle, neg, rect, space;
    GetMinmaxLine(5, 1, 2, 8, 10, -3, BOX(line));
    expect_box(line, 2, 1, 7, 5, 8, 10);
    GetMinmaxLine(2, 8, 5, 1, 10, -3, BOX(back));
    expect_same_bits(line, back);
    GetMinmaxCircle(5, 1, 2, 10, 3, BOX(circle));
    expect_box(circle, 3, -1, 10, 7, 3, 13);
    GetMinmaxCircle(5, 1, -2, 10, 3, BOX(neg));
    expect_same_bits(circle, neg);
    GetMinmaxRectItem(3, -4, -1, 6, BOX(rect));
    expect_box(rect, -1, -4, 0, 3, 6, 0);
    GetMinmax3DLine(1e308, -1e-308, 4, -1e308, 1e-308, -4, BOX(space));
    expect_box(space, -1e308, -1e-308, -4, 1e308, 1e-308, 4);
}

// Each step of the arc box as callers rely on it, for in-range angles and r >= 0.
Box ref_arc(double x, double y, double r, double s, double e, double tk, double at) {
    Box b;
    double z2 = tk + at;
    b.v[2] = std::min(tk, z2), b.v[5] = std::max(tk, z2);
    double sa = opaque(s * kDeg), ea = opaque(e * kDeg);
    b.v[0] = x + r * std::cos(sa), b.v[1] = y + r * std::sin(sa);
    b.v[3] = x + r * std::cos(ea), b.v[4] = y + r * std::sin(ea);
    if (b.v[0] > b.v[3]) std::swap(b.v[0], b.v[3]);
    if (b.v[1] > b.v[4]) std::swap(b.v[1], b.v[4]);
    auto in = [&](double q) { return s < e ? s <= q && q <= e : !(e <= q && q <= s); };
    if (s != e) {
        if (s > e) b.v[3] = x + r;
        if (in(90)) b.v[4] = y + r;
        if (in(180)) b.v[0] = x - r;
        if (in(270)) b.v[1] = y - r;
    }
    return b;
}

TEST(MinmaxArc, KnownArcs) {
    struct { double s, e, x0, y0, x1, y1; } cases[] = {
        {0, 90, 0, 0, 10, 10},          {10, 80, 1.7365, 1.7365, 9.8481, 9.8481},
        {80, 280, -10, -10, 1.7365, 10}, {300, 30, 5, -8.6603, 10, 5},
        {350, 10, 9.8481, -1.7365, 10, 1.7365}, {0, 360, -10, -10, 10, 10},
        {45, 45, 7.0711, 7.0711, 7.0711, 7.0711},
        {-90, 90, 0, -10, 10, 10},      {370, 80, 1.7365, 1.7365, 9.8481, 9.8481},  // folded first
    };
    for (auto &c : cases) {
        Box b;
        GetMinmaxArc(0, 0, 10, c.s, c.e, 2, -5, BOX(b));
        SCOPED_TRACE(testing::Message() << c.s << ".." << c.e);
        expect_box(b, c.x0, c.y0, -3, c.x1, c.y1, 2, 1e-4);
    }
}

TEST(MinmaxArc, BitsAndTightnessOnRandomArcs) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> ang(0, 360), coord(-1e3, 1e3), rad(0, 1e3);
    for (int i = 0; i < 300; ++i) {
        double s = i % 5 == 0 ? 90.0 * (i % 4) : ang(rng), e = i % 7 == 0 ? 90.0 * (i % 5) : ang(rng);
        double x = coord(rng), y = coord(rng), r = i % 2 ? rad(rng) : -rad(rng);
        Box b;
        GetMinmaxArc(x, y, r, s, e, coord(rng), coord(rng), BOX(b));
        if (r >= 0) {
            Box want = ref_arc(x, y, r, s, e, 0, 0);
            for (int k : {0, 1, 3, 4}) EXPECT_EQ(bits(b.v[k]), bits(want.v[k]));
        }
        // Every point the formulas give is inside, and every edge is reached.
        double sweep = s == e ? 0 : s < e ? e - s : e - s + 360, lo[2] = {DBL_MAX, DBL_MAX}, hi[2] = {-DBL_MAX, -DBL_MAX};
        for (int k = 0; k <= 3600; ++k) {
            double a = (s + sweep * k / 3600) * kDeg, p[2] = {x + r * std::cos(a), y + r * std::sin(a)};
            for (int j = 0; j < 2; ++j) lo[j] = std::min(lo[j], p[j]), hi[j] = std::max(hi[j], p[j]);
        }
        double tol = 1e-3 * std::fabs(r) + 1e-9;
        for (int j = 0; j < 2; ++j) {
            EXPECT_LE(b.v[j], lo[j] + 1e-9) << s << ".." << e << " r " << r;
            EXPECT_GE(b.v[3 + j], hi[j] - 1e-9) << s << ".." << e << " r " << r;
            EXPECT_NEAR(b.v[j], lo[j], tol) << s << ".." << e << " r " << r;
            EXPECT_NEAR(b.v[3 + j], hi[j], tol) << s << ".." << e << " r " << r;
        }
    }
}

TEST(MinmaxArc, NotANumberEnds) {
    Box b;
    GetMinmaxArc(0, 0, 10, NAN, INFINITY, 1, 1, BOX(b));
    for (int k : {0, 1, 3, 4}) EXPECT_TRUE(std::isnan(b.v[k]));
    EXPECT_EQ(b.v[2], 1);
    EXPECT_EQ(b.v[5], 2);
}

struct Corners {
    double x[5], y[5];
};
Corners corners(const char *text, double ang, int32_t genten, bool (*lead)(unsigned char) = nullptr,
                double x0 = 100, double y0 = 200) {
    Corners c;
    std::fill_n(c.x, 5, kSentinel), std::fill_n(c.y, 5, kSentinel);
    if (lead) vostik::text_corner(text, x0, y0, 10, 5, 1, 2, ang, genten, c.x, c.y, lead);
    else GetTextCorner(text, x0, y0, 99, 10, 5, 1, 2, ang, genten, c.x, c.y);
    return c;
}
// Width and height back from unrotated corners.
double width(const Corners &c) { return c.x[3] - c.x[0]; }
double height(const Corners &c) { return c.y[1] - c.y[0]; }
bool sjis(unsigned char c) { return vostik::is_lead_byte_in(932, c); }
bool ansi(unsigned char c) { return vostik::is_lead_byte_in(1252, c); }

TEST(TextCorner, AnchorsAndRotation) {
    Corners c = corners("ABC", 0, 0);
    const double wx[5] = {100, 100, 117, 117, 100}, wy[5] = {200, 210, 210, 200, 200};
    for (int i = 0; i < 5; ++i) { EXPECT_EQ(c.x[i], wx[i]); EXPECT_EQ(c.y[i], wy[i]); }
    struct { int32_t code; double dx, dy; } shifts[] = {
        {5, -8.5, -5}, {10, -17, -10}, {0x7FFF0005, -8.5, -5},  // only the low 16 bits count
        {3, 0, 0}, {7, 0, -5}, {12, 0, 0}, {-1, 0, 0}, {-5, 0, 0}};  // unused parts anchor like 0
    for (auto &s : shifts) {
        Corners m = corners("ABC", 0, s.code);
        for (int i = 0; i < 5; ++i) { EXPECT_EQ(m.x[i], wx[i] + s.dx) << s.code; EXPECT_EQ(m.y[i], wy[i] + s.dy) << s.code; }
    }
    Corners r = corners("ABC", 90, 0, nullptr, 0, 0);
    const double rx[5] = {0, -10, -10, 0, 0}, ry[5] = {0, 0, 17, 17, 0};
    for (int i = 0; i < 5; ++i) { EXPECT_NEAR(r.x[i], rx[i], 1e-12); EXPECT_NEAR(r.y[i], ry[i], 1e-12); }

    // Rotating about a middle anchor keeps the box centred on the anchor.
    Corners t = corners("AB\rCDEF", 33, 5, nullptr, -7, 3);
    EXPECT_NEAR((t.x[0] + t.x[2]) / 2, -7, 1e-12);
    EXPECT_NEAR((t.y[0] + t.y[2]) / 2, 3, 1e-12);
    EXPECT_NEAR(std::hypot(t.x[3] - t.x[0], t.y[3] - t.y[0]), 23, 1e-12);
    EXPECT_EQ(bits(t.x[4]), bits(t.x[0]));
}

TEST(TextCorner, LinesAndCharacters) {
    struct { const char *text; bool (*lead)(unsigned char); double w, h; } cases[] = {
        {"AB\rCDE", ansi, 17, 22},  {"AB\r\nCDE", ansi, 23, 22}, {"ABC\r", ansi, 17, 10},
        {"\r", ansi, 0, 10},        {"A\r\rB", ansi, 5, 34},
        {"\x82\xa0\x82\xa0" "A", sjis, 17, 10}, {"\x82\xa0\x82\xa0" "A", ansi, 29, 10},
        {"AB\x82", sjis, 11, 10},   {"\x82\rA", sjis, 11, 10},   {"\x82\rA", ansi, 5, 22},
        {"AB\r\x82", sjis, 11, 10},  // a lone lead byte after the last return is no line
    };
    for (auto &c : cases) {
        Corners k = corners(c.text, 0, 0, c.lead);
        EXPECT_EQ(width(k), c.w) << testing::PrintToString(c.text);
        EXPECT_EQ(height(k), c.h) << testing::PrintToString(c.text);
    }
    // Spacing as wide as the line is still taken off.
    Corners z;
    GetTextCorner("A", 0, 0, 0, 10, 0, 1, 2, 0, 0, z.x, z.y);
    EXPECT_EQ(width(z), 0);

    // The exported function walks with the process's code page.
    bool dbcs = vostik::ansi_codepage() == 932;
    EXPECT_EQ(width(corners("\x82\xa0\x82\xa0" "A", 0, 0)), dbcs ? 17 : 29);

    for (const char *empty : {"", static_cast<const char *>(nullptr)}) {
        Corners e = corners(empty, 45, 10);
        for (int i = 0; i < 5; ++i) { EXPECT_EQ(e.x[i], 100); EXPECT_EQ(e.y[i], 200); }
    }
}

TEST(TextCorner, TextsBeyond65535BytesAreMeasuredInFull) {
    std::string longer(70000, 'A');
    EXPECT_EQ(width(corners(longer.c_str(), 0, 0)), 70000 * 6 - 1);
    std::string two = std::string(40000, 'A') + "\r" + std::string(65535, 'B') + "\r";
    Corners c = corners(two.c_str(), 0, 0);
    EXPECT_EQ(width(c), 65535 * 6 - 1);
    EXPECT_EQ(height(c), 22);
}

TEST(MinmaxText, BoxOfTheCornersAtHeightZ) {
    Corners c;
    GetTextCorner("AB\r\nCDE", 3, -4, 0, 2.5, 1.5, 0.25, 0.5, 30, 6, c.x, c.y);
    Box b;
    GetMinmaxText("AB\r\nCDE", 3, -4, 7, 2.5, 1.5, 0.25, 0.5, 30, 6, BOX(b));
    expect_box(b, *std::min_element(c.x, c.x + 5), *std::min_element(c.y, c.y + 5), 7,
               *std::max_element(c.x, c.x + 5), *std::max_element(c.y, c.y + 5), 7);
}

}  // namespace
