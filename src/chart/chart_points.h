// Observed counts over the chart: a cross at each point and, where the counts
// are not the infectious curve itself, the model's matching series through
// the same days.
#pragma once

#include <span>

#include "chart/chart.h"

namespace morbilex {

// A day and a value in the chart's persons per 10,000.
struct ChartPoint {
    double day = 0.0;
    double persons = 0.0;
};

// Drawn over a chart in its mapping, with its geometry and scale: crosses at
// points, and series (when not empty) as a line through its points; what
// falls outside the frame is left out.
void draw_chart_points(Surface& surface, const ChartGeometry& geometry, const AxisScale& scale,
                       std::span<const ChartPoint> points, std::span<const ChartPoint> series,
                       Colour colour);
// The same over the chart draw_chart just drew of the records.
void draw_chart_points(Surface& surface, const Records& records, std::span<const ChartPoint> points,
                       std::span<const ChartPoint> series, Colour colour);

}  // namespace morbilex
