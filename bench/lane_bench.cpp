// Scenario-steps per second per core: the single run's step as it always was
// (rolled stages through a function pointer), its straight-line path, and
// each lane kernel this machine runs; mode 2, 800 and 40000 steps. Then the
// kernel on two threads, and a sweep of a million 800-step scenarios through
// the span entry point. Ratios against the rolled path are printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "analysis/lane_kernel.h"
#include "analysis/run_figures.h"
#include "model/seir.h"
#include "model/simulation.h"
#include "ratio_main.h"

namespace morbilex {
namespace {

// seir_rates under another name: rk4_step then takes its rolled path, as
// every run did before the straight-line one.
void rates_through_pointer(const RateConstants& rates, const double y[], double /*t*/,
                           double dydt[], int /*n*/) {
    const double S = y[0], E = y[1], I = y[2];
    dydt[0] = ((-rates.beta) * S) * I;
    dydt[1] = (rates.beta * S) * I - rates.sigma * E;
    dydt[2] = rates.sigma * E - rates.gamma * I;
    dydt[3] = rates.gamma * I;
}

// Intermittent scenarios that differ in R_0 and thresholds, so that lanes
// switch at different steps.
std::vector<ScenarioInputs> intermittent_scenarios(int count, int steps) {
    std::vector<ScenarioInputs> scenarios(count);
    for (int k = 0; k < count; ++k) {
        ScenarioInputs& s = scenarios[k];
        s.mode = MODE_INTERMITTENT;
        s.model.n_steps = steps;
        s.model.R_0 = 1.5 + 0.125 * (k % 16);
        s.intermittent.On_threshold = 20.0 + 5.0 * (k % 7);
        s.intermittent.Off_threshold = 0.25 * s.intermittent.On_threshold;
    }
    return scenarios;
}

constexpr int SINGLE_RUN_SCENARIOS = 16;

// One scenario after another, as the single run integrates: its schedule and
// rk4_step with the given rate function.
void integrate_one_by_one(benchmark::State& state, RateFunction rates_function) {
    const int steps = static_cast<int>(state.range(0));
    const auto scenarios = intermittent_scenarios(SINGLE_RUN_SCENARIOS, steps);
    for (auto _ : state) {
        for (const ScenarioInputs& s : scenarios) {
            RateConstants rates;
            derive_rate_constants(s.model, rates);
            double t = 0.0;
            double y[4] = {s.model.init_S, s.model.init_E, s.model.init_I, s.model.init_R};
            int on_flag = 0;
            for (int i = 0; i < steps; ++i) {
                choose_beta(s.one_time, s.intermittent, s.mode, t, y, rates, on_flag);
                rk4_step(t, y, s.model.dt, 4, rates_function, rates);
            }
            benchmark::DoNotOptimize(y);
        }
    }
    state.SetItemsProcessed(state.iterations() * SINGLE_RUN_SCENARIOS * steps);
}

void BM_RolledStep(benchmark::State& state) {
    integrate_one_by_one(state, rates_through_pointer);
}

void BM_StraightStep(benchmark::State& state) {
    integrate_one_by_one(state, seir_rates);
}

// One full batch of the kernel, over and over.
void integrate_batches(benchmark::State& state, const LaneKernel& kernel) {
    const int steps = static_cast<int>(state.range(0));
    const auto scenarios = intermittent_scenarios(kernel.lanes, steps);
    LaneBatch batch;
    batch.mode = MODE_INTERMITTENT;
    batch.steps = steps;
    for (int lane = 0; lane < kernel.lanes; ++lane)
        set_lane(batch, lane, scenarios[lane]);
    LaneFigures figures;
    for (auto _ : state) {
        kernel.integrate(batch, figures, nullptr);
        benchmark::DoNotOptimize(figures);
    }
    state.SetItemsProcessed(state.iterations() * kernel.lanes * steps);
}

// A million scenarios: R_0 x On_threshold x Reduction, 100 x 100 x 100, mode 2,
// 800 steps, split between two threads as a sweep would.
void BM_MillionScenarioSweep(benchmark::State& state) {
    std::vector<ScenarioInputs> scenarios;
    scenarios.reserve(1000000);
    for (int r = 0; r < 100; ++r) {
        for (int on = 0; on < 100; ++on) {
            for (int reduction = 0; reduction < 100; ++reduction) {
                ScenarioInputs s;
                s.mode = MODE_INTERMITTENT;
                s.model.R_0 = 1.0 + 0.04 * r;
                s.intermittent.On_threshold = 5.0 + 2.0 * on;
                s.intermittent.Off_threshold = 0.25 * s.intermittent.On_threshold;
                s.intermittent.Reduction = 0.01 * reduction;
                scenarios.push_back(s);
            }
        }
    }
    std::vector<RunFigures> figures(scenarios.size());
    const std::span<const ScenarioInputs> all(scenarios);
    const std::span<RunFigures> out(figures);
    const std::size_t half = all.size() / 2;
    for (auto _ : state) {
        std::thread second([&] { integrate_run_figures(all.subspan(half), out.subspan(half)); });
        integrate_run_figures(all.first(half), out.first(half));
        second.join();
    }
    state.SetItemsProcessed(state.iterations() * 800LL * static_cast<long long>(all.size()));
}

void register_benchmarks() {
    for (int steps : {800, MAX_STEPS}) {
        benchmark::RegisterBenchmark("Rolled", BM_RolledStep)->Arg(steps)->ArgName("steps");
        benchmark::RegisterBenchmark("Straight", BM_StraightStep)->Arg(steps)->ArgName("steps");
        for (const LaneKernel& kernel : lane_kernels()) {
            const auto run = [&kernel](benchmark::State& state) {
                integrate_batches(state, kernel);
            };
            const std::string name = "Lanes_" + std::string(kernel.name);
            benchmark::RegisterBenchmark(name.c_str(), run)->Arg(steps)->ArgName("steps");
            // Scaling is a matter of wall-clock time: one thread against two.
            benchmark::RegisterBenchmark((name + "_wall").c_str(), run)
                ->Arg(steps)
                ->ArgName("steps")
                ->Threads(1)
                ->Threads(2)
                ->UseRealTime();
        }
    }
    benchmark::RegisterBenchmark("MillionScenarioSweep", BM_MillionScenarioSweep)
        ->Iterations(1)
        ->Unit(benchmark::kSecond)
        ->UseRealTime();
}

// Keeps each benchmark's rate, to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto found = run.counters.find("items_per_second");
            if (run.run_type == Run::RT_Iteration && !run.error_occurred &&
                found != run.counters.end()) {
                rates_[run.benchmark_name()] = found->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void print_ratios() const {
        for (int steps : {800, MAX_STEPS}) {
            const std::string suffix = "/steps:" + std::to_string(steps);
            const double rolled = rate_of("Rolled" + suffix);
            if (rolled <= 0) continue;
            std::printf("\n%d steps, mode 2: rolled rk4_step %.1f M scenario-steps/s per core\n",
                        steps, rolled / 1e6);
            print_line("straight-line single run", rate_of("Straight" + suffix), rolled);
            for (const LaneKernel& kernel : lane_kernels()) {
                const std::string name = "Lanes_" + std::string(kernel.name) + suffix;
                const std::string wall = "Lanes_" + std::string(kernel.name) + "_wall" + suffix;
                print_line(kernel.name, rate_of(name), rolled);
                const double one = rate_of(wall + "/real_time/threads:1");
                const double two = rate_of(wall + "/real_time/threads:2");
                if (one > 0 && two > 0) {
                    std::printf("    two threads: %.2f x one thread\n", two / one);
                }
            }
        }
        const double sweep = rate_of("MillionScenarioSweep/iterations:1/real_time");
        if (sweep > 0) {
            std::printf("\n1,000,000 scenarios of 800 steps on two threads: %.2f s\n",
                        800e6 / sweep);
        }
    }

private:
    static void print_line(const std::string& name, double rate, double rolled) {
        if (rate <= 0) return;
        std::printf("  %-26s %8.1f M/s  %5.2f x rolled\n", name.c_str(), rate / 1e6, rate / rolled);
    }

    double rate_of(const std::string& name) const {
        const auto found = rates_.find(name);
        return found == rates_.end() ? 0.0 : found->second;
    }
    std::map<std::string, double> rates_;
};

}  // namespace
}  // namespace morbilex

int main(int argc, char** argv) {
    return morbilex::run_benchmarks_with_ratios<morbilex::RatioReporter>(
        argc, argv, morbilex::register_benchmarks);
}
