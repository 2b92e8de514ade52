// DoubleToString beside the C runtime's snprintf("%.13e") (fourteen
// significant digits, the same work), and HanToZen beside a memcpy of the
// bytes it writes, and a text at the end of a page beside the same text inside
// one.  Each benchmark times the baseline for the same number of calls after
// its own loop and reports library / baseline as "ratio".
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "hantozen.h"
#include "vostik.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void report(benchmark::State &state, double library, double baseline, const char *baseline_name) {
    double calls = static_cast<double>(state.iterations());
    state.counters["lib_ns"] = library / calls * 1e9;
    state.counters[baseline_name] = baseline / calls * 1e9;
    state.counters["ratio"] = library / baseline;
}

// 0: numbers as drawings hold them (lengths and coordinates with a few
// decimals); 1: any finite double, whose expansion may run to 767 digits.
std::vector<double> sample(int kind) {
    std::mt19937_64 random(7);
    std::vector<double> values;
    while (values.size() < 4096) {
        double v;
        if (kind == 0) {
            v = std::round(std::uniform_real_distribution<double>(-1e5, 1e5)(random) * 1000) / 1000;
        } else {
            v = std::bit_cast<double>(random());
            if (!std::isfinite(v)) continue;
        }
        values.push_back(v);
    }
    return values;
}

void BM_DoubleToString(benchmark::State &state) {
    std::vector<double> values = sample(static_cast<int>(state.range(0)));
    char buffer[128];
    std::size_t i = 0;
    auto start = Clock::now();
    for (auto _ : state) {
        DoubleToString(values[i], buffer, 3);
        benchmark::DoNotOptimize(buffer);
        i = (i + 1) & 4095;
    }
    double library = seconds_since(start);
    start = Clock::now();
    for (benchmark::IterationCount n = 0; n < state.iterations(); ++n) {
        std::snprintf(buffer, sizeof buffer, "%.13e", values[i]);
        benchmark::DoNotOptimize(buffer);
        i = (i + 1) & 4095;
    }
    report(state, library, seconds_since(start), "snprintf_ns");
}
BENCHMARK(BM_DoubleToString)->ArgName("any_double")->Arg(0)->Arg(1);

// 4 KiB of mixed text: ASCII, half-width kana and double-byte characters.
std::string mixed_text() {
    const std::string piece = "Layer 12: \xB6\xDE\xDD\xC0\xDE\xD1 \x95\x5C\x8E\xA6 (x=1.5) ";
    std::string text;
    while (text.size() + piece.size() < 4096) text += piece;
    return text;
}

void BM_HanToZen(benchmark::State &state) {
    unsigned codepage = static_cast<unsigned>(state.range(0));
    std::string source = mixed_text();
    std::vector<char> target(2 * source.size() + 1), copy(target.size());
    std::size_t written = 0;
    auto start = Clock::now();
    for (auto _ : state) {
        written = vostik::han_to_zen(source.c_str(), target.data(), codepage);
        benchmark::DoNotOptimize(target.data());
    }
    double library = seconds_since(start);
    start = Clock::now();
    for (benchmark::IterationCount n = 0; n < state.iterations(); ++n) {
        std::memcpy(copy.data(), target.data(), written + 1);
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    report(state, library, seconds_since(start), "memcpy_ns");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(source.size()));
}
BENCHMARK(BM_HanToZen)->ArgName("codepage")->Arg(932)->Arg(1252);

// A short text whose zero is the last byte before a page the process may not
// touch, converted into a target whose end is the last byte before another,
// beside the same text and target inside their pages.  Masked reads and
// writes that reach into such a page cost a microcode assist on each call.
void BM_HanToZenAtPageEnd(benchmark::State &state) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void *pages = mmap(nullptr, 4 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) {
        state.SkipWithError("mmap failed");
        return;
    }
    char *map = static_cast<char *>(pages);
    mprotect(map + page, page, PROT_NONE);
    mprotect(map + 3 * page, page, PROT_NONE);
    const std::string text = "Layer 12: \xB6\xDE\xDD\xC0\xDE\xD1 \x95\x5C\x8E\xA6 (x=1.5)";
    const std::size_t written = vostik::han_to_zen(text.c_str(), std::vector<char>(2 * text.size() + 1).data(), 932);
    char *source = map + page - text.size() - 1, *target = map + 3 * page - written - 1;
    char *inner_source = map + page / 2, *inner_target = map + 2 * page + page / 2;
    std::memcpy(source, text.c_str(), text.size() + 1);
    std::memcpy(inner_source, text.c_str(), text.size() + 1);
    auto start = Clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(vostik::han_to_zen(source, target, 932));
        benchmark::ClobberMemory();
    }
    double at_end = seconds_since(start);
    start = Clock::now();
    for (benchmark::IterationCount n = 0; n < state.iterations(); ++n) {
        benchmark::DoNotOptimize(vostik::han_to_zen(inner_source, inner_target, 932));
        benchmark::ClobberMemory();
    }
    report(state, at_end, seconds_since(start), "inside_ns");
    munmap(map, 4 * page);
}
BENCHMARK(BM_HanToZenAtPageEnd);

}  // namespace
