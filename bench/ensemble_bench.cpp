// The ensemble's latency and the sensitivity's cost. SliderToRepaintedBands:
// a slider's change (Redct1, as a drag step sets it) until the bands, the
// intervals and the tornado of 1024 samples at 800 steps (R_0 ranged) are
// recomputed and the explorer view is painted through the Qt painter surface.
// EnsembleBands: the ensemble with its per-step bands alone. Sensitivity:
// Sobol indices of every figure for 5 ranged fields, N = 4096 (28672 runs),
// on one thread and on two.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <atomic>
#include <thread>
#include <vector>

#include "explore/explorer_view.h"
#include "picture/painter_surface.h"
#include "study/sensitivity.h"

namespace morbilex {
namespace {

constexpr int CHART_WIDTH = 620;
constexpr int CHART_HEIGHT = 580;

ParameterRange range_of(const char* text) {
    ParameterRange range;
    std::string error;
    parse_parameter_range(text, text, range, error);
    return range;
}

void BM_SliderToRepaintedBands(benchmark::State& state) {
    auto records = std::make_unique<Records>();
    records->mode = MODE_ONE_TIME;
    SeriesColours colours;
    init_series_colours(colours);
    Explorer explorer;
    explorer.uncertainty.ranges.ranges = {range_of("R_0=2:3")};
    QImage image(CHART_WIDTH, CHART_HEIGHT, QImage::Format_RGB32);
    int k = 0;
    for (auto _ : state) {
        records->one_time.Redct1 = 0.3 + 0.01 * (k++ % 60);
        explorer.run_without_trace(*records);
        QPainter painter(&image);
        painter.fillRect(0, 0, CHART_WIDTH, CHART_HEIGHT, Qt::white);
        {
            PainterSurface surface(painter);
            paint_explorer_view(surface, *records, colours, explorer, CHART_WIDTH, CHART_HEIGHT,
                                true);
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_SliderToRepaintedBands)->Unit(benchmark::kMillisecond);

void BM_EnsembleBands(benchmark::State& state) {
    EnsemblePlan plan;
    plan.mode = MODE_ONE_TIME;
    plan.ranges = {range_of("R_0=2:3")};
    EnsembleResult result;
    ScenarioRefusal refused;
    for (auto _ : state) {
        run_ensemble(plan, EnsembleSettings{}, result, refused);
        benchmark::DoNotOptimize(result.band.data());
    }
}
BENCHMARK(BM_EnsembleBands)->Unit(benchmark::kMillisecond);

void on_threads(int jobs, long long count, const std::function<void(long long)>& work) {
    std::atomic<long long> next{0};
    const auto take = [&] {
        for (long long block = next++; block < count; block = next++)
            work(block);
    };
    std::vector<std::thread> threads;
    for (int j = 1; j < jobs; ++j)
        threads.emplace_back(take);
    take();
    for (std::thread& thread : threads)
        thread.join();
}

void BM_Sensitivity(benchmark::State& state) {
    EnsemblePlan plan;
    plan.mode = MODE_ONE_TIME;
    plan.samples = 4096;
    plan.ranges = {range_of("R_0=2:3"), range_of("latent_period=3:6"),
                   range_of("infectious_period=4:6"), range_of("Redct1=0.4:0.9"),
                   range_of("t_stp1=50:90")};
    const int jobs = static_cast<int>(state.range(0));
    const BlockRunner runner = [jobs](long long count, const std::function<void(long long)>& work) {
        on_threads(jobs, count, work);
    };
    Sensitivity sensitivity;
    ScenarioRefusal refused;
    for (auto _ : state) {
        compute_sensitivity(plan, runner, sensitivity, refused);
        benchmark::DoNotOptimize(sensitivity.indices.data());
    }
}
BENCHMARK(BM_Sensitivity)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace morbilex

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
