#include "chart/chart_points.h"

#include <climits>

#include "chart/selected_pen.h"

namespace morbilex {
namespace {

bool chart_coordinate(double value, int& coordinate) {
    const double shifted = value + 0.5;
    if (!(shifted > static_cast<double>(INT_MIN) + 1.0 &&
          shifted < static_cast<double>(INT_MAX) - 1.0)) {
        return false;
    }
    coordinate = static_cast<int>(shifted);
    return true;
}

// The point in the chart's logical units, when it lies inside the frame.
bool place(const ChartGeometry& g, const AxisScale& scale, const ChartPoint& point, int& x,
           int& y) {
    return chart_coordinate(point.day * scale.x_per_day, x) &&
           chart_coordinate(point.persons * scale.y_per_person, y) && g.frame_left <= x &&
           x <= g.frame_right && g.frame_bottom <= y && y <= g.frame_top;
}

}  // namespace

void draw_chart_points(Surface& surface, const Records& records, std::span<const ChartPoint> points,
                       std::span<const ChartPoint> series, Colour colour) {
    AxisScale scale = records.scale;
    const ChartGeometry geometry = compute_chart_geometry(scale);
    draw_chart_points(surface, geometry, scale, points, series, colour);
}

void draw_chart_points(Surface& surface, const ChartGeometry& geometry, const AxisScale& scale,
                       std::span<const ChartPoint> points, std::span<const ChartPoint> series,
                       Colour colour) {
    if (!geometry.drawable) return;
    const int arm = plot_length(geometry, 0.012);
    SelectedPen pen(surface, colour);
    for (const ChartPoint& point : points) {
        int x = 0, y = 0;
        if (!place(geometry, scale, point, x, y)) continue;
        surface.move_to(x - arm, y - arm);
        surface.line_to(x + arm + 1, y + arm + 1);
        surface.move_to(x - arm, y + arm);
        surface.line_to(x + arm + 1, y - arm - 1);
    }
    bool drawing = false;
    for (const ChartPoint& point : series) {
        int x = 0, y = 0;
        if (!place(geometry, scale, point, x, y)) {
            drawing = false;
            continue;
        }
        if (drawing) {
            surface.line_to(x, y);
        } else {
            surface.move_to(x, y);
        }
        drawing = true;
    }
}

}  // namespace morbilex
