// How long a full chart drawing takes for the longest run with every curve
// inside the frame: the chart's own cost on a surface that draws nothing, and
// a full repaint through the painter surface into a 1920x1080 image. For
// comparison, gnuplot's pngcairo terminal plotting the same 4 x 40000 points
// (when gnuplot is installed).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "chart/chart.h"
#include "model/simulation.h"
#include "text/format.h"
#include "trace/traced_run.h"

#if __has_include(<QtGui/QImage>)
#define MORBILEX_BENCH_PAINTER 1
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "picture/painter_surface.h"
#endif

namespace morbilex {
namespace {

// The longest run, its whole duration on the x axis and the whole population up.
const Records& longest_run() {
    static const std::unique_ptr<Records> records = [] {
        auto run = std::make_unique<Records>();
        run->model.n_steps = MAX_STEPS;
        run->mode = MODE_NO_INTERVENTION;
        run_simulation_to_stream(*run, MODE_NO_INTERVENTION, nullptr);
        run->scale.xmax = MAX_STEPS * run->model.dt;
        run->scale.ymax = POPULATION_BASE;
        return run;
    }();
    return *records;
}

SeriesColours series_colours() {
    SeriesColours colours;
    init_series_colours(colours);
    return colours;
}

// Counts the calls and draws nothing: what remains is the chart's own work.
class NullSurface : public Surface {
public:
    long long lines = 0;
    void select_device_default_font() override { font_height_ = 16; }
    void set_isotropic_mode() override {}
    void set_window_extent(int, int) override {}
    void set_viewport_extent(int, int) override {}
    void set_window_origin(int, int) override {}
    SurfaceObject create_chart_font(int cell_height) override {
        chart_font_height_ = cell_height;
        return 2;
    }
    SurfaceObject select_font(SurfaceObject font) override {
        font_height_ = font == 2 ? chart_font_height_ : 16;
        return 1;
    }
    void delete_font(SurfaceObject) override {}
    int text_cell_height() override { return font_height_; }
    SurfaceObject create_pen(Colour colour) override { return 2 + colour; }
    SurfaceObject select_pen(SurfaceObject pen) override { return pen; }
    void delete_pen(SurfaceObject) override {}
    void move_to(int, int) override {}
    void line_to(int, int) override { ++lines; }
    void text_out(int, int, const char*, int) override {}
    void fill_rectangle(int, int, int, int, Colour) override {}

private:
    int font_height_ = 16;
    int chart_font_height_ = 0;
};

void BM_DrawChartOnNullSurface(benchmark::State& state) {
    Records records = longest_run();
    const SeriesColours colours = series_colours();
    NullSurface surface;
    for (auto _ : state) {
        draw_chart(records, colours, surface, 0, 0, 1920, 1080);
    }
    state.counters["lines"] = static_cast<double>(surface.lines) / state.iterations();
}
BENCHMARK(BM_DrawChartOnNullSurface)->Unit(benchmark::kMillisecond);

#ifdef MORBILEX_BENCH_PAINTER
void BM_RepaintOnPainterSurface1920x1080(benchmark::State& state) {
    Records records = longest_run();
    const SeriesColours colours = series_colours();
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        PainterSurface surface(painter);
        draw_chart(records, colours, surface, 0, 0, 1920, 1080);
    }
    benchmark::DoNotOptimize(image.constBits());
}
BENCHMARK(BM_RepaintOnPainterSurface1920x1080)->Unit(benchmark::kMillisecond);
#endif

// The same points as gnuplot data: day and the four compartments per row.
std::filesystem::path write_points(const std::filesystem::path& folder) {
    const Records& records = longest_run();
    const std::filesystem::path path = folder / "points.dat";
    std::FILE* file = std::fopen(path.string().c_str(), "w");
    if (file == nullptr) return {};
    char row[512];
    for (int j = 0; j < records.model.n_steps; ++j) {
        const CompartmentValues& v = records.results[j];
        const std::size_t length = format_text(row, sizeof row, "%.2f %.6f %.6f %.6f %.6f\n",
                                               {j * records.model.dt, v[0], v[1], v[2], v[3]});
        std::fwrite(row, 1, length, file);
    }
    std::fclose(file);
    return path;
}

void BM_GnuplotPngcairo1920x1080(benchmark::State& state) {
    if (std::system("command -v gnuplot >/dev/null 2>&1") != 0) {
        state.SkipWithError("gnuplot is not installed");
        return;
    }
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "morbilex-bench";
    std::filesystem::create_directories(folder);
    const std::filesystem::path points = write_points(folder);
    const std::string script =
        "set terminal pngcairo size 1920,1080; set output '" + (folder / "gnuplot.png").string() +
        "'; set xrange [0:10000]; set yrange [0:10000]; set grid; plot '" + points.string() +
        "' using 1:2 with lines lc rgb 'black' title 'Susceptible', '' using 1:3 with lines lc "
        "rgb 'blue' title 'Exposed', '' using 1:4 with lines lc rgb 'red' title 'Infectious', "
        "'' using 1:5 with lines lc rgb 'green' title 'Recovered'";
    const std::string command = "gnuplot -e \"" + script + "\"";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("gnuplot failed");
            return;
        }
    }
}
BENCHMARK(BM_GnuplotPngcairo1920x1080)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morbilex

int main(int argc, char** argv) {
#ifdef MORBILEX_BENCH_PAINTER
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
