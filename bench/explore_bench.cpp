// The explorer view's latency: a slider moved until the window shows the new
// chart and figures. One iteration is what a drag step costs: the value set
// through its dialog, the run without a trace with its figures and bands from
// the same integration, the run without intervention with its figures and
// the comparison curves, the fitted axes, the figures' text, and the chart
// painted through the painter surface into an image of the window's default
// chart size. The targets are 16 ms at 800 steps (200 days) and 33 ms at
// 40000 steps.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "explore/axis_fitting.h"
#include "explore/explorer_view.h"
#include "explore/sliders.h"
#include "picture/painter_surface.h"
#include "qt/run_both.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

// The chart's part of a 960 by 600 window beside the figures and sliders.
constexpr int CHART_WIDTH = 620;
constexpr int CHART_HEIGHT = 580;

void BM_SliderToRepaintedChart(benchmark::State& state) {
    auto records = std::make_unique<Records>();
    records->model.n_steps = static_cast<int>(state.range(0));
    records->mode = MODE_ONE_TIME;
    SeriesColours colours;
    init_series_colours(colours);
    Explorer explorer;
    explorer.read_out_step = 100;
    QImage image(CHART_WIDTH, CHART_HEIGHT, QImage::Format_RGB32);
    const SliderField& r0 = slider_fields()[0];
    int k = 0;
    for (auto _ : state) {
        // Each step a new value, so nothing is reused from the step before.
        apply_slider_value(*records, r0, slider_value_at(r0, 30 + (k++ % 60)));
        // As slider_moved does while dragging in the Qt program.
        explorer.run_without_trace(*records, run_both_on_threads);
        fit_axes(*records, explorer);
        std::string figures;
        for (const FigureLine& line : figure_lines(explorer.figures()))
            figures += line.value + line.baseline + line.difference;
        benchmark::DoNotOptimize(figures);
        QPainter painter(&image);
        painter.fillRect(0, 0, CHART_WIDTH, CHART_HEIGHT, Qt::white);
        {
            PainterSurface surface(painter);
            paint_explorer_view(surface, *records, colours, explorer, CHART_WIDTH, CHART_HEIGHT,
                                false);
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["steps"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_SliderToRepaintedChart)->Arg(800)->Arg(40000)->Unit(benchmark::kMillisecond);

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
