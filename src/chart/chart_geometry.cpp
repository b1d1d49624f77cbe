// Geometry, mapping, chart font and axes of the chart.
#include <climits>
#include <cmath>
#include <cstdlib>

#include "chart/chart.h"
#include "chart/chart_text.h"

namespace morbilex {
namespace {

// The grid forms i x W for i up to 99 with W = 2 H in 32-bit integers.
constexpr double PLOT_HEIGHT_LIMIT = INT_MAX / (2 * 99);
// Frame edges stay this close to zero, so that the margins, header, legend and
// labels placed around them (all within a few H or line steps) still fit.
constexpr double FRAME_EDGE_LIMIT = 1 << 29;
// The surface's font height is trusted only this far when forming line steps.
constexpr double CELL_HEIGHT_LIMIT = 1 << 24;

bool fits(double value, double limit) {
    return std::isfinite(value) && std::fabs(value) <= limit;
}

// The geometry of the ranges, or false when they have none in 32-bit coordinates.
bool ranged_geometry(const AxisScale& scale, ChartGeometry& geometry, double& x_per_day) {
    const double x_range = scale.xmax - scale.xmin;
    const double y_range = scale.ymax - scale.ymin;
    const double height = y_range * scale.y_per_person;
    if (!std::isfinite(x_range) || x_range == 0.0 || !fits(height, PLOT_HEIGHT_LIMIT)) return false;
    const int plot_height = static_cast<int>(height);
    if (plot_height == 0) return false;
    const double width = 2.0 * plot_height;
    const double left = width * scale.xmin / x_range;
    const double right = width * scale.xmax / x_range;
    const double bottom = plot_height * scale.ymin / y_range;
    const double top = plot_height * scale.ymax / y_range;
    const double per_day = width / x_range;
    for (double edge : {left, right, bottom, top}) {
        if (!fits(edge, FRAME_EDGE_LIMIT)) return false;
    }
    if (!std::isfinite(per_day)) return false;
    geometry.plot_height = plot_height;
    geometry.plot_width = 2 * plot_height;
    geometry.frame_left = static_cast<int>(left);
    geometry.frame_right = static_cast<int>(right);
    geometry.frame_bottom = static_cast<int>(bottom);
    geometry.frame_top = static_cast<int>(top);
    geometry.drawable = true;
    x_per_day = per_day;
    return true;
}

// A real that converts to a 32-bit integer (truncated) without overflow.
bool truncates_to_int(double value) {
    return value > static_cast<double>(INT_MIN) - 1.0 && value < static_cast<double>(INT_MAX) + 1.0;
}

void draw_line(Surface& surface, int x0, int y0, int x1, int y1) {
    surface.move_to(x0, y0);
    surface.line_to(x1, y1);
}

void draw_frame(Surface& surface, const ChartGeometry& g) {
    surface.move_to(g.frame_right, g.frame_bottom);
    surface.line_to(g.frame_left, g.frame_bottom);
    surface.line_to(g.frame_left, g.frame_top);
    surface.line_to(g.frame_right, g.frame_top);
    surface.line_to(g.frame_right, g.frame_bottom);
}

void draw_zero_line(Surface& surface, const ChartGeometry& g, const AxisScale& scale,
                    bool labelled) {
    if (!(scale.ymin * scale.ymax < 0.0)) return;
    draw_line(surface, g.frame_right, 0, g.frame_left, 0);
    if (labelled) draw_formatted_text(surface, g.frame_left - plot_length(g, 0.04), 0, "0");
}

void draw_vertical_grid(Surface& surface, const ChartGeometry& g) {
    const int tick = plot_length(g, 0.01);
    for (int i = 1; i < 100; ++i) {
        const int x = (i * g.plot_width) / 100 + g.frame_left;
        if (i % 10 == 0) {
            draw_line(surface, x, g.frame_bottom, x, g.frame_top);
        } else {
            draw_line(surface, x, g.frame_bottom, x, g.frame_bottom + tick);
            draw_line(surface, x, g.frame_top, x, g.frame_top - tick);
        }
    }
}

void draw_horizontal_grid(Surface& surface, const ChartGeometry& g) {
    const int tick = plot_length(g, 0.01);
    for (int i = 1; i < 50; ++i) {
        const int y = (i * g.plot_height) / 50 + g.frame_bottom;
        if (i % 10 == 0) {
            draw_line(surface, g.frame_left, y, g.frame_right, y);
        } else {
            draw_line(surface, g.frame_left, y, g.frame_left + tick, y);
            draw_line(surface, g.frame_right, y, g.frame_right - tick, y);
        }
    }
}

void draw_axis_labels(Surface& surface, const ChartGeometry& g, const AxisScale& scale) {
    const int label_drop = g.frame_bottom - plot_length(g, 0.02);
    const int value_left = g.frame_left - plot_length(g, 0.1);
    const int unit_left = g.frame_left - plot_length(g, 0.16);
    const int middle_y = (g.frame_top + g.frame_bottom) / 2;
    draw_formatted_text(surface, g.frame_left, label_drop, "%.0f", {scale.xmin});
    draw_formatted_text(surface, g.frame_right, label_drop, "%.0f", {scale.xmax});
    draw_formatted_text(surface, value_left, g.frame_bottom, "%.0f", {scale.ymin});
    draw_formatted_text(surface, value_left, g.frame_top, "%.0f", {scale.ymax});
    draw_formatted_text(surface, unit_left, middle_y, "Persons");
    draw_formatted_text(surface, unit_left, middle_y - plot_length(g, 0.04), "per 10K");
    draw_formatted_text(surface, (g.frame_left + g.frame_right) / 2 - plot_length(g, 0.1),
                        label_drop, "day");
}

}  // namespace

ChartGeometry compute_chart_geometry(AxisScale& scale) {
    ChartGeometry geometry;
    if (ranged_geometry(scale, geometry, scale.x_per_day)) return geometry;
    // The default scale's geometry places the header and the notice.
    double unused_x_per_day = 0.0;
    ChartGeometry fallback;
    ranged_geometry(AxisScale{}, fallback, unused_x_per_day);
    fallback.drawable = false;
    return fallback;
}

int plot_length(const ChartGeometry& geometry, double factor) {
    return static_cast<int>(factor * geometry.plot_height);
}

bool set_chart_mapping(Surface& surface, int left, int top, int right, int bottom, double extent_x,
                       double extent_y, double origin_x, double origin_y) {
    const long long device_width = static_cast<long long>(right) - left;
    const long long device_height = std::llabs(static_cast<long long>(bottom) - top);
    if (device_width == 0 || device_height == 0 || std::llabs(device_width) > INT_MAX ||
        device_height > INT_MAX) {
        return false;
    }
    for (double value : {extent_x, extent_y, origin_x, origin_y}) {
        if (!truncates_to_int(value)) return false;
    }
    const int window_x = static_cast<int>(extent_x);
    const int window_y = static_cast<int>(extent_y);
    if (window_x == 0 || window_y == 0) return false;
    surface.select_device_default_font();
    surface.set_isotropic_mode();
    surface.set_window_extent(window_x, window_y);
    surface.set_viewport_extent(static_cast<int>(device_width), -static_cast<int>(device_height));
    surface.set_window_origin(static_cast<int>(origin_x), static_cast<int>(origin_y));
    return true;
}

ChartFont select_chart_font(Surface& surface, ChartGeometry& geometry, int cell_height) {
    ChartFont chart_font;
    chart_font.font = surface.create_chart_font(cell_height);
    // A font that cannot be made leaves the text in the current one.
    if (chart_font.font != 0) chart_font.kept_font = surface.select_font(chart_font.font);
    double made_height = surface.text_cell_height();
    if (std::fabs(made_height) > CELL_HEIGHT_LIMIT) made_height = 0.0;
    geometry.line_step = static_cast<int>(1.2 * made_height);
    return chart_font;
}

void release_chart_font(Surface& surface, const ChartFont& chart_font) {
    if (chart_font.font == 0) return;
    surface.select_font(chart_font.kept_font);
    surface.delete_font(chart_font.font);
}

void draw_chart_axes(Surface& surface, const ChartGeometry& geometry, const AxisScale& scale) {
    draw_frame(surface, geometry);
    draw_zero_line(surface, geometry, scale, true);
    draw_vertical_grid(surface, geometry);
    draw_horizontal_grid(surface, geometry);
    draw_axis_labels(surface, geometry, scale);
}

void draw_chart_grid(Surface& surface, const ChartGeometry& geometry, const AxisScale& scale) {
    draw_frame(surface, geometry);
    draw_zero_line(surface, geometry, scale, false);
    draw_vertical_grid(surface, geometry);
    draw_horizontal_grid(surface, geometry);
}

}  // namespace morbilex
