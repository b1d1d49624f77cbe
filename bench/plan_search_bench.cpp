// A plan search of the default space at 800 steps (the default scenario,
// capacity 300 persons), one-time and intermittent, on one thread: the whole
// search, grid and refinement, as the explorer and --find-plan run it.
#include <benchmark/benchmark.h>

#include "study/plan_search.h"

namespace morbilex {
namespace {

void search(benchmark::State& state, PlanKind kind) {
    ScenarioInputs base;
    const CapacitySetting capacity{true, 300.0, CapacitySeries::Infectious};
    const PlanSpace space = default_plan_space(kind, base, capacity);
    long runs = 0;
    for (auto _ : state) {
        const PlanSearchResult result = find_plan(base, space, capacity);
        benchmark::DoNotOptimize(result.best.peak);
        runs = result.runs;
    }
    state.counters["plans"] = static_cast<double>(runs);
    state.counters["scenario_steps_per_s"] =
        benchmark::Counter(static_cast<double>(runs) * base.model.n_steps,
                           benchmark::Counter::kIsIterationInvariantRate);
}

void OneTimeDefaultSpace(benchmark::State& state) {
    search(state, PlanKind::OneTime);
}
void IntermittentDefaultSpace(benchmark::State& state) {
    search(state, PlanKind::Intermittent);
}
BENCHMARK(OneTimeDefaultSpace)->Unit(benchmark::kMillisecond);
BENCHMARK(IntermittentDefaultSpace)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morbilex

BENCHMARK_MAIN();
