// Time per call of each intersection function beside a baseline made of the
// raw math calls it cannot do without (square roots, arc tangents,
// divisions).  The counter "ratio" is library time over baseline time; near
// 1 means the function costs little beyond its unavoidable math.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cmath>

#include "vostik.h"

namespace {

// A fixed round of inputs: crossing, tangent, missing and off-segment
// cases, so that no single branch is all the predictor ever sees.
struct Case {
    double x0, y0, r, s, e, x1, y1, x2, y2, cx, cy, cr;
};
constexpr std::array<Case, 8> kCases{{
    {0, 0, 5, 0, 180, -10, 3, 10, 3, 8, 0, 5},
    {0, 0, 5, 200, 100, 10, 3, -10, 3, 0, 8, 5},
    {0, 0, 5, 0, 90, -10, 5, 10, 5, 10, 0, 5},
    {1, 2, 13, 30, 300, -20, 7, 20, 7, 11, 2, 13},
    {0, 0, 5, 0, 360, 7, 1, -1, 7, 6, 8, 5},
    {0, 0, 5, 45, 135, -1, 3, 1, 3, 2, 0, 3},
    {0.5, -0.25, 3.75, 10, 350, -4, -4, 4, 4.5, 2.5, 1.5, 2.25},
    {0, 0, 5, 270, 90, 0, 3, 10, 3, 7, 7, 6},
}};

// Times the library call f per call, then the baseline over as many calls
// the same way, and reports the baseline and the ratio as counters.
template <class F, class Base>
void run(benchmark::State &state, F f, Base base) {
    using Clock = std::chrono::steady_clock;
    std::size_t i = 0;
    auto start = Clock::now();
    for (auto _ : state) {
        const Case &c = kCases[i++ % kCases.size()];
        benchmark::DoNotOptimize(f(c));
    }
    auto mid = Clock::now();
    for (std::size_t n = 0; n < i; ++n) benchmark::DoNotOptimize(base(kCases[n % kCases.size()]));
    auto end = Clock::now();
    double ns = std::chrono::duration<double, std::nano>(mid - start).count() / i;
    double base_ns = std::chrono::duration<double, std::nano>(end - mid).count() / i;
    state.counters["base_ns"] = base_ns;
    state.counters["ratio"] = ns / base_ns;
}

double sink4[4];

double atan2s(const Case &c, int n) {
    double a = 0;
    for (int k = 0; k < n; ++k) a += std::atan2(c.y1 - c.y0 + k, c.x1 - c.x0);
    return a;
}

// Each library call beside only the math it needs, on the same inputs.
void BM_GetIntersection(benchmark::State &st) {
    run(st, [](const Case &c) { return GetIntersection(c.x1, c.y1, c.x2, c.y2, c.x0, c.y0, c.cx, c.cy, sink4, sink4 + 1); },
        [](const Case &c) { return c.x1 / (c.y2 - c.y0) + c.x2 / (c.y1 - c.y0); });  // two divisions
}
// One root, two divisions.
auto line_base = [](const Case &c) { return std::sqrt(c.r * c.x1) / c.x2 + c.y0 / c.x2; };
void BM_GetInterCircleLine(benchmark::State &st) {
    run(st, [](const Case &c) { return GetInterCircleLine(c.x0, c.y0, c.r, c.x1, c.y1, c.x2, c.y2, sink4, sink4 + 1, sink4 + 2, sink4 + 3); },
        line_base);
}
void BM_GetInterCircleSegment(benchmark::State &st) {
    run(st, [](const Case &c) { return GetInterCircleSegment(c.x0, c.y0, c.r, c.x1, c.y1, c.x2, c.y2, sink4, sink4 + 1, sink4 + 2, sink4 + 3); },
        line_base);
}
// One root, two divisions and a direction for each point.
auto arc_base = [](const Case &c) { return line_base(c) + atan2s(c, 2); };
void BM_GetInterArcLine(benchmark::State &st) {
    run(st, [](const Case &c) { return GetInterArcLine(c.x0, c.y0, c.r, c.s, c.e, c.x1, c.y1, c.x2, c.y2, sink4, sink4 + 1, sink4 + 2, sink4 + 3); },
        arc_base);
}
void BM_GetInterArcSegment(benchmark::State &st) {
    run(st, [](const Case &c) { return GetInterArcSegment(c.x0, c.y0, c.r, c.s, c.e, c.x1, c.y1, c.x2, c.y2, sink4, sink4 + 1, sink4 + 2, sink4 + 3); },
        arc_base);
}
void BM_GetInterCircleCircle(benchmark::State &st) {
    run(st, [](const Case &c) { return GetInterCircleCircle(c.x0, c.y0, c.r, c.cx, c.cy, c.cr, sink4, sink4 + 1, sink4 + 2, sink4 + 3); },
        [](const Case &c) { return std::sqrt(c.r * c.cr) / c.x2; });  // one root, one division
}
void BM_GetInterCircleArc(benchmark::State &st) {
    run(st, [](const Case &c) { return GetInterCircleArc(c.cx, c.cy, c.cr, c.x0, c.y0, c.r, c.s, c.e, sink4, sink4 + 1, sink4 + 2, sink4 + 3); },
        [](const Case &c) { return std::sqrt(c.r * c.cr) / c.x2 + atan2s(c, 2); });
}
void BM_GetInterArcArc(benchmark::State &st) {
    run(st, [](const Case &c) { return GetInterArcArc(c.x0, c.y0, c.r, c.s, c.e, c.cx, c.cy, c.cr, c.e, c.s, sink4, sink4 + 1, sink4 + 2, sink4 + 3); },
        [](const Case &c) { return std::sqrt(c.r * c.cr) / c.x2 + atan2s(c, 4); });  // a direction per point and arc
}
void BM_OnArcCheck(benchmark::State &st) {
    run(st, [](const Case &c) { return OnArcCheck(c.s, c.e, c.x1 * 20); },
        [](const Case &c) { return std::fmod(c.x1 * 20, 360.0) + (c.s < c.e); });  // folding the direction
}
void BM_ClipCode(benchmark::State &st) {
    run(st, [](const Case &c) { return ClipCode(c.x1, c.y1, c.x0 - c.r, c.x0 + c.r, c.y0 - c.r, c.y0 + c.r); },
        [](const Case &c) { return (c.x1 < c.x0) + (c.x1 > c.r) + (c.y1 < c.y0) + (c.y1 > c.r); });  // four comparisons
}
void BM_GetIntersection3(benchmark::State &st) {
    run(st, [](const Case &c) {
            return GetIntersection3(c.x1, c.y1, c.r, c.x2, c.y2, c.r, c.x0, c.y0, c.r, c.cx, c.cy + 1, c.r, sink4, sink4 + 1, sink4 + 2);
        },
        [](const Case &c) {  // three roots, a dozen divisions
            double a = std::sqrt(c.x1 * c.x1 + c.r) + std::sqrt(c.x2 * c.x2 + c.r) + std::sqrt(c.cx * c.cx + c.r);
            for (int k = 0; k < 12; ++k) a += c.y1 / (a + k);
            return a;
        });
}

}  // namespace

BENCHMARK(BM_GetIntersection);
BENCHMARK(BM_GetInterCircleLine);
BENCHMARK(BM_GetInterCircleSegment);
BENCHMARK(BM_GetInterArcLine);
BENCHMARK(BM_GetInterArcSegment);
BENCHMARK(BM_GetInterCircleCircle);
BENCHMARK(BM_GetInterCircleArc);
BENCHMARK(BM_GetInterArcArc);
BENCHMARK(BM_OnArcCheck);
BENCHMARK(BM_ClipCode);
BENCHMARK(BM_GetIntersection3);
