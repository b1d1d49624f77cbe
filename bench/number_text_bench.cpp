// The room's shortest text and number reader beside the C++ library's
// std::to_chars and std::from_chars, on the same values: the magnitudes of a
// sweep row (persons and rates with all their digits) and random bit patterns.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "text/read.h"
#include "text/shortest.h"

namespace morbilex {
namespace {

std::vector<double> values(bool row_like) {
    std::mt19937_64 generator(9);
    std::uniform_real_distribution<double> persons(0.0, 1e6);
    std::vector<double> result(4096);
    for (double& value : result) {
        if (row_like) {
            value = persons(generator) / std::pow(10.0, static_cast<int>(generator() % 7));
        } else {
            const std::uint64_t bits = generator() & ~(std::uint64_t{0x7ff} << 52);
            std::memcpy(&value, &bits, sizeof value);
            value = std::ldexp(value, static_cast<int>(generator() % 2000) - 1000);
        }
    }
    return result;
}

std::vector<std::string> texts(bool row_like) {
    std::vector<std::string> result;
    for (double value : values(row_like)) {
        char text[SHORTEST_TEXT_LIMIT];
        result.emplace_back(text, write_shortest(text, value));
    }
    return result;
}

void BM_WriteShortest(benchmark::State& state) {
    const std::vector<double> numbers = values(state.range(0) != 0);
    char text[SHORTEST_TEXT_LIMIT];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(write_shortest(text, numbers[i++ % numbers.size()]));
        benchmark::ClobberMemory();
    }
}

void BM_ToChars(benchmark::State& state) {
    const std::vector<double> numbers = values(state.range(0) != 0);
    char text[SHORTEST_TEXT_LIMIT];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            std::to_chars(text, text + sizeof text, numbers[i++ % numbers.size()]).ptr);
        benchmark::ClobberMemory();
    }
}

void BM_ReadFullNumber(benchmark::State& state) {
    const std::vector<std::string> numbers = texts(state.range(0) != 0);
    std::size_t i = 0;
    double value = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(read_full_number(numbers[i++ % numbers.size()], value));
        benchmark::DoNotOptimize(value);
    }
}

void BM_FromChars(benchmark::State& state) {
    const std::vector<std::string> numbers = texts(state.range(0) != 0);
    std::size_t i = 0;
    double value = 0.0;
    for (auto _ : state) {
        const std::string& text = numbers[i++ % numbers.size()];
        benchmark::DoNotOptimize(std::from_chars(text.data(), text.data() + text.size(), value));
        benchmark::DoNotOptimize(value);
    }
}

// Argument 1: sweep-row values; 0: random bit patterns over the whole range.
BENCHMARK(BM_WriteShortest)->Arg(1)->Arg(0);
BENCHMARK(BM_ToChars)->Arg(1)->Arg(0);
BENCHMARK(BM_ReadFullNumber)->Arg(1)->Arg(0);
BENCHMARK(BM_FromChars)->Arg(1)->Arg(0);

}  // namespace
}  // namespace morbilex

BENCHMARK_MAIN();
