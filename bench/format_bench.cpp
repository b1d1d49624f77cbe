// The long check that the core's fixed-point formatting equals glibc's printf,
// and how fast each is. Run with --benchmark_min_time=10 for a soak of
// hundreds of millions of values; any difference aborts with both texts.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "text/format.h"

namespace morbilex {
namespace {

// Random values around the trace's magnitudes, half of them next to a
// two-decimal tie.
class ValueSource {
public:
    double next() {
        ++count_;
        if (count_ % 2 == 0) return std::ldexp(mantissa_(generator_), exponent_(generator_));
        const double near_tie = (cents_(generator_) + 0.5) / 100.0;
        return count_ % 4 == 1 ? near_tie : std::nextafter(near_tie, count_ % 8 == 3 ? 1e9 : -1e9);
    }

private:
    std::mt19937_64 generator_{42};
    std::uniform_real_distribution<double> mantissa_{-1.0, 1.0};
    std::uniform_int_distribution<int> exponent_{-20, 45};
    std::uniform_int_distribution<long long> cents_{-10000000000, 10000000000};
    long long count_ = 0;
};

void BM_SameAsPrintf(benchmark::State& state) {
    ValueSource values;
    char ours[512];
    char reference[512];
    for (auto _ : state) {
        const double value = values.next();
        format_text(ours, sizeof ours, "%7.2f", {value});
        std::snprintf(reference, sizeof reference, "%7.2f", value);
        if (std::strcmp(ours, reference) != 0) {
            std::fprintf(stderr, "%%7.2f of %.17g: ours '%s', printf '%s'\n", value, ours,
                         reference);
            std::abort();
        }
    }
}

void BM_AppendFixed(benchmark::State& state) {
    ValueSource values;
    char text[512];
    for (auto _ : state) {
        append_fixed(text, values.next(), 7, 2);
        benchmark::DoNotOptimize(text);
    }
}

void BM_Snprintf(benchmark::State& state) {
    ValueSource values;
    char text[512];
    for (auto _ : state) {
        std::snprintf(text, sizeof text, "%7.2f", values.next());
        benchmark::DoNotOptimize(text);
    }
}

BENCHMARK(BM_SameAsPrintf);
BENCHMARK(BM_AppendFixed);
BENCHMARK(BM_Snprintf);

}  // namespace
}  // namespace morbilex

BENCHMARK_MAIN();
