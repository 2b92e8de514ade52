// Meeting point of two lines in space.
//
// Unlike the plane functions this one decides with tolerances: lines that
// are nearly parallel count as parallel, and a fourth point slightly off
// the plane of the other three still counts as in it.  The point itself
// comes from the plane intersections of the lines' projections, chosen by
// the plane's normal, so that no projection that sees the plane edge-on is
// ever used.
#include "vostik.h"

#include <cmath>

namespace {

constexpr double kMinLength = 0.0001;
constexpr double kParallel = 0.0001;  // on 1 - |cos angle|, about 0.81 degrees
constexpr double kRatioHigh = 10000;
constexpr double kRatioLow = 0.00001;
constexpr double kCoplanar = 0.001;

// Unit direction from P to Q.  False when the line is too short to have
// one, and also when its length is NaN or overflows, since no direction can
// be had from it then.  The quotients are those NormalizeVector forms from
// the same length; dividing here saves taking the root a second time.
bool unit_direction(double px, double py, double pz, double qx, double qy, double qz,
                    double &ux, double &uy, double &uz) {
    ux = qx - px;
    uy = qy - py;
    uz = qz - pz;
    double len = std::sqrt(ux * ux + uy * uy + uz * uz);
    if (!(len >= kMinLength) || std::isinf(len)) return false;
    ux = ux / len;
    uy = uy / len;
    uz = uz / len;
    return true;
}

// Drops a component that is negligible beside its neighbour, so that a
// plane that is nearly a coordinate plane is treated as one and its
// end-on projections are not used.
void clean_normal(double &nx, double &ny, double &nz) {
    if (ny != 0) {
        double q = std::fabs(nx / ny);
        if (q > kRatioHigh) ny = 0;
        if (q < kRatioLow) nx = 0;
    }
    if (nz != 0) {
        double q = std::fabs(ny / nz);
        if (q > kRatioHigh) nz = 0;
        if (q < kRatioLow) ny = 0;
    }
    if (nx != 0) {
        double q = std::fabs(nz / nx);
        if (q > kRatioHigh) nx = 0;
        if (q < kRatioLow) nz = 0;
    }
}

// The plane intersection of both lines' shadows on the coordinate plane of
// axes i and j: the point's coordinates there, and its parameter on line 1.
struct Shadow {
    double a = 0, b = 0, s = 0;
    bool found = false;
};

Shadow shadow(const double (&p)[4][3], int i, int j) {
    Shadow sh;
    const double *p1 = p[0], *p2 = p[1], *p3 = p[2], *p4 = p[3];
    sh.found = GetIntersection(p1[i], p1[j], p2[i], p2[j], p3[i], p3[j], p4[i], p4[j], &sh.a, &sh.b) != 0;
    if (sh.found) {
        // The parameter GetIntersection placed the point by, formed the same way.
        double d = (p4[i] - p3[i]) * (p2[j] - p1[j]) - (p4[j] - p3[j]) * (p2[i] - p1[i]);
        sh.s = ((p3[j] - p1[j]) * (p4[i] - p3[i]) - (p3[i] - p1[i]) * (p4[j] - p3[j])) / d;
    }
    return sh;
}

}  // namespace

VOSTIK_API int32_t VOSTIK_CALL GetIntersection3(double x1, double y1, double z1,
                                                double x2, double y2, double z2,
                                                double x3, double y3, double z3,
                                                double x4, double y4, double z4,
                                                double *x, double *y, double *z) {
    auto write = [&](double px, double py, double pz) {
        *x = px;
        *y = py;
        *z = pz;
    };

    double ux, uy, uz, vx, vy, vz;
    if (!unit_direction(x1, y1, z1, x2, y2, z2, ux, uy, uz)) return -1;
    if (!unit_direction(x3, y3, z3, x4, y4, z4, vx, vy, vz)) return -1;
    if (std::fabs(1 - std::fabs(ux * vx + uy * vy + uz * vz)) < kParallel) return 0;

    if ((x1 == x3 && y1 == y3 && z1 == z3) || (x1 == x4 && y1 == y4 && z1 == z4)) {
        write(x1, y1, z1);
        return 1;
    }
    if ((x2 == x3 && y2 == y3 && z2 == z3) || (x2 == x4 && y2 == y4 && z2 == z4)) {
        write(x2, y2, z2);
        return 1;
    }

    double ax = x1 - x3, ay = y1 - y3, az = z1 - z3;
    double bx = x2 - x3, by = y2 - y3, bz = z2 - z3;
    double nx = ay * bz - az * by;
    double ny = az * bx - ax * bz;
    double nz = ax * by - ay * bx;
    clean_normal(nx, ny, nz);
    if (nx == 0 && ny == 0 && nz == 0) {
        write(x3, y3, z3);
        return -1;
    }

    double dist = std::fabs((nx * x4 + ny * y4 + nz * z4) - (nx * x1 + ny * y1 + nz * z1)) /
                  std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(dist < kCoplanar)) return -1;  // also a NaN distance

    // Shadows along x (YZ), y (ZX) and z (XY), each taken when the normal
    // has that component; a later shadow overwrites what an earlier gave.
    const double p[4][3] = {{x1, y1, z1}, {x2, y2, z2}, {x3, y3, z3}, {x4, y4, z4}};
    const double n[3] = {nx, ny, nz};
    double out[3] = {0, 0, 0};
    bool have[3] = {false, false, false};
    const Shadow *last_found = nullptr;
    Shadow shadows[3];
    for (int k = 0; k < 3; ++k) {
        if (n[k] == 0) continue;
        int i = (k + 1) % 3, j = (k + 2) % 3;
        shadows[k] = shadow(p, i, j);
        out[i] = shadows[k].a;
        out[j] = shadows[k].b;
        have[i] = have[j] = shadows[k].found;
        if (shadows[k].found) last_found = &shadows[k];
    }
    // The coordinate along the one axis the plane's normal runs along is P3's.
    for (int m = 0; m < 3; ++m) {
        if (n[(m + 1) % 3] == 0 && n[(m + 2) % 3] == 0) {
            out[m] = p[2][m];
            have[m] = true;
        }
    }
    // A shadow can have no point: line 2 seen end-on, or a short line 2
    // slightly off the plane whose shadow runs parallel to line 1's.  Its
    // coordinates are then taken from line 1 at the parameter another shadow
    // found; with none found the lines have no single meeting point.
    for (int m = 0; m < 3; ++m) {
        if (have[m]) continue;
        if (!last_found) return -1;
        out[m] = p[0][m] + (p[1][m] - p[0][m]) * last_found->s;
    }
    if (!std::isfinite(out[0]) || !std::isfinite(out[1]) || !std::isfinite(out[2])) return -1;
    write(out[0], out[1], out[2]);
    return 1;
}
