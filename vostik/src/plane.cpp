// Intersections in the plane: lines, segments, circles and arcs, the arc
// sweep test and the region code of a point.
//
// Every decision here is an exact comparison (a tangent is a discriminant of
// exactly 0), so the expressions keep the grouping and order in which the
// results are defined: regrouping them would change bits, and with them
// which cases count as tangent or as lying on a segment.
#include "vostik.h"

#include <algorithm>
#include <cmath>

namespace {

// A point is only handed back when both of its coordinates are finite.
// NaN or infinite arguments, and arithmetic that overflows, end up here as
// a non-finite discriminant or point and give a count of 0 instead.
template <class... T>
bool finite(T... v) {
    return (std::isfinite(v) && ...);
}

bool on_arc(double cx, double cy, double s, double e, double px, double py) {
    return OnArcCheck(s, e, SubKakudoD(px - cx, py - cy)) == 1;
}

// Keeps the n points of the slots that lie on the arc(s), packed from slot 1.
template <class OnArcs>
int16_t keep_on_arcs(int16_t n, double *rx1, double *ry1, double *rx2, double *ry2, OnArcs on_arcs) {
    if (n == 1) return on_arcs(*rx1, *ry1) ? 1 : 0;
    if (n != 2) return 0;
    bool first = on_arcs(*rx1, *ry1);
    bool second = on_arcs(*rx2, *ry2);
    if (first && second) return 2;
    if (first) return 1;
    if (second) {
        *rx1 = *rx2;
        *ry1 = *ry2;
        return 1;
    }
    return 0;
}

}  // namespace

VOSTIK_API int16_t VOSTIK_CALL GetIntersection(double x1, double y1, double x2, double y2,
                                               double x3, double y3, double x4, double y4,
                                               double *x, double *y) {
    double d = (x4 - x3) * (y2 - y1) - (y4 - y3) * (x2 - x1);
    if (d == 0) return 0;
    double s = ((y3 - y1) * (x4 - x3) - (x3 - x1) * (y4 - y3)) / d;
    double t = ((x2 - x1) * (y3 - y1) - (y2 - y1) * (x3 - x1)) / d;
    double px = x1 + (x2 - x1) * s;
    double py = y1 + (y2 - y1) * s;
    if (!finite(px, py)) return 0;
    *x = px;
    *y = py;
    return 0 <= s && s <= 1 && 0 <= t && t <= 1 ? 1 : -1;
}

VOSTIK_API int16_t VOSTIK_CALL GetInterCircleLine(double x0, double y0, double r0,
                                                  double x1, double y1, double x2, double y2,
                                                  double *rx1, double *ry1, double *rx2, double *ry2) {
    double dx = x2 - x1, dy = y2 - y1;
    double l = dx * dx + dy * dy;
    if (l == 0) return 0;
    double c = dx * (y0 - y1) - dy * (x0 - x1);
    double disc = r0 * (r0 * l) - c * c;
    if (!(disc >= 0)) return 0;  // also a NaN discriminant
    double p = dy * (y0 - y1) + dx * (x0 - x1);
    if (disc == 0) {
        double u = p / l;
        double px = x1 + dx * u, py = y1 + dy * u;
        if (!finite(px, py)) return 0;
        *rx1 = px;
        *ry1 = py;
        return 1;
    }
    double w = std::sqrt(disc);
    double u1 = (p - w) / l, u2 = (p + w) / l;
    double px1 = x1 + dx * u1, py1 = y1 + dy * u1;
    double px2 = x1 + dx * u2, py2 = y1 + dy * u2;
    if (!finite(px1, py1, px2, py2)) return 0;
    *rx1 = px1;
    *ry1 = py1;
    *rx2 = px2;
    *ry2 = py2;
    return 2;
}

VOSTIK_API int16_t VOSTIK_CALL GetInterCircleSegment(double x0, double y0, double r0,
                                                     double x1, double y1, double x2, double y2,
                                                     double *rx1, double *ry1, double *rx2, double *ry2) {
    double dx = x2 - x1, dy = y2 - y1;
    if (dx == 0 && dy == 0) return 0;
    // The circle's box with its bounds in order, so that a negative radius
    // tests the same box as its magnitude instead of an inverted one.
    double r = std::fabs(r0);
    if (x0 + r < std::min(x1, x2) || x0 - r > std::max(x1, x2) ||
        y0 + r < std::min(y1, y2) || y0 - r > std::max(y1, y2)) {
        return 0;
    }
    int16_t n = GetInterCircleLine(x0, y0, r0, x1, y1, x2, y2, rx1, ry1, rx2, ry2);
    if (n == 0) return 0;
    // Measured along the longer axis of the segment, so the division is by
    // the larger difference.
    bool by_y = std::fabs(dy) >= std::fabs(dx);
    auto on_segment = [&](double px, double py) {
        double u = by_y ? (py - y1) / dy : (px - x1) / dx;
        return 0 <= u && u <= 1;
    };
    int16_t count = 0;
    if (on_segment(*rx1, *ry1)) {
        count = 1;
    } else {
        *rx1 = *rx2;
        *ry1 = *ry2;
    }
    if (n == 2 && on_segment(*rx2, *ry2)) ++count;
    return count;
}

VOSTIK_API int16_t VOSTIK_CALL GetInterArcLine(double x0, double y0, double r, double s, double e,
                                               double x1, double y1, double x2, double y2,
                                               double *rx1, double *ry1, double *rx2, double *ry2) {
    if (!finite(s, e)) return 0;
    int16_t n = GetInterCircleLine(x0, y0, r, x1, y1, x2, y2, rx1, ry1, rx2, ry2);
    return keep_on_arcs(n, rx1, ry1, rx2, ry2,
                        [&](double px, double py) { return on_arc(x0, y0, s, e, px, py); });
}

VOSTIK_API int16_t VOSTIK_CALL GetInterArcSegment(double x0, double y0, double r, double s, double e,
                                                  double x1, double y1, double x2, double y2,
                                                  double *rx1, double *ry1, double *rx2, double *ry2) {
    if (!finite(s, e)) return 0;
    int16_t n = GetInterCircleSegment(x0, y0, r, x1, y1, x2, y2, rx1, ry1, rx2, ry2);
    return keep_on_arcs(n, rx1, ry1, rx2, ry2,
                        [&](double px, double py) { return on_arc(x0, y0, s, e, px, py); });
}

VOSTIK_API int16_t VOSTIK_CALL GetInterArcArc(double x1, double y1, double r1, double s1, double e1,
                                              double x2, double y2, double r2, double s2, double e2,
                                              double *rx1, double *ry1, double *rx2, double *ry2) {
    if (!finite(s1, e1, s2, e2)) return 0;
    int16_t n = GetInterCircleCircle(x1, y1, r1, x2, y2, r2, rx1, ry1, rx2, ry2);
    return keep_on_arcs(n, rx1, ry1, rx2, ry2, [&](double px, double py) {
        return on_arc(x1, y1, s1, e1, px, py) && on_arc(x2, y2, s2, e2, px, py);
    });
}

VOSTIK_API int16_t VOSTIK_CALL GetInterCircleArc(double x1, double y1, double r1,
                                                 double x2, double y2, double r2, double s2, double e2,
                                                 double *rx1, double *ry1, double *rx2, double *ry2) {
    if (!finite(s2, e2)) return 0;
    int16_t n = GetInterCircleCircle(x1, y1, r1, x2, y2, r2, rx1, ry1, rx2, ry2);
    return keep_on_arcs(n, rx1, ry1, rx2, ry2,
                        [&](double px, double py) { return on_arc(x2, y2, s2, e2, px, py); });
}

VOSTIK_API int16_t VOSTIK_CALL GetInterCircleCircle(double x1, double y1, double r1,
                                                    double x2, double y2, double r2,
                                                    double *rx1, double *ry1, double *rx2, double *ry2) {
    if (x1 == x2 && y1 == y2) return 0;
    double a = r2 * r2, b = r1 * r1;
    double h = x2 - x1, k = y2 - y1;
    double d = h * h + k * k;
    double disc = (a + b) * d * 2 - d * d - (a - b) * (a - b);
    if (!(disc >= 0)) return 0;  // also a NaN discriminant
    double q = 0.5 / d;
    double f = 0.5 - (a - b) * q;
    double mx = x1 + h * f, my = y1 + k * f;
    if (disc == 0) {
        if (!finite(mx, my)) return 0;
        *rx1 = mx;
        *ry1 = my;
        return 1;
    }
    double g = q * std::sqrt(disc);
    double px1 = mx - g * k, py1 = my + g * h;
    double px2 = mx + g * k, py2 = my - g * h;
    if (!finite(px1, py1, px2, py2)) return 0;
    *rx1 = px1;
    *ry1 = py1;
    *rx2 = px2;
    *ry2 = py2;
    return 2;
}

VOSTIK_API int32_t VOSTIK_CALL OnArcCheck(double s, double e, double d) {
    NormalizeDegree(&s);
    NormalizeDegree(&e);
    NormalizeDegree(&d);
    // Folding turns an infinite angle into NaN as well.  Without this test a
    // NaN start angle would put every direction below e on the arc.
    if (std::isnan(s) || std::isnan(e) || std::isnan(d)) return 0;
    if (s < e) return s < d && d < e ? 1 : 0;
    return d < e || s < d ? 1 : 0;
}

VOSTIK_API int16_t VOSTIK_CALL ClipCode(double x, double y, double x1, double x2, double y1, double y2) {
    // Asked as "not inside this edge" so that a NaN coordinate or bound puts
    // the point outside rather than silently inside.
    int16_t code = 0;
    if (!(x >= x1)) code |= 1;
    if (!(x <= x2)) code |= 2;
    if (!(y >= y1)) code |= 4;
    if (!(y <= y2)) code |= 8;
    return code;
}
