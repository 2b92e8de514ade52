// Angles, normalisation, number lists, parallel test and perpendicular feet.
#include "vostik.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "number_text.h"

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDegPerRad = 57.29577951308232;
}  // namespace

VOSTIK_API double VOSTIK_CALL SubKakudo(double dx, double dy) {
    if (dx == 0 && dy == 0) return 0;
    double a = std::atan2(dy, dx);
    if (a < 0) a = a + kTwoPi;
    return a;
}

VOSTIK_API double VOSTIK_CALL SubKakudoD(double dx, double dy) {
    if (dx == 0 && dy == 0) return 0;
    double d = std::atan2(dy, dx) * kDegPerRad;
    return NormalizeDegree(&d);
}

// Adding or subtracting 360 one turn at a time is exact while the value is a
// multiple of its own last bit and 360 is a multiple of that bit, that is
// below 2^56 in magnitude.  So every turn that moves a value towards the
// range is exact and lands on fmod(v, 360); only the last turn of a negative
// value (r + 360) rounds, and we make that same addition.
VOSTIK_API double VOSTIK_CALL NormalizeDegree(double *a) {
    double v = *a;
    if (v >= 0 && v <= 360) return v;
    if (std::isnan(v)) return v;
    if (std::isinf(v)) {
        *a = std::nan("");
        return *a;
    }
    // One turn away, as most directions from atan2 are, fmod would give v
    // itself; skip its cost.
    double r = (v > -360 && v < 720) ? (v > 360 ? v - 360.0 : v) : std::fmod(v, 360.0);
    if (v > 360) {
        v = r == 0 ? 360.0 : r;
    } else {
        v = r == 0 ? 0.0 : r + 360.0;
    }
    *a = v;
    return v;
}

VOSTIK_API void VOSTIK_CALL NormalizeVector(double *x, double *y, double *z) {
    double len = std::sqrt(*x * *x + *y * *y + *z * *z);
    if (len == 0) return;
    // All three quotients before any store, so aliased pointers still see
    // the original vector.
    double nx = *x / len, ny = *y / len, nz = *z / len;
    *x = nx;
    *y = ny;
    *z = nz;
}

VOSTIK_API void VOSTIK_CALL GetVal(const char *text, double *values, int32_t count) {
    if (!text || !values || count < 1) return;
    std::size_t len = std::strlen(text);
    char *work = static_cast<char *>(std::malloc(len + 5));
    if (!work) return;
    std::memcpy(work, text, len + 1);
    const char *field = work;
    int32_t stored = 0;
    for (;;) {
        const char *comma = std::strchr(field, ',');
        std::size_t field_len = comma ? static_cast<std::size_t>(comma - field) : std::strlen(field);
        values[stored++] = vostik::text_to_double(field, field_len);
        if (stored >= count || !comma) break;
        field = comma + 1;
    }
    std::free(work);
}

VOSTIK_API int32_t VOSTIK_CALL Parallel(double x1, double y1, double x2, double y2,
                                        double x3, double y3, double x4, double y4) {
    return (y2 - y1) * (x4 - x3) - (x2 - x1) * (y4 - y3) == 0 ? 1 : 0;
}

VOSTIK_API int32_t VOSTIK_CALL Parallel3(double x1, double y1, double, double x2, double y2, double,
                                         double x3, double y3, double, double x4, double y4, double) {
    return (x4 - x3) * (y2 - y1) - (y4 - y3) * (x2 - x1) == 0 ? 1 : 0;
}

VOSTIK_API int32_t VOSTIK_CALL GetPerpend(double x0, double y0, double x1, double y1,
                                          double x2, double y2, double *x, double *y) {
    double dx = x2 - x1, dy = y2 - y1;
    if (dx == 0 && dy == 0) return 0;
    if (x1 == x2) {
        *x = x1;
        *y = y0;
    } else if (y1 == y2) {
        *x = x0;
        *y = y1;
    } else {
        double t = ((x0 - x1) * dx + (y0 - y1) * dy) / (dx * dx + dy * dy);
        *x = x1 * (1 - t) + x2 * t;
        *y = y1 * (1 - t) + y2 * t;
    }
    return 1;
}

VOSTIK_API int32_t VOSTIK_CALL GetPerpend3(double x0, double y0, double z0,
                                           double x1, double y1, double z1,
                                           double x2, double y2, double z2,
                                           double *x, double *y, double *z) {
    double dx = x2 - x1, dy = y2 - y1, dz = z2 - z1;
    if (dx == 0 && dy == 0 && dz == 0) return 0;
    double t = ((x0 - x1) * dx + (y0 - y1) * dy + (z0 - z1) * dz) / (dx * dx + dy * dy + dz * dz);
    *x = x1 * (1 - t) + x2 * t;
    *y = y1 * (1 - t) + y2 * t;
    *z = z1 * (1 - t) + z2 * t;
    return 1;
}
