// ParseString on typical short expressions and on one long text, beside
// strtod reading the same numbers (the part of the work any evaluator must
// do).  "x_strtod" is ParseString's time over strtod's for the same numbers.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "vostik.h"

namespace {

struct Workload {
    std::vector<std::string> expressions;
    std::vector<std::string> numbers;  // every number of every expression
    std::size_t bytes = 0;
};

// Expressions as a user types them: a handful of decimal numbers, the
// operators, now and then a parenthesised group.
const Workload &workload() {
    static const Workload w = [] {
        Workload w;
        std::mt19937 rng(12345);
        auto number = [&] {
            std::string n = std::to_string(rng() % 100000);
            if (rng() % 2) n += "." + std::to_string(rng() % 1000);
            return n;
        };
        const char ops[] = "+-*/";
        for (int e = 0; e < 1000; ++e) {
            std::string text;
            int terms = 3 + static_cast<int>(rng() % 6);
            for (int t = 0; t < terms; ++t) {
                if (t) text += ops[rng() % 4];
                bool group = rng() % 4 == 0;
                std::string a = number(), b = number();
                if (group) {
                    text += "(" + a + "+" + b + ")";
                    w.numbers.push_back(a);
                    w.numbers.push_back(b);
                } else {
                    text += a;
                    w.numbers.push_back(a);
                }
            }
            w.bytes += text.size();
            w.expressions.push_back(std::move(text));
        }
        return w;
    }();
    return w;
}

double strtod_pass(const Workload &w) {
    double sum = 0;
    for (const std::string &n : w.numbers) sum += std::strtod(n.c_str(), nullptr);
    return sum;
}

// Nanoseconds strtod takes for all numbers of the workload, best of a few tries.
double strtod_ns_per_pass() {
    static const double ns = [] {
        const Workload &w = workload();
        double best = 1e300;
        for (int round = 0; round < 5; ++round) {
            auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < 200; ++i) benchmark::DoNotOptimize(strtod_pass(w));
            std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
            best = std::min(best, took.count() / 200);
        }
        return best;
    }();
    return ns;
}

void BM_ParseString(benchmark::State &state) {
    const Workload &w = workload();
    std::size_t passes = 0;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        for (const std::string &e : w.expressions) {
            double r;
            benchmark::DoNotOptimize(ParseString(e.c_str(), &r));
            benchmark::DoNotOptimize(r);
        }
        ++passes;
    }
    std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    state.SetItemsProcessed(static_cast<int64_t>(passes * w.expressions.size()));
    state.SetBytesProcessed(static_cast<int64_t>(passes * w.bytes));
    state.counters["x_strtod"] = took.count() / static_cast<double>(passes) / strtod_ns_per_pass();
}
BENCHMARK(BM_ParseString);

void BM_Baseline_strtod(benchmark::State &state) {
    const Workload &w = workload();
    std::size_t passes = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(strtod_pass(w));
        ++passes;
    }
    state.SetItemsProcessed(static_cast<int64_t>(passes * w.expressions.size()));
    state.SetBytesProcessed(static_cast<int64_t>(passes * w.bytes));
}
BENCHMARK(BM_Baseline_strtod);

// One long sum "1.5+1.5+..." of range(0) megabytes: the throughput must not
// fall as the text grows.
void BM_ParseString_LongText(benchmark::State &state) {
    std::string text;
    std::size_t size = static_cast<std::size_t>(state.range(0)) << 20;
    text.reserve(size + 4);
    while (text.size() < size) text += "1.5+";
    text += "1";
    for (auto _ : state) {
        double r;
        benchmark::DoNotOptimize(ParseString(text.c_str(), &r));
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseString_LongText)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
