// Time per call of the extents and curve functions, each beside a baseline
// of the raw work it cannot avoid: its sin/cos, atan2 and sqrt calls, or for
// the functions without any, the same arithmetic written inline (so their
// ratio is the price of the call through the exported interface).  A table
// of library / baseline ratios follows the usual output.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "vostik.h"

namespace {

constexpr double kDeg = 0.017453292519943295;
constexpr std::size_t kCount = 1024;  // varied inputs, so nothing is hoisted

struct Inputs {
    std::vector<double> coord, angle, t;
    Inputs() {
        std::mt19937_64 rng(42);
        std::uniform_real_distribution<double> c(-1e4, 1e4), a(0, 360), u(0, 1);
        for (std::size_t i = 0; i < kCount; ++i) {
            coord.push_back(c(rng));
            angle.push_back(a(rng));
            t.push_back(u(rng));
        }
    }
};
const Inputs in;

// Calls body with a running index into the inputs.
template <typename Body>
void run(benchmark::State &state, const Body &body) {
    std::size_t i = 0;
    for (auto _ : state) {
        body(i);
        i = (i + 1) & (kCount - 1);
    }
}

double c(std::size_t i, std::size_t k) {
    return in.coord[(i + k) & (kCount - 1)];
}
double a(std::size_t i, std::size_t k) {
    return in.angle[(i + k) & (kCount - 1)];
}

double box[6];
#define BOX &box[0], &box[1], &box[2], &box[3], &box[4], &box[5]

double lesser(double a, double b) {
    return b < a ? b : a;
}
double greater(double a, double b) {
    return b > a ? b : a;
}

void keep(double v) {
    benchmark::DoNotOptimize(v);
}

// Both together, so the compiler may merge them into one call as it does in
// the library.
void sin_cos(double degrees) {
    const double a = degrees * kDeg;
    const double co = std::cos(a), si = std::sin(a);
    keep(co);
    keep(si);
}

const char kShortText[] = "ABC";
const char kLongText[] = "The quick brown fox\rjumps over\r\nthe lazy dog 0123456789";
const uint16_t kLineType[] = {100, 50, 250, 65535, 0};

std::vector<std::string> names;

template <typename Lib, typename Base>
void add(const char *name, Lib library, Base baseline) {
    names.emplace_back(name);
    benchmark::RegisterBenchmark(name, [library](benchmark::State &s) { run(s, library); });
    benchmark::RegisterBenchmark((std::string(name) + "/baseline").c_str(),
                                 [baseline](benchmark::State &s) { run(s, baseline); });
}

void register_all() {
    add(
        "ClearMinmax",
        [](std::size_t) {
            ClearMinmax(BOX);
            benchmark::ClobberMemory();
        },
        [](std::size_t) {
            box[0] = box[1] = box[2] = 1.7976931348623157e308;
            box[3] = box[4] = box[5] = -1.7976931348623157e308;
            benchmark::ClobberMemory();
        });
    add(
        "SetMinmaxXYZ",
        [](std::size_t i) {
            SetMinmaxXYZ(c(i, 0), c(i, 1), c(i, 2), BOX);
            benchmark::ClobberMemory();
        },
        [](std::size_t i) {
            double x = c(i, 0), y = c(i, 1), z = c(i, 2);
            if (x > box[3]) box[3] = x;
            if (y > box[4]) box[4] = y;
            if (z > box[5]) box[5] = z;
            if (x < box[0]) box[0] = x;
            if (y < box[1]) box[1] = y;
            if (z < box[2]) box[2] = z;
            benchmark::ClobberMemory();
        });
    add(
        "GetMinmaxPoint",
        [](std::size_t i) {
            GetMinmaxPoint(c(i, 0), c(i, 1), c(i, 2), BOX);
            benchmark::ClobberMemory();
        },
        [](std::size_t i) {
            box[0] = box[3] = c(i, 0), box[1] = box[4] = c(i, 1), box[2] = box[5] = c(i, 2);
            benchmark::ClobberMemory();
        });
    add(
        "GetMinmaxRectItem",
        [](std::size_t i) {
            GetMinmaxRectItem(c(i, 0), c(i, 1), c(i, 2), c(i, 3), BOX);
            benchmark::ClobberMemory();
        },
        [](std::size_t i) {
            box[0] = lesser(c(i, 0), c(i, 2)), box[3] = greater(c(i, 0), c(i, 2));
            box[1] = lesser(c(i, 1), c(i, 3)), box[4] = greater(c(i, 1), c(i, 3));
            box[2] = box[5] = 0;
            benchmark::ClobberMemory();
        });
    add(
        "GetMinmaxLine",
        [](std::size_t i) {
            GetMinmaxLine(c(i, 0), c(i, 1), c(i, 2), c(i, 3), c(i, 4), c(i, 5), BOX);
            benchmark::ClobberMemory();
        },
        [](std::size_t i) {
            box[0] = lesser(c(i, 0), c(i, 2)), box[3] = greater(c(i, 0), c(i, 2));
            box[1] = lesser(c(i, 1), c(i, 3)), box[4] = greater(c(i, 1), c(i, 3));
            box[2] = lesser(c(i, 4), c(i, 4) + c(i, 5)), box[5] = greater(c(i, 4), c(i, 4) + c(i, 5));
            benchmark::ClobberMemory();
        });
    add(
        "GetMinmax3DLine",
        [](std::size_t i) {
            GetMinmax3DLine(c(i, 0), c(i, 1), c(i, 2), c(i, 3), c(i, 4), c(i, 5), BOX);
            benchmark::ClobberMemory();
        },
        [](std::size_t i) {
            for (int k = 0; k < 3; ++k)
                box[k] = lesser(c(i, k), c(i, k + 3)), box[k + 3] = greater(c(i, k), c(i, k + 3));
            benchmark::ClobberMemory();
        });
    add(
        "GetMinmaxCircle",
        [](std::size_t i) {
            GetMinmaxCircle(c(i, 0), c(i, 1), c(i, 2), c(i, 3), c(i, 4), BOX);
            benchmark::ClobberMemory();
        },
        [](std::size_t i) {
            double r = std::fabs(c(i, 2));
            box[0] = c(i, 0) - r, box[3] = c(i, 0) + r, box[1] = c(i, 1) - r, box[4] = c(i, 1) + r;
            box[2] = lesser(c(i, 3), c(i, 3) + c(i, 4)), box[5] = greater(c(i, 3), c(i, 3) + c(i, 4));
            benchmark::ClobberMemory();
        });
    add(
        "GetMinmaxArc",
        [](std::size_t i) {
            GetMinmaxArc(c(i, 0), c(i, 1), c(i, 2), a(i, 0), a(i, 1), 0, 1, BOX);
            benchmark::ClobberMemory();
        },
        [](std::size_t i) {
            sin_cos(a(i, 0));
            sin_cos(a(i, 1));
        });
    add(
        "GetTextCorner/short",
        [](std::size_t i) {
            double xs[5], ys[5];
            GetTextCorner(kShortText, c(i, 0), c(i, 1), 0, 10, 5, 1, 2, a(i, 0), 5, xs, ys);
            benchmark::DoNotOptimize(xs), benchmark::DoNotOptimize(ys);
        },
        [](std::size_t i) { sin_cos(a(i, 0)); });
    add(
        "GetTextCorner/54chars",
        [](std::size_t i) {
            double xs[5], ys[5];
            GetTextCorner(kLongText, c(i, 0), c(i, 1), 0, 10, 5, 1, 2, a(i, 0), 5, xs, ys);
            benchmark::DoNotOptimize(xs), benchmark::DoNotOptimize(ys);
        },
        [](std::size_t i) { sin_cos(a(i, 0)); });
    add(
        "GetMinmaxText",
        [](std::size_t i) {
            GetMinmaxText(kShortText, c(i, 0), c(i, 1), 0, 10, 5, 1, 2, a(i, 0), 5, BOX);
            benchmark::ClobberMemory();
        },
        [](std::size_t i) { sin_cos(a(i, 0)); });
    add(
        "GetArcPoint",
        [](std::size_t i) {
            double x, y;
            GetArcPoint(c(i, 0), c(i, 1), c(i, 2), a(i, 0), &x, &y);
            keep(x), keep(y);
        },
        [](std::size_t i) { sin_cos(a(i, 0)); });
    add(
        "GetAnglePosition",
        [](std::size_t i) {
            double x, y;
            GetAnglePosition(c(i, 0), c(i, 1), c(i, 2), a(i, 0), &x, &y);
            keep(x), keep(y);
        },
        [](std::size_t i) { sin_cos(a(i, 0)); });
    add(
        "GetSpline2Point",
        [](std::size_t i) {
            double x, y;
            GetSpline2Point(c(i, 0), c(i, 1), c(i, 2), c(i, 3), c(i, 4), c(i, 5), in.t[i], &x, &y);
            keep(x), keep(y);
        },
        [](std::size_t i) {
            double t = in.t[i], u = 1 - t, b1 = u * u / 2, b2 = 0.5 + t - t * t, b3 = t * t / 2;
            keep(b1 * c(i, 0) + b2 * c(i, 2) + b3 * c(i, 4));
            keep(b1 * c(i, 1) + b2 * c(i, 3) + b3 * c(i, 5));
        });
    add(
        "GetSpline3Point",
        [](std::size_t i) {
            double x, y;
            GetSpline3Point(c(i, 0), c(i, 1), c(i, 2), c(i, 3), c(i, 4), c(i, 5), c(i, 6), c(i, 7), in.t[i], &x, &y);
            keep(x), keep(y);
        },
        [](std::size_t i) {
            double t = in.t[i], u = 1 - t, b1 = u * u * u / 6, b4 = t * t * t / 6;
            double b2 = 2.0 / 3 - t * t + t * t * t / 2, b3 = 1 - b1 - b2 - b4;
            keep(b1 * c(i, 0) + b2 * c(i, 2) + b3 * c(i, 4) + b4 * c(i, 6));
            keep(b1 * c(i, 1) + b2 * c(i, 3) + b3 * c(i, 5) + b4 * c(i, 7));
        });
    add(
        "GetBezierPoint",
        [](std::size_t i) {
            double x, y;
            GetBezierPoint(c(i, 0), c(i, 1), c(i, 2), c(i, 3), c(i, 4), c(i, 5), c(i, 6), c(i, 7), in.t[i], &x, &y);
            keep(x), keep(y);
        },
        [](std::size_t i) {
            double t = in.t[i], u = 1 - t, b1 = u * u * u, b2 = 3 * t * u * u, b3 = 3 * t * t * u, b4 = t * t * t;
            keep(b1 * c(i, 0) + b2 * c(i, 2) + b3 * c(i, 4) + b4 * c(i, 6));
            keep(b1 * c(i, 1) + b2 * c(i, 3) + b3 * c(i, 5) + b4 * c(i, 7));
        });
    add(
        "CalcCenterArc",
        [](std::size_t i) {
            double o[5];
            int32_t rev;
            benchmark::DoNotOptimize(CalcCenterArc(c(i, 0), c(i, 1), c(i, 2), c(i, 3), c(i, 4), c(i, 5), &o[0], &o[1],
                                                   &o[2], &o[3], &o[4], &rev));
            benchmark::DoNotOptimize(o);
        },
        [](std::size_t i) {
            keep(std::sqrt(c(i, 0))), keep(std::atan2(c(i, 1), c(i, 2))), keep(std::atan2(c(i, 3), c(i, 4)));
        });
    add(
        "GetArcVal",
        [](std::size_t i) {
            double o[5];
            benchmark::DoNotOptimize(
                GetArcVal(c(i, 0), c(i, 1), c(i, 2), c(i, 3), c(i, 4), c(i, 5), &o[0], &o[1], &o[2], &o[3], &o[4]));
            benchmark::DoNotOptimize(o);
        },
        [](std::size_t i) {
            keep(std::sqrt(c(i, 0))), keep(std::atan2(c(i, 1), c(i, 2))), keep(std::atan2(c(i, 3), c(i, 4)));
            keep(std::atan2(c(i, 5), c(i, 6)));
        });
    add(
        "GetLTypeDefLength",
        [](std::size_t) {
            const uint16_t *def = kLineType;
            benchmark::DoNotOptimize(def);
            keep(GetLTypeDefLength(def));
        },
        [](std::size_t) {
            const uint16_t *def = kLineType;
            benchmark::DoNotOptimize(def);
            double sum = 0;
            for (; *def; ++def) sum += *def * 0.01;
            keep(sum);
        });
}

// The usual console output, plus each run's time per call remembered by name.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ns_per_call;
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                ns_per_call[r.benchmark_name()] =
                    r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e9;
    }
};

}  // namespace

int main(int argc, char **argv) {
    register_all();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-24s %10s %12s %7s\n", "function", "ns/call", "baseline ns", "ratio");
    for (const std::string &name : names) {
        auto lib = reporter.ns_per_call.find(name);
        auto base = reporter.ns_per_call.find(name + "/baseline");
        if (lib == reporter.ns_per_call.end() || base == reporter.ns_per_call.end()) continue;
        std::printf("%-24s %10.2f %12.2f %7.2f\n", name.c_str(), lib->second, base->second, lib->second / base->second);
    }
    return 0;
}
