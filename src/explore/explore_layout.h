// Where the explorer view puts the chart and its text in a device rectangle:
// the mapping, the margins the text needs and the legend's place.
#pragma once

#include <cstddef>

#include "chart/chart.h"
#include "model/records.h"

namespace morbilex {

// How the explorer view places the chart in a device rectangle of width by
// height from the top-left corner: the logical window of the chart mapping.
// The chart keeps the classic chart's frame and scale. Around the frame it
// leaves the classic margins, or more where text of cell_pixels (the
// device's reading size) needs it: the header lines and the axis title
// above, the tick labels left and below with the x axis's title under them,
// and the legend right. The text keeps its size at every window size; the
// frame takes what is left.
//
// The legend has a column of its own right of the frame, so that it covers
// no curve: with the full names where that column takes at most a third of
// the width, else with the short ones where they do.
// Where even that would leave the frame less than a quarter of its classic
// size, or the frame and the x labels lower than the legend, the legend
// stands over the frame's top right corner.
enum class LegendPlace { BesideFull, BesideShort, OverFrame };
struct ExplorerMapping {
    bool valid = false;
    ChartGeometry geometry;  // of a copy of the scale
    double x_per_day = 0.0;
    double extent_x = 0.0, extent_y = 0.0, origin_x = 0.0, origin_y = 0.0;
    LegendPlace legend = LegendPlace::OverFrame;
    // With the legend over the frame, the x axis's title stands on its
    // labels' row, left of the first, and the frame takes the row it leaves.
    bool day_beside_labels = false;
    // The height of the residual strip between the frame's foot and the x
    // labels, in logical units; 0 without one.
    int strip_height = 0;
};
// The chart's text beyond the classic axes': the widest y label's characters
// when they are not the linear axis's (-1: those), the right-hand axis's
// labels (0: none), and the header's lines; with residual_strip, a strip
// of RESIDUAL_STRIP_CELLS text cells (at most a twelfth of the device's
// height) under the frame, over the x labels, where the legend stands
// beside the frame (a smaller chart leaves the strip out).
struct ChartTextExtent {
    int y_label_chars = -1;
    int right_axis_chars = 0;
    int header_lines = 3;
    bool residual_strip = false;
};
inline constexpr double RESIDUAL_STRIP_CELLS = 2.5;
ExplorerMapping explorer_mapping(const AxisScale& scale, int width, int height, double cell_pixels,
                                 const ChartTextExtent& extent = {});
// The room right of the frame before the legend's column, in characters: half
// the last x label, or the right-hand axis's labels after their tick.
double right_of_frame_chars(const AxisScale& scale, int right_axis_chars);

// The legend's lines: the compartments, the run without intervention (with a
// comparison) and the band of the reduction; their full or short names.
// With the effective reproduction number, a line for its curve.
inline constexpr int LEGEND_LINES = COMPARTMENT_COUNT + 3;
inline constexpr int LEGEND_LINE_EFFECTIVE_R = COMPARTMENT_COUNT + 2;
const char* legend_name(int line, bool short_names);
// The legend beside the frame, in text cells: a gap, the line of a curve, a
// gap, the longest name, a margin (after the last x label's right half).
inline constexpr double LEGEND_GAP_CELLS = 0.5;
inline constexpr double LEGEND_LINE_CELLS = 1.5;
double legend_width_cells(bool short_names);
// The length of the x axis's last label, whose right half lies beyond the
// frame, left of the legend's column.
std::size_t last_x_label_chars(const AxisScale& scale);
// The advance of one character of the chart font, as a share of its cell
// height, rounded up over the fixed-pitch faces the surfaces use.
inline constexpr double CHAR_WIDTH_PER_CELL = 0.62;
// The width of the chart's part of a device width: all of it in the window,
// the left three fifths when the figures are drawn beside the chart
// (pictures, print).
int explorer_chart_width(int width, bool with_figures);

}  // namespace morbilex
