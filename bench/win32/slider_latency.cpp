// The time from a slider's move to the repainted view in the Windows program:
// the run of the new value without a trace (as while dragging), the explorer
// brought up to date, the axes fitted, and the whole view drawn through the
// GDI surface into a bitmap of a window's size. Prints median, 90th
// percentile and worst over many moves, at 800 and 40000 steps.
//   slider_latency [moves]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "explore/explorer_view.h"
#include "explore/sliders.h"
#include "model/simulation.h"
#include "trace/traced_run.h"
#include "win32/gdi_surface.h"
#include "win32/program.h"

namespace morbilex {
namespace {

constexpr int WIDTH = 1000;  // a window's client area, the panel's part left out
constexpr int HEIGHT = 700;

// A front end that shows nothing: the repaint is timed on its own below.
class SilentFrontEnd final : public FrontEnd {
public:
    int open_dialog(DialogKind) override { return 1; }
    void repaint() override {}
    void run_both(const std::function<void()>& first,
                  const std::function<void()>& second) override {
        run_both_on_threads(first, second);  // as the program does
    }
    void print() override {}
    void printer_setup() override {}
    void show_help() override {}
    void exit_program() override {}
    void report_run_failure(int, const std::string&) override {}
};

const SliderField& slider_named(const char* name) {
    for (const SliderField& slider : slider_fields()) {
        if (std::strcmp(slider.name, name) == 0) return slider;
    }
    std::abort();
}

double milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

void measure(double t_max, InterventionMode mode, int moves) {
    auto records = std::make_unique<Records>();
    apply_slider_value(*records, slider_named("T_max"), t_max);
    records->mode = mode;
    run_simulation_to_stream(*records, mode, nullptr);
    SilentFrontEnd front_end;
    CommandContext context{*records, front_end};
    Explorer explorer;
    SeriesColours colours;
    init_series_colours(colours);

    HDC memory = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = WIDTH;
    info.bmiHeader.biHeight = -HEIGHT;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ kept = SelectObject(memory, bitmap);
    const RECT area = {0, 0, WIDTH, HEIGHT};

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const SliderField& r_0 = slider_named("R_0");
    std::vector<double> times, paints;
    for (int move = 0; move < moves; ++move) {
        const double value = slider_value_at(r_0, slider_position_of(r_0, 2.0) + move % 20);
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        slider_moved(context, explorer, r_0, value, false);
        explorer.sync(*records);
        LARGE_INTEGER drawn;
        QueryPerformanceCounter(&drawn);
        FillRect(memory, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        GdiSurface surface(memory);
        surface.join_lines(true);  // as the window draws the explorer view
        paint_explorer_view(surface, *records, colours, explorer, WIDTH, HEIGHT, false);
        surface.join_lines(false);
        GdiFlush();
        QueryPerformanceCounter(&end);
        times.push_back(milliseconds(start, end, frequency));
        paints.push_back(milliseconds(drawn, end, frequency));
    }
    SelectObject(memory, kept);
    DeleteObject(bitmap);
    DeleteDC(memory);

    std::sort(times.begin(), times.end());
    std::sort(paints.begin(), paints.end());
    const double target = records->model.n_steps <= 800 ? 16.0 : 33.0;
    std::printf(
        "%5d steps, mode %d: median %7.2f ms, 90th %7.2f ms, worst %7.2f ms"
        " (target %.0f ms, %d moves); of it the drawing: median %7.2f ms\n",
        records->model.n_steps, mode, times[times.size() / 2], times[times.size() * 9 / 10],
        times.back(), target, moves, paints[paints.size() / 2]);
}

}  // namespace
}  // namespace morbilex

int main(int argc, char** argv) {
    const int moves = argc > 1 ? std::max(10, std::atoi(argv[1])) : 60;
    for (double t_max : {200.0, 10000.0}) {
        for (auto mode : {morbilex::MODE_NO_INTERVENTION, morbilex::MODE_ONE_TIME}) {
            morbilex::measure(t_max, mode, moves);
        }
    }
    return 0;
}
