// What a sweep's heat map shows, without Qt: cell shades and texts, axis labels and colour scale.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace morbilex {

// cells[row * x_values.size() + column] holds the metric at y_values[row] and
// x_values[column]; a non-finite cell is drawn as such.
struct SweepHeatMap {
    std::string x_name, y_name, metric, title;
    std::vector<double> x_values, y_values;
    std::vector<double> cells;
};

// Heat maps show each cell's value when the grid is at most this many a side.
inline constexpr std::size_t LARGEST_LABELLED_GRID = 15;

struct HeatCell {
    bool missing = false;     // not finite: grey, its text "n/a"
    double shade = 0.0;       // 0 to 1 along the colour scale
    bool light_text = false;  // white text on a dark shade
    std::string text;         // empty when the grid is too big for texts
};

// A label of the grid's columns or rows (the explorer's axis labels are
// AxisLabel, by value).
struct GridLabel {
    std::size_t index = 0;  // the grid's column or row
    std::string text;
};

struct ScaleLabel {
    double position = 0.0;  // 0 at the colour bar's foot, 1 at its head
    std::string text;
};

struct HeatMapLayout {
    std::vector<HeatCell> cells;  // as the map's cells
    // Every stride-th column and row is labelled, so that labels do not touch.
    std::size_t x_stride = 1, y_stride = 1;
    std::vector<GridLabel> x_labels, y_labels;
    std::vector<ScaleLabel> scale_labels;
    // Every finite cell holds the same value: the colour bar is that value's
    // one colour, labelled once in its middle.
    bool single_value = false;
};

// The width of an x axis label's text, in the units of the picture.
using TextWidth = std::function<double(const std::string& text)>;

// The layout for cells of cell_width x cell_height and text of the given size,
// all in the picture's units. The map's cells fill its grid.
HeatMapLayout lay_out_heat_map(const SweepHeatMap& map, double cell_width, double cell_height,
                               double text, const TextWidth& x_text_width);

}  // namespace morbilex
