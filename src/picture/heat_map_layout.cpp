// What a sweep's heat map shows, without Qt: cell shades and texts, axis labels and colour scale.
#include "picture/heat_map_layout.h"

#include <algorithm>
#include <cmath>

#include "picture/axis_scale.h"

namespace morbilex {
namespace {

// Text turns white below this shade, where the colours are dark.
constexpr double LIGHT_TEXT_BELOW = 0.6;

void lay_out_cells(const SweepHeatMap& map, double low, double high, HeatMapLayout& layout) {
    const bool labelled = map.x_values.size() <= LARGEST_LABELLED_GRID &&
                          map.y_values.size() <= LARGEST_LABELLED_GRID;
    layout.cells.reserve(map.cells.size());
    for (double value : map.cells) {
        HeatCell cell;
        cell.missing = !std::isfinite(value);
        // A single value sits in the middle of its one-colour scale.
        cell.shade = high > low ? (value - low) / (high - low) : 0.5;
        cell.light_text = !cell.missing && cell.shade < LIGHT_TEXT_BELOW;
        if (labelled) cell.text = value_text(value);
        layout.cells.push_back(cell);
    }
}

void lay_out_axes(const SweepHeatMap& map, double cell_width, double cell_height, double text,
                  const TextWidth& x_text_width, HeatMapLayout& layout) {
    double widest = 0.0;
    for (double value : map.x_values)
        widest = std::max(widest, x_text_width(axis_text(value)));
    layout.x_stride = label_stride(map.x_values.size(), cell_width, widest + text);
    for (std::size_t column = 0; column < map.x_values.size(); column += layout.x_stride)
        layout.x_labels.push_back({column, axis_text(map.x_values[column])});
    layout.y_stride = label_stride(map.y_values.size(), cell_height, text * 1.3);
    for (std::size_t row = 0; row < map.y_values.size(); row += layout.y_stride)
        layout.y_labels.push_back({row, axis_text(map.y_values[row])});
}

void lay_out_scale(double low, double high, HeatMapLayout& layout) {
    if (high == low) {
        layout.single_value = true;
        layout.scale_labels.push_back({0.5, axis_text(low)});
        return;
    }
    for (double tick : ticks_between(low, high, 5))
        layout.scale_labels.push_back({(tick - low) / (high - low), axis_text(tick)});
}

}  // namespace

HeatMapLayout lay_out_heat_map(const SweepHeatMap& map, double cell_width, double cell_height,
                               double text, const TextWidth& x_text_width) {
    HeatMapLayout layout;
    const auto [low, high] = finite_range(map.cells);
    lay_out_cells(map, low, high, layout);
    lay_out_axes(map, cell_width, cell_height, text, x_text_width, layout);
    lay_out_scale(low, high, layout);
    return layout;
}

}  // namespace morbilex
