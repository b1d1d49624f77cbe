// The main of a benchmark program that ends with its reporter's ratios.
#pragma once

#include <benchmark/benchmark.h>

namespace morbilex {

// Runs the benchmarks the command line selects (after register_more, which
// may add benchmarks known only at run time), then prints the ratios.
template <class Reporter>
int run_benchmarks_with_ratios(int argc, char** argv, void (*register_more)() = nullptr) {
    benchmark::Initialize(&argc, argv);
    if (register_more != nullptr) register_more();
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratios();
    benchmark::Shutdown();
    return 0;
}

}  // namespace morbilex
