// A sweep's throughput in scenario-steps per second per core, against the
// floor the machine sets in the same binary: the Runge-Kutta steps alone of
// the same scenarios, with no set-up, no summary and no formatting. The sweep
// runs on one and on two threads.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "analysis/sweep_grid.h"
#include "analysis/sweep_runner.h"
#include "model/seir.h"
#include "model/simulation.h"
#include "ratio_main.h"

namespace morbilex {
namespace {

// R_0 from 2.5 up in steps of 1e-4: scenarios as alike as the default run.
constexpr double FIRST_R_0 = 2.5;
constexpr double R_0_STEP = 1e-4;

int steps_of(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}
// About a quarter of a second of work a sweep, whatever its length: the
// threads' set-up (a record each) stays out of the figures.
long long scenarios_for(int steps) {
    return steps >= 10000 ? 128 : 8192;
}

// The sweep: R_0 swept, T_max given as the base scenario (steps of 0.25 days).
SweepPlan plan_for(int steps) {
    SweepPlan plan;
    SweepAxis axis;
    std::string error;
    const std::string last = std::to_string(FIRST_R_0 + R_0_STEP * (scenarios_for(steps) - 1));
    parse_sweep_axis("R_0=2.5:" + last + ":0.0001", axis, error);
    axis.count = scenarios_for(steps);
    add_sweep_axis(plan.grid, axis, error);
    TypedField duration;
    find_editable_field("T_max", duration);
    duration.text = std::to_string(steps / 4);
    plan.base.push_back(duration);
    return plan;
}

class DiscardingSink : public RowSink {
public:
    bool write(std::string_view rows) override {
        bytes += rows.size();
        return true;
    }
    std::size_t bytes = 0;
};

void BM_Sweep(benchmark::State& state) {
    const int steps = steps_of(state);
    const SweepPlan plan = plan_for(steps);
    SweepSettings settings;
    settings.jobs = static_cast<int>(state.range(1));
    DiscardingSink sink;
    for (auto _ : state) {
        const SweepOutcome outcome = run_sweep(plan, settings, sink);
        if (!outcome.complete) state.SkipWithError("a scenario was refused");
    }
    state.counters["scenario_steps"] = static_cast<double>(steps) * plan.grid.size();
}

// The same scenarios' steps with their transmission, and nothing else.
void BM_RungeKuttaAlone(benchmark::State& state) {
    const int steps = steps_of(state);
    const long long scenarios = scenarios_for(steps);
    for (auto _ : state) {
        for (long long k = 0; k < scenarios; ++k) {
            RateConstants rates;
            rates.sigma = 1.0 / 4.6;
            rates.gamma = 1.0 / 5.0;
            rates.beta0 = ((FIRST_R_0 + k * R_0_STEP) * rates.gamma) * 0.0001;
            rates.beta = rates.beta0;
            double t = 0.0;
            double y[4] = {9999.9, 0.1, 0.0, 0.0};
            for (int i = 0; i < steps; ++i)
                rk4_step(t, y, 0.25, 4, seir_rates, rates);
            benchmark::DoNotOptimize(y);
        }
    }
    state.counters["scenario_steps"] = static_cast<double>(steps) * scenarios;
}

BENCHMARK(BM_RungeKuttaAlone)
    ->ArgNames({"steps"})
    ->Arg(800)
    ->Arg(MAX_STEPS)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sweep)
    ->ArgNames({"steps", "threads"})
    ->ArgsProduct({{800, MAX_STEPS}, {1, 2}})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Keeps each benchmark's rates, to print the ratios at the end: per core from
// the process's CPU time (all threads; steady on a shared machine), and the
// throughput from the wall clock.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Rates {
        double per_cpu_second = 0.0, per_second = 0.0;
    };

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto work = run.counters.find("scenario_steps");
            if (run.run_type != Run::RT_Iteration || run.error_occurred ||
                work == run.counters.end()) {
                continue;
            }
            const double total = work->second.value * static_cast<double>(run.iterations);
            rates_[run.benchmark_name()] = {total / run.cpu_accumulated_time,
                                            total / run.real_accumulated_time};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void print_ratios() const {
        const char* suffix = "/process_time/real_time";
        for (int steps : {800, MAX_STEPS}) {
            const std::string size = "/steps:" + std::to_string(steps);
            const Rates floor = rates_of("BM_RungeKuttaAlone" + size + suffix);
            const Rates one = rates_of("BM_Sweep" + size + "/threads:1" + suffix);
            const Rates two = rates_of("BM_Sweep" + size + "/threads:2" + suffix);
            if (floor.per_cpu_second <= 0 || one.per_cpu_second <= 0 || two.per_cpu_second <= 0)
                continue;
            std::printf(
                "%5d steps: RK4 alone %.3g scenario-steps per CPU second; the sweep per core "
                "(CPU time): one thread %.3f x the floor, two threads %.3f x; on the wall clock "
                "two threads do %.2f x one thread\n",
                steps, floor.per_cpu_second, one.per_cpu_second / floor.per_cpu_second,
                two.per_cpu_second / floor.per_cpu_second, two.per_second / one.per_second);
        }
    }

private:
    Rates rates_of(const std::string& name) const {
        const auto found = rates_.find(name);
        return found == rates_.end() ? Rates{} : found->second;
    }
    std::map<std::string, Rates> rates_;
};

}  // namespace
}  // namespace morbilex

int main(int argc, char** argv) {
    return morbilex::run_benchmarks_with_ratios<morbilex::RatioReporter>(argc, argv);
}
