// NormalizeDegree costs the same at any magnitude; SubKakudoD next to the
// atan2 it is built on.
#include <benchmark/benchmark.h>

#include <cmath>

#include "vostik.h"

static void BM_NormalizeDegree(benchmark::State &state) {
    const double magnitude = state.range(0) == 0 ? 1e3 : state.range(0) == 1 ? 1e9 : 1e15;
    double v = -magnitude - 0.25;
    for (auto _ : state) {
        double a = v;
        benchmark::DoNotOptimize(NormalizeDegree(&a));
        benchmark::ClobberMemory();
    }
    state.SetLabel(state.range(0) == 0 ? "1e3" : state.range(0) == 1 ? "1e9" : "1e15");
}
BENCHMARK(BM_NormalizeDegree)->Arg(0)->Arg(1)->Arg(2);

static void BM_SubKakudoD(benchmark::State &state) {
    double dx = 0.3, dy = -0.7;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dx);
        benchmark::DoNotOptimize(SubKakudoD(dx, dy));
    }
}
BENCHMARK(BM_SubKakudoD);

static void BM_Baseline_atan2(benchmark::State &state) {
    double dx = 0.3, dy = -0.7;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dx);
        benchmark::DoNotOptimize(std::atan2(dy, dx));
    }
}
BENCHMARK(BM_Baseline_atan2);

BENCHMARK_MAIN();
