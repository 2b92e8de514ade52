// Extents (bounding boxes) of drawing primitives and the corners of a text box.
#include "vostik.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "codepage.h"
#include "extents.h"

namespace {

constexpr double kRadPerDeg = 0.017453292519943295;
constexpr unsigned char kCarriageReturn = 13;

// The smaller value goes to *lo, the larger to *hi.  Written as "take both as
// given, then exchange if out of order" so that a NaN is kept where it came
// in instead of being silently dropped.
void span(double a, double b, double *lo, double *hi) {
    double l = a, h = b;
    if (l > h) {
        l = b;
        h = a;
    }
    *lo = l;
    *hi = h;
}

// z range of a primitive at elevation takasa with thickness atumi (a negative
// thickness reaches downwards).
void z_span(double takasa, double atumi, double *zmin, double *zmax) {
    span(takasa, takasa + atumi, zmin, zmax);
}

struct TextSize {
    double width;  // W: the widest line, trailing spacing removed
    double height; // H
};

// Width and height of a text, walking it one character at a time.  The index
// is a full size_t: a text longer than 65535 bytes is measured in full rather
// than wrapping round to its start.
TextSize measure_text(const unsigned char *p, double ts_takasa, double ts_haba, double ts_kankaku, double linegap,
                      bool (*is_lead)(unsigned char)) {
    const double advance = ts_haba + ts_kankaku;
    double line = 0;
    double widest = 0;
    std::size_t returns = 0;
    bool ended_by_return = false;

    auto close_line = [&] {
        if (!(ts_kankaku > line)) line = line - ts_kankaku;
        if (line > widest) widest = line;
    };

    for (std::size_t i = 0; p[i] != 0; ++i) {
        // No code page has a lead byte below 0x81, so plain ASCII skips the test.
        if (p[i] >= 0x80 && is_lead(p[i])) {
            // A lead byte whose partner is the terminator is no character.
            if (p[i + 1] == 0) break;
            ++i;
        } else if (p[i] == kCarriageReturn) {
            close_line();
            line = 0;
            ++returns;
            ended_by_return = true;
            continue;
        }
        line = line + advance;
        ended_by_return = false;
    }
    close_line();

    std::size_t n = returns - (ended_by_return ? 1 : 0);
    double height = n > 0 ? (ts_takasa + linegap) * static_cast<double>(n + 1) - linegap : ts_takasa;
    return {widest, height};
}

// Offset of the anchor along one side of the box from the low 16 bits of the
// anchor code; parts outside 0..2 anchor like 0.
double anchor_offset(int part, double length) {
    switch (part) {
    case 1:
        return length / 2;
    case 2:
        return length;
    default:
        return 0;
    }
}

}  // namespace

namespace vostik {

void text_corner(const char *text, double x0, double y0, double ts_takasa, double ts_haba, double ts_kankaku,
                 double linegap, double kaiten, int32_t genten, double *xs, double *ys,
                 bool (*is_lead)(unsigned char)) {
    for (int i = 0; i < 5; ++i) {
        xs[i] = x0;
        ys[i] = y0;
    }
    if (text == nullptr || text[0] == 0) return;

    const TextSize size = measure_text(reinterpret_cast<const unsigned char *>(text), ts_takasa, ts_haba,
                                       ts_kankaku, linegap, is_lead);
    const double W = size.width, H = size.height;

    const int code = static_cast<int16_t>(static_cast<uint16_t>(genten & 0xFFFF));
    const double v = anchor_offset(code / 4, H);
    const double u = anchor_offset(code % 4, W);

    const double a = kaiten * kRadPerDeg;
    const double C = std::cos(a), S = std::sin(a);
    const double blx = x0 - (C * u - S * v);
    const double bly = y0 - (S * u + C * v);

    xs[0] = blx;
    ys[0] = bly;
    xs[1] = blx + -S * H;
    ys[1] = bly + C * H;
    xs[2] = blx + (C * W - S * H);
    ys[2] = bly + (S * W + C * H);
    xs[3] = blx + C * W;
    ys[3] = bly + S * W;
    xs[4] = blx;
    ys[4] = bly;
}

}  // namespace vostik

VOSTIK_API void VOSTIK_CALL ClearMinmax(double *xmin, double *ymin, double *zmin, double *xmax, double *ymax,
                                        double *zmax) {
    *xmin = DBL_MAX;
    *ymin = DBL_MAX;
    *zmin = DBL_MAX;
    *xmax = -DBL_MAX;
    *ymax = -DBL_MAX;
    *zmax = -DBL_MAX;
}

VOSTIK_API void VOSTIK_CALL SetMinmaxXYZ(double x, double y, double z, double *xmin, double *ymin, double *zmin,
                                         double *xmax, double *ymax, double *zmax) {
    if (x > *xmax) *xmax = x;
    if (y > *ymax) *ymax = y;
    if (z > *zmax) *zmax = z;
    if (x < *xmin) *xmin = x;
    if (y < *ymin) *ymin = y;
    if (z < *zmin) *zmin = z;
}

VOSTIK_API void VOSTIK_CALL GetMinmaxPoint(double x, double y, double z, double *xmin, double *ymin, double *zmin,
                                           double *xmax, double *ymax, double *zmax) {
    *xmin = x;
    *ymin = y;
    *zmin = z;
    *xmax = x;
    *ymax = y;
    *zmax = z;
}

VOSTIK_API void VOSTIK_CALL GetMinmaxLine(double x1, double y1, double x2, double y2, double takasa, double atumi,
                                          double *xmin, double *ymin, double *zmin, double *xmax, double *ymax,
                                          double *zmax) {
    span(x1, x2, xmin, xmax);
    span(y1, y2, ymin, ymax);
    z_span(takasa, atumi, zmin, zmax);
}

VOSTIK_API void VOSTIK_CALL GetMinmaxCircle(double x, double y, double r, double takasa, double atumi, double *xmin,
                                            double *ymin, double *zmin, double *xmax, double *ymax, double *zmax) {
    // x + r*cos a covers the same circle for r and -r.
    const double radius = std::fabs(r);
    *xmin = x - radius;
    *xmax = x + radius;
    *ymin = y - radius;
    *ymax = y + radius;
    z_span(takasa, atumi, zmin, zmax);
}

VOSTIK_API void VOSTIK_CALL GetMinmaxArc(double x, double y, double r, double s, double e, double takasa,
                                         double atumi, double *xmin, double *ymin, double *zmin, double *xmax,
                                         double *ymax, double *zmax) {
    // Angles outside 0..360 would make the quadrant tests below miss extreme
    // points; in-range angles are left as they are.
    NormalizeDegree(&s);
    NormalizeDegree(&e);

    double zlo, zhi;
    z_span(takasa, atumi, &zlo, &zhi);

    const double sa = s * kRadPerDeg, ea = e * kRadPerDeg;
    double xlo = x + r * std::cos(sa);
    double ylo = y + r * std::sin(sa);
    double xhi = x + r * std::cos(ea);
    double yhi = y + r * std::sin(ea);
    if (xlo > xhi) {
        double t = xlo;
        xlo = xhi;
        xhi = t;
    }
    if (ylo > yhi) {
        double t = ylo;
        ylo = yhi;
        yhi = t;
    }

    // Where the point at 0, 90, 180 and 270 degrees lands in the box.  With a
    // negative radius each of them lies on the far side of the centre.
    const bool flipped = r < 0;
    double &east_end = flipped ? xlo : xhi;
    double &north_end = flipped ? ylo : yhi;
    double &west_end = flipped ? xhi : xlo;
    double &south_end = flipped ? yhi : ylo;

    if (s < e) {
        if (s <= 90 && 90 <= e) north_end = y + r;
        if (s <= 180 && 180 <= e) west_end = x - r;
        if (s <= 270 && 270 <= e) south_end = y - r;
    } else if (s > e) {
        east_end = x + r;
        if (!(e <= 90 && 90 <= s)) north_end = y + r;
        if (!(e <= 180 && 180 <= s)) west_end = x - r;
        if (!(e <= 270 && 270 <= s)) south_end = y - r;
    }

    *xmin = xlo;
    *ymin = ylo;
    *zmin = zlo;
    *xmax = xhi;
    *ymax = yhi;
    *zmax = zhi;
}

VOSTIK_API void VOSTIK_CALL GetMinmaxRectItem(double x1, double y1, double x2, double y2, double *xmin, double *ymin,
                                              double *zmin, double *xmax, double *ymax, double *zmax) {
    span(x1, x2, xmin, xmax);
    span(y1, y2, ymin, ymax);
    *zmin = 0;
    *zmax = 0;
}

VOSTIK_API void VOSTIK_CALL GetMinmax3DLine(double x1, double y1, double z1, double x2, double y2, double z2,
                                            double *xmin, double *ymin, double *zmin, double *xmax, double *ymax,
                                            double *zmax) {
    span(x1, x2, xmin, xmax);
    span(y1, y2, ymin, ymax);
    span(z1, z2, zmin, zmax);
}

VOSTIK_API void VOSTIK_CALL GetTextCorner(const char *text, double x0, double y0, double /*z*/, double ts_takasa,
                                          double ts_haba, double ts_kankaku, double linegap, double kaiten,
                                          int32_t genten, double *xs, double *ys) {
    vostik::text_corner(text, x0, y0, ts_takasa, ts_haba, ts_kankaku, linegap, kaiten, genten, xs, ys,
                        vostik::is_lead_byte);
}

VOSTIK_API void VOSTIK_CALL GetMinmaxText(const char *text, double x0, double y0, double z, double ts_takasa,
                                          double ts_haba, double ts_kankaku, double linegap, double kaiten,
                                          int32_t genten, double *xmin, double *ymin, double *zmin, double *xmax,
                                          double *ymax, double *zmax) {
    double xs[5], ys[5];
    GetTextCorner(text, x0, y0, z, ts_takasa, ts_haba, ts_kankaku, linegap, kaiten, genten, xs, ys);
    ClearMinmax(xmin, ymin, zmin, xmax, ymax, zmax);
    for (int i = 0; i < 5; ++i) SetMinmaxXYZ(xs[i], ys[i], z, xmin, ymin, zmin, xmax, ymax, zmax);
}
