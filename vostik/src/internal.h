// Helpers shared by the library's own sources; not exported.
#pragma once

namespace vostik {

inline void SwapDouble(double *a, double *b) {
    double t = *a;
    *a = *b;
    *b = t;
}

}  // namespace vostik
