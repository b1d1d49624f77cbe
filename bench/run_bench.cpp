// How long a run takes, against the floor the machine sets: the Runge-Kutta
// steps alone plus one write of the finished trace. Also the straightforward
// way (fprintf row by row) as a baseline.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/seir.h"
#include "model/simulation.h"
#include "ratio_main.h"
#include "text/format.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

std::string trace_path() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / "morbilex-bench";
        std::filesystem::create_directories(path);
        return path;
    }();
    return (folder / "temp.dat").string();
}

std::unique_ptr<Records> records_with_steps(int steps) {
    auto records = std::make_unique<Records>();
    records->model.n_steps = steps;
    return records;
}

// Every benchmark takes (steps, mode). With no intervention the long runs end
// with E and I in the subnormal range, where each step costs far more.
int steps_of(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}
InterventionMode mode_of(const benchmark::State& state) {
    return static_cast<InterventionMode>(state.range(1));
}

void BM_RunWithTrace(benchmark::State& state) {
    auto records = records_with_steps(steps_of(state));
    const std::string path = trace_path();
    for (auto _ : state) {
        if (run_simulation(*records, mode_of(state), path.c_str()) != RUN_COMPLETED) {
            state.SkipWithError("run failed");
        }
    }
}

void BM_RunTableOnly(benchmark::State& state) {
    auto records = records_with_steps(steps_of(state));
    for (auto _ : state)
        run_simulation_to_stream(*records, mode_of(state), nullptr);
}

// The same steps with the same transmission as the run, and nothing else.
void BM_RungeKuttaAlone(benchmark::State& state) {
    const int steps = steps_of(state);
    const bool intermittent = mode_of(state) == MODE_INTERMITTENT;
    RateConstants rates;
    rates.sigma = 1.0 / 4.6;
    rates.gamma = 1.0 / 5.0;
    rates.beta0 = (2.5 * rates.gamma) * 0.0001;
    for (auto _ : state) {
        double t = 0.0;
        double y[4] = {9999.9, 0.1, 0.0, 0.0};
        bool on = false;
        for (int i = 0; i < steps; ++i) {
            if (intermittent) on = on ? y[2] > 5.0 : y[2] >= 35.0;
            rates.beta = on ? (1.0 - 0.8) * rates.beta0 : rates.beta0;
            rk4_step(t, y, 0.25, 4, seir_rates, rates);
        }
        benchmark::DoNotOptimize(y);
    }
}

// The trace text of a run of this many steps, formatted once.
std::string formatted_trace(int steps, InterventionMode mode) {
    auto records = records_with_steps(steps);
    const std::string path = trace_path();
    run_simulation(*records, mode, path.c_str());
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        text.append(chunk, n);
    std::fclose(file);
    return text;
}

void BM_WriteAlone(benchmark::State& state) {
    const std::string text = formatted_trace(steps_of(state), mode_of(state));
    const std::string path = trace_path();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "w");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The straightforward port: the same run with fprintf for every row.
void BM_FprintfPerRowBaseline(benchmark::State& state) {
    auto records = records_with_steps(steps_of(state));
    const bool intermittent = mode_of(state) == MODE_INTERMITTENT;
    const std::string path = trace_path();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "w");
        Records& r = *records;
        r.rates.sigma = 1.0 / r.model.latent_period;
        r.rates.gamma = 1.0 / r.model.infectious_period;
        r.rates.beta0 = (r.model.R_0 * r.rates.gamma) * 0.0001;
        std::fprintf(file,
                     "%% MORBILEX : R_0 =%6.2f,  Latent period =%6.2f,  Infectious period =%6.2f\n",
                     r.model.R_0, r.model.latent_period, r.model.infectious_period);
        if (intermittent) {
            std::fprintf(file,
                         "%% Intermittent intervention: Reduction =%6.3f%%,  On-threshold =%6.2f,  "
                         "Off-threshold =%6.2f\n",
                         r.intermittent.Reduction * 100.0, r.intermittent.On_threshold,
                         r.intermittent.Off_threshold);
        } else {
            std::fprintf(file, "%% No intervention.\n");
        }
        std::fprintf(file, "%%  i      t   on_flag   S       E       I       R\n");
        double t = 0.0;
        double y[4] = {r.model.init_S, r.model.init_E, r.model.init_I, r.model.init_R};
        int on_flag = 0;
        int i = 0;
        for (; i < r.model.n_steps; ++i) {
            if (!intermittent) {
            } else if (on_flag == 0 && y[2] >= r.intermittent.On_threshold) {
                on_flag = 9;
            } else if (on_flag == 9 && !(y[2] > r.intermittent.Off_threshold)) {
                on_flag = 0;
            }
            r.rates.beta =
                on_flag == 9 ? (1.0 - r.intermittent.Reduction) * r.rates.beta0 : r.rates.beta0;
            std::fprintf(file, "%5d %7.2f %5d %7.2f %7.2f %7.2f %7.2f\n", i, t, on_flag, y[0], y[1],
                         y[2], y[3]);
            r.results[i] = {y[0], y[1], y[2], y[3]};
            rk4_step(t, y, r.model.dt, 4, seir_rates, r.rates);
        }
        std::fprintf(file, "%5d %7.2f %5d %7.2f %7.2f %7.2f %7.2f\n", i, t, on_flag, y[0], y[1],
                     y[2], y[3]);
        std::fclose(file);
    }
}

void BM_FormatFixedField(benchmark::State& state) {
    char text[64];
    double value = 1234.5678;
    for (auto _ : state) {
        append_fixed(text, value, 7, 2);
        value += 0.01;
        benchmark::DoNotOptimize(text);
    }
}

void steps_and_modes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"steps", "mode"})->Unit(benchmark::kMillisecond);
    for (int mode : {MODE_NO_INTERVENTION, MODE_INTERMITTENT}) {
        for (int steps : {800, MAX_STEPS})
            benchmark->Args({steps, mode});
    }
}

// The ratios come from the median of several repetitions: a write's time
// swings with the disk of a shared machine from one second to the next.
constexpr int RATIO_REPETITIONS = 9;
void repeated(benchmark::internal::Benchmark* benchmark) {
    steps_and_modes(benchmark);
    benchmark->Repetitions(RATIO_REPETITIONS);
}

BENCHMARK(BM_RunWithTrace)->Apply(repeated);
BENCHMARK(BM_RunTableOnly)->Apply(steps_and_modes);
BENCHMARK(BM_RungeKuttaAlone)->Apply(repeated);
BENCHMARK(BM_WriteAlone)->Apply(repeated);
BENCHMARK(BM_FprintfPerRowBaseline)->Apply(repeated);
BENCHMARK(BM_FormatFixedField);

// Keeps each benchmark's times per iteration, one a repetition, to print the
// ratios of their medians at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                const std::string name = run.run_name.function_name + "/" + run.run_name.args;
                seconds_[name].push_back(run.real_accumulated_time /
                                         static_cast<double>(run.iterations));
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void print_ratios() const {
        for (int mode : {MODE_NO_INTERVENTION, MODE_INTERMITTENT}) {
            for (int steps : {800, MAX_STEPS})
                print_ratio(steps, mode);
        }
    }

private:
    void print_ratio(int steps, int mode) const {
        const std::string suffix =
            "/steps:" + std::to_string(steps) + "/mode:" + std::to_string(mode);
        const double run = time_of("BM_RunWithTrace" + suffix);
        const double floor =
            time_of("BM_RungeKuttaAlone" + suffix) + time_of("BM_WriteAlone" + suffix);
        const double baseline = time_of("BM_FprintfPerRowBaseline" + suffix);
        if (run <= 0 || floor <= 0) return;
        std::printf(
            "%5d steps, mode %d: run with trace %.2f ms, RK4 alone + write alone "
            "%.2f ms, ratio %.2f; fprintf per row %.2f ms (%.2f x the run)\n",
            steps, mode, run * 1e3, floor * 1e3, run / floor, baseline * 1e3, baseline / run);
    }

    double time_of(const std::string& name) const {
        const auto found = seconds_.find(name);
        if (found == seconds_.end()) return 0.0;
        std::vector<double> times = found->second;
        const auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
        std::nth_element(times.begin(), middle, times.end());
        return *middle;
    }
    std::map<std::string, std::vector<double>> seconds_;
};

}  // namespace
}  // namespace morbilex

int main(int argc, char** argv) {
    // Repetitions in random order spread the machine's slow seconds over every
    // benchmark; the command line can still turn it off.
    std::vector<char*> arguments(argv, argv + argc);
    static char interleaved[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleaved);
    return morbilex::run_benchmarks_with_ratios<morbilex::RatioReporter>(
        static_cast<int>(arguments.size()), arguments.data());
}
