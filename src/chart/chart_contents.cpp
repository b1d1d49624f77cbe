// What the chart says about a run: header lines, legend and curves, and the
// order in which draw_chart puts the whole chart together.
#include <algorithm>
#include <climits>

#include "chart/chart.h"
#include "chart/chart_text.h"
#include "chart/selected_pen.h"

namespace morbilex {
namespace {

constexpr Colour BLACK = 0x000000;
constexpr Colour BLUE = 0xFF0000;
constexpr Colour RED = 0x0000FF;
constexpr Colour GREEN = 0x00FF00;

void draw_schedule_line(Surface& surface, int x, int y, const Records& records) {
    if (records.mode == MODE_ONE_TIME) {
        const OneTimePlan& p = records.one_time;
        draw_formatted_text(surface, x, y,
                            "One-time intervention: (redct, from, to) = 1 (%6.3f, %7.2f, %7.2f) : "
                            "2 (%6.3f, %7.2f, %7.2f) : 3 (%6.3f, %7.2f, %7.2f)",
                            {p.Redct1, p.t_srt1, p.t_stp1, p.Redct2, p.t_srt2, p.t_stp2, p.Redct3,
                             p.t_srt3, p.t_stp3});
    } else if (records.mode == MODE_INTERMITTENT) {
        const IntermittentPlan& p = records.intermittent;
        draw_formatted_text(surface, x, y,
                            "Intermittent intervention: Reduction =%6.3f%%,  On-threshold =%6.2f,  "
                            "Off-threshold =%6.2f ",
                            {p.Reduction * 100.0, p.On_threshold, p.Off_threshold});
    } else {
        draw_formatted_text(surface, x, y, "No intervention.");
    }
}

// The curve coordinate of a real, rounded by adding 0.5 and truncating; false
// when it has no 32-bit value (it then lies outside every frame).
bool curve_coordinate(double value, int& coordinate) {
    const double shifted = value + 0.5;
    if (!(shifted > static_cast<double>(INT_MIN) - 1.0 &&
          shifted < static_cast<double>(INT_MAX) + 1.0)) {
        return false;
    }
    coordinate = static_cast<int>(shifted);
    return true;
}

bool inside_frame(const ChartGeometry& g, int x, int y) {
    return g.frame_left <= x && x <= g.frame_right && g.frame_bottom <= y && y <= g.frame_top;
}

void draw_range_notice(Surface& surface, const ChartGeometry& g) {
    draw_formatted_text(surface, g.frame_left, (g.frame_top + g.frame_bottom) / 2, RANGE_NOTICE);
}

}  // namespace

void init_series_colours(SeriesColours& colours) {
    colours.colours[0] = BLACK;
    colours.colours[1] = BLUE;
    colours.colours[2] = RED;
    colours.colours[3] = GREEN;
}

void draw_chart_header(Surface& surface, const ChartGeometry& geometry, const Records& records) {
    const int x = geometry.frame_left;
    const int y = geometry.frame_top + plot_length(geometry, 0.1);
    const ModelParameters& m = records.model;
    draw_formatted_text(surface, x, y,
                        "MORBILEX : R_0 =%6.2f,  Latent period =%6.2f,  Infectious period = %6.2f ",
                        {m.R_0, m.latent_period, m.infectious_period});
    draw_schedule_line(surface, x, y - geometry.line_step, records);
}

void draw_legend(Surface& surface, const ChartGeometry& geometry, const SeriesColours& colours) {
    const int half_step = geometry.line_step / 2;
    const int line_left = geometry.frame_right - plot_length(geometry, 0.5);
    const int line_right = geometry.frame_right - plot_length(geometry, 0.4);
    const int name_left = line_right + plot_length(geometry, 0.02);
    int y = geometry.frame_top - half_step;
    for (int k = 0; k < COMPARTMENT_COUNT; ++k) {
        SelectedPen pen(surface, colours.colours[k]);
        surface.move_to(line_left, y - half_step);
        surface.line_to(line_right, y - half_step);
        draw_formatted_text(surface, name_left, y, COMPARTMENT_NAMES[k]);
        y -= geometry.line_step;
    }
}

void draw_curves(Surface& surface, const ChartGeometry& geometry, const Records& records,
                 const SeriesColours& colours) {
    const double dt = records.model.dt;
    const double x_per_day = records.scale.x_per_day;
    const double y_per_person = records.scale.y_per_person;
    // Never read past the table, whatever n_steps holds.
    const int rows = std::min(records.model.n_steps, MAX_STEPS);
    for (int j = 1; j < rows; ++j) {
        int x0 = 0;
        int x1 = 0;
        if (!curve_coordinate((j - 1) * dt * x_per_day, x0) ||
            !curve_coordinate(j * dt * x_per_day, x1)) {
            continue;
        }
        const CompartmentValues& from = records.results[j - 1];
        const CompartmentValues& to = records.results[j];
        for (int k = 0; k < COMPARTMENT_COUNT; ++k) {
            int y0 = 0;
            int y1 = 0;
            if (!curve_coordinate(from[k] * y_per_person, y0) ||
                !curve_coordinate(to[k] * y_per_person, y1) || !inside_frame(geometry, x0, y0) ||
                !inside_frame(geometry, x1, y1)) {
                continue;
            }
            SelectedPen pen(surface, colours.colours[k]);
            surface.move_to(x0, y0);
            surface.line_to(x1, y1);
        }
    }
}

void draw_chart(Records& records, const SeriesColours& colours, Surface& surface, int left, int top,
                int right, int bottom) {
    ChartGeometry geometry = compute_chart_geometry(records.scale);
    const double H = geometry.plot_height;
    if (!set_chart_mapping(surface, left, top, right, bottom, 2.4 * H, 1.4 * H,
                           geometry.frame_left - 0.2 * H, geometry.frame_top + 0.2 * H)) {
        return;  // no device area to draw on
    }
    const ChartFont font = select_chart_font(surface, geometry);
    draw_chart_header(surface, geometry, records);
    if (geometry.drawable) {
        draw_chart_axes(surface, geometry, records.scale);
        draw_legend(surface, geometry, colours);
        draw_curves(surface, geometry, records, colours);
    } else {
        draw_range_notice(surface, geometry);
    }
    release_chart_font(surface, font);
}

}  // namespace morbilex
