// A fit of three fields (R_0 and the two periods) to the boarding-school
// influenza counts of examples/, from the example scenario's start: the
// multi-start, the polish and the profile intervals, as morbilex-batch --fit
// makes them.
#include <benchmark/benchmark.h>

#include "study/count_fit.h"

namespace morbilex {
namespace {

void BM_FitBoardingSchool(benchmark::State& state) {
    const double beds[] = {1, 6, 26, 73, 222, 293, 258, 236, 191, 124, 69, 26, 11, 4};
    ObservedCounts counts;
    for (int day = 0; day < 14; ++day)
        counts.points.push_back({double(day), beds[day], day + 2});
    CountModel start;
    ModelParameters& m = start.scenario.model;
    m.latent_period = 1.0;
    m.infectious_period = 2.0;
    m.n_steps = 120;
    m.init_E = 0.0;
    m.init_I = 10000.0 / 763.0;
    settle_initial_susceptible(m);
    start.observation.population = 763.0;
    FitRequest request;
    for (const char* name : {"R_0", "latent_period", "infectious_period"})
        request.fields.push_back(find_fit_field(name));
    long long runs = 0;
    for (auto _ : state) {
        CountFit fit;
        std::string reason;
        fit_counts(start, counts, request, fit, reason);
        benchmark::DoNotOptimize(fit.objective);
        runs = fit.runs;
    }
    state.counters["runs"] = static_cast<double>(runs);
}
BENCHMARK(BM_FitBoardingSchool)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morbilex

BENCHMARK_MAIN();
