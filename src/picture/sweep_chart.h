// Pictures of a sweep (PNG, SVG or PDF by the extension, all at the size
// given): a metric against one swept field, a line per series; or a heat map
// of a metric over two swept fields. For reports, never for the windows.
#pragma once

#include <string>
#include <vector>

namespace morbilex {

struct LineSeries {
    std::string label;  // empty for a chart of one line
    std::vector<double> x, y;
};

struct SweepLineChart {
    std::string x_name, y_name, title;
    std::vector<LineSeries> series;
};

// cells[row * x_values.size() + column] holds the metric at y_values[row] and
// x_values[column]; a non-finite cell is drawn as such.
struct SweepHeatMap {
    std::string x_name, y_name, metric, title;
    std::vector<double> x_values, y_values;
    std::vector<double> cells;
};

// Heat maps show each cell's value when the grid is at most this many a side.
inline constexpr std::size_t LARGEST_LABELLED_GRID = 15;

// The picture's file as bytes, the type by the extension of path; nothing is
// written. False with a one-line reason.
bool render_sweep_line_chart(const SweepLineChart& chart, const std::string& path, int width,
                             int height, std::string& bytes, std::string& error);
bool render_sweep_heat_map(const SweepHeatMap& map, const std::string& path, int width, int height,
                           std::string& bytes, std::string& error);

}  // namespace morbilex
