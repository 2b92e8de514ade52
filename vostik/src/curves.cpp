// Points on circles, splines and Bezier curves; arcs from a tangent or through
// three points; the period of a line type.
#include "vostik.h"

#include <cmath>
#include <cstdint>

#include "internal.h"

namespace {

constexpr double kRadPerDeg = 0.017453292519943295;
constexpr double kOneSixth = 0.16666666666666666;
constexpr double kTwoThirds = 0.6666666666666666;
// Below this the end point counts as lying on the tangent line.
constexpr double kOnTangent = 0.000000001;

double distance(double x1, double y1, double x2, double y2) {
    const double dx = x1 - x2, dy = y1 - y2;
    return std::sqrt(dx * dx + dy * dy);
}

// An arc whose centre or radius is not finite is no arc a caller can use.
bool usable(double x0, double y0, double r) {
    return std::isfinite(x0) && std::isfinite(y0) && std::isfinite(r);
}

}  // namespace

VOSTIK_API void VOSTIK_CALL GetArcPoint(double x0, double y0, double r, double d, double *x, double *y) {
    const double a = d * kRadPerDeg;
    *x = x0 + r * std::cos(a);
    *y = y0 + r * std::sin(a);
}

VOSTIK_API void VOSTIK_CALL GetAnglePosition(double x0, double y0, double dist, double d, double *x, double *y) {
    GetArcPoint(x0, y0, dist, d, x, y);
}

VOSTIK_API void VOSTIK_CALL GetSpline2Point(double x1, double y1, double x2, double y2, double x3, double y3,
                                            double t, double *x, double *y) {
    const double u = 1 - t;
    const double b1 = u * u / 2;
    const double b2 = 0.5 + t - t * t;
    const double b3 = t * t / 2;
    *x = b1 * x1 + b2 * x2 + b3 * x3;
    *y = b1 * y1 + b2 * y2 + b3 * y3;
}

VOSTIK_API void VOSTIK_CALL GetSpline3Point(double x1, double y1, double x2, double y2, double x3, double y3,
                                            double x4, double y4, double t, double *x, double *y) {
    const double u = 1 - t;
    const double t2 = t * t, t3 = t * t * t;
    const double b1 = u * u * u * kOneSixth;
    const double b2 = kTwoThirds - t2 + t3 / 2;
    const double b3 = kOneSixth + t / 2 + t2 / 2 - t3 / 2;
    const double b4 = t3 * kOneSixth;
    *x = b1 * x1 + b2 * x2 + b3 * x3 + b4 * x4;
    *y = b1 * y1 + b2 * y2 + b3 * y3 + b4 * y4;
}

VOSTIK_API void VOSTIK_CALL GetBezierPoint(double x1, double y1, double x2, double y2, double x3, double y3,
                                           double x4, double y4, double t, double *x, double *y) {
    const double u = 1 - t;
    const double b1 = u * u * u;
    const double b2 = 3 * t * u * u;
    const double b3 = 3 * t * t * u;
    const double b4 = t * t * t;
    *x = b1 * x1 + b2 * x2 + b3 * x3 + b4 * x4;
    *y = b1 * y1 + b2 * y2 + b3 * y3 + b4 * y4;
}

VOSTIK_API int32_t VOSTIK_CALL CalcCenterArc(double x1, double y1, double dx, double dy, double x2, double y2,
                                             double *x0, double *y0, double *r, double *s, double *e,
                                             int32_t *reverse) {
    const double ex = x2 - x1, ey = y2 - y1;
    // Which side of the tangent P2 lies on.
    const double m = ey * dx - ex * dy;
    if (std::fabs(m) < kOnTangent) return 0;

    const double k = (ex * ex + ey * ey) / (2 * m);
    const double cx = x1 - dy * k;
    const double cy = y1 + dx * k;
    const double radius = distance(x1, y1, cx, cy);
    // NaN or infinite arguments end here too.
    if (!usable(cx, cy, radius)) return 0;

    double start = SubKakudoD(x1 - cx, y1 - cy);
    double end = SubKakudoD(x2 - cx, y2 - cy);
    int32_t reversed = 0;
    if (m < 0) {
        // P2 is to the right: the arc turns clockwise from P1, which is the
        // counter-clockwise arc from P2 to P1.
        vostik::SwapDouble(&start, &end);
        reversed = 1;
    }
    *x0 = cx;
    *y0 = cy;
    *r = radius;
    *s = start;
    *e = end;
    *reverse = reversed;
    return 1;
}

VOSTIK_API int32_t VOSTIK_CALL GetArcVal(double x1, double y1, double x2, double y2, double x3, double y3,
                                         double *x0, double *y0, double *r, double *s, double *e) {
    const double D = (y1 - y2) * (x1 - x3) - (x1 - x2) * (y1 - y3);
    if (D == 0) return 0;  // collinear

    const double u = (y1 - y3) * (y1 + y3) + (x1 - x3) * (x1 + x3);
    const double v = (y1 - y2) * (y1 + y2) + (x1 - x2) * (x1 + x2);
    const double cx = ((y1 - y2) * u - (y1 - y3) * v) * 0.5 / D;
    const double cy = ((x1 - x2) * u - (x1 - x3) * v) * -0.5 / D;
    const double radius = distance(x1, y1, cx, cy);
    // Nearly collinear points whose circle is too large for a double, and
    // NaN or infinite arguments.
    if (!usable(cx, cy, radius)) return 0;

    double start = SubKakudoD(x1 - cx, y1 - cy);
    double end = SubKakudoD(x2 - cx, y2 - cy);
    const double middle = SubKakudoD(x3 - cx, y3 - cy);
    if (OnArcCheck(start, end, middle) == 0) vostik::SwapDouble(&start, &end);

    *x0 = cx;
    *y0 = cy;
    *r = radius;
    *s = start;
    *e = end;
    return 1;
}

VOSTIK_API double VOSTIK_CALL GetLTypeDefLength(const uint16_t *def) {
    double sum = 0;
    if (def == nullptr) return sum;
    for (const uint16_t *p = def; *p != 0; ++p) sum = sum + *p * 0.01;
    return sum;
}
