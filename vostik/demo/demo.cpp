// Prints a few results of each function family of VOSTIK, as a quick look
// that the library loads and answers.
#include <cstdio>

#include "vostik.h"

int main() {
    std::printf("VOSTIK demo\n");
    std::printf("angles:  SubKakudoD(1, -1) = %.6f, SubKakudo(0, -1) = %.15f\n", SubKakudoD(1, -1), SubKakudo(0, -1));
    double a = -720.5;
    std::printf("         NormalizeDegree(-720.5) = %.6f\n", NormalizeDegree(&a));
    double x = 3, y = 4, z = 12;
    NormalizeVector(&x, &y, &z);
    std::printf("vectors: NormalizeVector(3, 4, 12) = (%.6f, %.6f, %.6f)\n", x, y, z);
    double v[3] = {0, 0, 0};
    GetVal("1.5, 2,x", v, 3);
    std::printf("numbers: GetVal(\"1.5, 2,x\") = %g %g %g\n", v[0], v[1], v[2]);
    double px = 0, py = 0;
    GetPerpend(30, 40, 0, 0, 10, 10, &px, &py);
    std::printf("feet:    GetPerpend((30, 40) onto (0,0)-(10,10)) = (%g, %g)\n", px, py);
    return 0;
}
