// The sweep pictures without Qt: what they hold, where their parts go on a
// page, their colours, and their drawing on any Surface (the web page's).
// The picture files of morbilex-batch use the same frames, ranges and
// colours with Qt's painter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "chart/surface.h"
#include "picture/heat_map_layout.h"

namespace morbilex {

struct LineSeries {
    std::string label;  // empty for a chart of one line
    std::vector<double> x, y;
};

struct SweepLineChart {
    std::string x_name, y_name, title;
    std::vector<LineSeries> series;
};

// 0xRRGGBB colours.
// viridis at ten even stops (perceptually uniform, readable with any colour
// vision and in grey), between which colours are interpolated.
inline constexpr std::uint32_t VIRIDIS[] = {0x440154, 0x482878, 0x3e4a89, 0x31688e, 0x26828e,
                                            0x1f9e89, 0x35b779, 0x6dcd59, 0xb4de2c, 0xfde725};
// Lines: blue, orange, bluish green, vermillion, sky blue, reddish purple.
inline constexpr std::uint32_t SERIES_COLOURS[] = {0x0072b2, 0xe69f00, 0x009e73,
                                                   0xd55e00, 0x56b4e9, 0xcc79a7};
inline constexpr std::uint32_t MISSING_COLOUR = 0xcccccc;
inline constexpr std::uint32_t GRID_COLOUR = 0xdddddd;

// A Surface's colour at a shade (0 to 1) of the heat map's scale.
Colour heat_colour(double shade);

struct PictureBox {
    double left = 0, top = 0, width = 0, height = 0;
    double right() const { return left + width; }
    double bottom() const { return top + height; }
};

// The base text size of a picture file of the given size.
double sweep_text_pixels(double width, double height);

// Where a heat map's cells and its colour bar go on the page.
struct HeatFrame {
    PictureBox plot, bar;
};
HeatFrame heat_map_frame(const PictureBox& page, double text);

// A line chart's value ranges: x over the points, y from zero when all
// values lie above it, with room above the highest.
struct LineRange {
    double x_low = 0, x_high = 1, y_low = 0, y_high = 1;
};
LineRange line_chart_range(const SweepLineChart& chart);
bool has_legend(const SweepLineChart& chart);

// The pictures on a Surface of width x height device pixels, with its
// reading text size; nothing when there is nothing to draw.
void draw_sweep_heat_map(Surface& surface, const SweepHeatMap& map, int width, int height);
void draw_sweep_line_chart(Surface& surface, const SweepLineChart& chart, int width, int height);

// The plot of a heat map drawn on a Surface of that size and text size.
PictureBox surface_heat_map_plot(int width, int height, double text);

// The heat map's cell under a device point of the picture drawn at that
// size: false when the point is on no cell.
bool heat_map_cell_at(const SweepHeatMap& map, int width, int height, double text, double x,
                      double y, std::size_t& row, std::size_t& column);
// The index of the line chart's x value nearest a device x (the values of
// the first series); false when the point is not near the plot.
bool line_chart_point_at(const SweepLineChart& chart, int width, int height, double text, double x,
                         double y, std::size_t& index);
// The value a device y stands for on the line chart drawn at that size.
double line_chart_value_at(const SweepLineChart& chart, int width, int height, double text,
                           double y);

}  // namespace morbilex
