// The sweep pictures without Qt: frames, ranges and colours shared with the
// picture files, and the pictures drawn on a Surface.
#include "picture/sweep_picture.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>

#include "chart/selected_pen.h"
#include "picture/axis_scale.h"

namespace morbilex {
namespace {

// Text on a Surface is measured by its characters: a digit of the page's
// fonts is about this much of the text's cell height wide.
constexpr double CHARACTER_WIDTH = 0.55;

double text_width(const std::string& text, double size) {
    return static_cast<double>(text.size()) * size * CHARACTER_WIDTH;
}

Colour surface_colour(std::uint32_t rgb) {
    return ((rgb >> 16) & 0xff) | (rgb & 0xff00) | ((rgb & 0xff) << 16);
}

int pixel(double x) {
    return static_cast<int>(std::floor(x + 0.5));
}

void line(Surface& surface, double x0, double y0, double x1, double y1) {
    surface.move_to(pixel(x0), pixel(y0));
    surface.line_to(pixel(x1), pixel(y1));
}

void outline(Surface& surface, const PictureBox& box) {
    const int left = pixel(box.left), top = pixel(box.top);
    const int right = pixel(box.right()), bottom = pixel(box.bottom());
    surface.move_to(left, top);
    surface.line_to(right, top);
    surface.line_to(right, bottom);
    surface.line_to(left, bottom);
    surface.line_to(left, top);
}

enum class Align { Left, Centre, Right };

// Text in the page's font, its cell centred vertically on y.
void text_at(Surface& surface, double x, double y, const std::string& text, Align align,
             double size) {
    const double width = text_width(text, size);
    const double left = align == Align::Left     ? x
                        : align == Align::Centre ? x - width / 2
                                                 : x - width;
    surface.text_out(pixel(left), pixel(y - size / 2), text.data(), static_cast<int>(text.size()));
}

// Where the Surface's pictures go: the picture file's frames, with a row
// above the plot for the names that a file writes turned on their side.
PictureBox surface_page(int width, int height, double text) {
    return {0.0, text * 1.2, static_cast<double>(width), height - text * 1.2};
}

HeatFrame surface_heat_frame(int width, int height, double text) {
    return heat_map_frame(surface_page(width, height, text), text);
}

double legend_width(const SweepLineChart& chart, double text) {
    double widest = 0.0;
    for (const LineSeries& series : chart.series)
        widest = std::max(widest, text_width(series.label, text));
    return widest + text * 3.6;
}

PictureBox surface_line_plot(const SweepLineChart& chart, int width, int height, double text) {
    const PictureBox page = surface_page(width, height, text);
    const double left = page.left + text * 6.0, top = page.top + text * 3.0;
    const double right =
        page.right() - (has_legend(chart) ? legend_width(chart, text) + text * 2.0 : text * 3.0);
    return {left, top, right - left, page.bottom() - text * 4.2 - top};
}

void draw_title(Surface& surface, int width, const std::string& title, double text) {
    text_at(surface, width / 2.0, text * 1.3, title, Align::Centre, text);
}

// The x name under the plot; the y name above its top-left corner.
void draw_axis_names(Surface& surface, const PictureBox& plot, const std::string& x_name,
                     const std::string& y_name, double text) {
    text_at(surface, plot.left + plot.width / 2, plot.bottom() + text * 2.7, x_name, Align::Centre,
            text);
    text_at(surface, plot.left - text * 5.5, plot.top - text * 1.0, y_name, Align::Left, text);
}

void draw_cells(Surface& surface, const SweepHeatMap& map, const HeatMapLayout& layout,
                const PictureBox& plot, double text) {
    const std::size_t columns = map.x_values.size(), rows = map.y_values.size();
    const double width = plot.width / columns, height = plot.height / rows;
    for (std::size_t row = 0; row < rows; ++row) {
        // The first row at the bottom, as on a plot's axis.
        const int top = pixel(plot.bottom() - (row + 1) * height);
        const int bottom = std::max(top, pixel(plot.bottom() - row * height) - 1);
        for (std::size_t column = 0; column < columns; ++column) {
            const HeatCell& shown = layout.cells[row * columns + column];
            const int left = pixel(plot.left + column * width);
            const int right = std::max(left, pixel(plot.left + (column + 1) * width) - 1);
            surface.fill_rectangle(
                left, top, right, bottom,
                shown.missing ? surface_colour(MISSING_COLOUR) : heat_colour(shown.shade));
        }
    }
    for (std::size_t row = 0; row < rows; ++row) {
        for (std::size_t column = 0; column < columns; ++column) {
            const std::string& shown = layout.cells[row * columns + column].text;
            if (shown.empty() || text_width(shown, text) > width * 0.9 || text > height * 0.9)
                continue;
            text_at(surface, plot.left + (column + 0.5) * width,
                    plot.bottom() - (row + 0.5) * height, shown, Align::Centre, text);
        }
    }
    outline(surface, plot);
}

void draw_heat_ticks(Surface& surface, const SweepHeatMap& map, const HeatMapLayout& layout,
                     const PictureBox& plot, double text) {
    const double width = plot.width / map.x_values.size();
    const double height = plot.height / map.y_values.size();
    for (const GridLabel& label : layout.x_labels) {
        const double centre = plot.left + (label.index + 0.5) * width;
        line(surface, centre, plot.bottom(), centre, plot.bottom() + text * 0.4);
        text_at(surface, centre, plot.bottom() + text * 1.0, label.text, Align::Centre, text);
    }
    for (const GridLabel& label : layout.y_labels) {
        const double centre = plot.bottom() - (label.index + 0.5) * height;
        line(surface, plot.left - text * 0.4, centre, plot.left, centre);
        text_at(surface, plot.left - text * 0.5, centre, label.text, Align::Right, text);
    }
}

void draw_colour_bar(Surface& surface, const PictureBox& bar, const std::string& metric,
                     const HeatMapLayout& layout, double text, int width) {
    const int left = pixel(bar.left), right = pixel(bar.right());
    const int top = pixel(bar.top), bottom = pixel(bar.bottom());
    for (int y = top; y <= bottom; ++y) {
        const double shade =
            layout.single_value ? 0.5 : (bottom - y) / std::max(1.0, double(bottom - top));
        surface.fill_rectangle(left, y, right, y, heat_colour(shade));
    }
    outline(surface, bar);
    for (const ScaleLabel& label : layout.scale_labels) {
        const double y = bar.bottom() - label.position * bar.height;
        line(surface, bar.right(), y, bar.right() + text * 0.4, y);
        text_at(surface, bar.right() + text * 0.6, y, label.text, Align::Left, text);
    }
    text_at(surface, width - text * 0.5, bar.top - text * 1.0, metric, Align::Right, text);
}

void draw_line_grid(Surface& surface, const LineRange& range, const PictureBox& plot, double text) {
    const auto x_at = [&](double x) {
        return plot.left + (x - range.x_low) / (range.x_high - range.x_low) * plot.width;
    };
    const auto y_at = [&](double y) {
        return plot.bottom() - (y - range.y_low) / (range.y_high - range.y_low) * plot.height;
    };
    for (double x : ticks_between(range.x_low, range.x_high, 8)) {
        {
            const SelectedPen grid(surface, surface_colour(GRID_COLOUR));
            line(surface, x_at(x), plot.bottom(), x_at(x), plot.top);
        }
        text_at(surface, x_at(x), plot.bottom() + text * 1.0, axis_text(x), Align::Centre, text);
    }
    for (double y : ticks_between(range.y_low, range.y_high, 6)) {
        {
            const SelectedPen grid(surface, surface_colour(GRID_COLOUR));
            line(surface, plot.left, y_at(y), plot.right(), y_at(y));
        }
        text_at(surface, plot.left - text * 0.5, y_at(y), axis_text(y), Align::Right, text);
    }
    outline(surface, plot);
}

void draw_series(Surface& surface, const LineSeries& series, const LineRange& range,
                 const PictureBox& plot, std::uint32_t colour, double text) {
    const auto at_x = [&](double x) {
        return pixel(plot.left + (x - range.x_low) / (range.x_high - range.x_low) * plot.width);
    };
    const auto at_y = [&](double y) {
        return pixel(plot.bottom() -
                     (y - range.y_low) / (range.y_high - range.y_low) * plot.height);
    };
    std::vector<std::size_t> order(series.x.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return series.x[a] < series.x[b]; });
    const SelectedPen pen(surface, surface_colour(colour));
    bool drawing = false;
    for (std::size_t k : order) {
        if (!std::isfinite(series.y[k])) {
            drawing = false;
            continue;
        }
        const int x = at_x(series.x[k]), y = at_y(series.y[k]);
        drawing ? surface.line_to(x, y) : surface.move_to(x, y);
        drawing = true;
    }
    if (order.size() > 60) return;
    const int radius = std::max(1, pixel(text * 0.2));
    for (std::size_t k : order) {
        if (!std::isfinite(series.y[k])) continue;
        const int x = at_x(series.x[k]), y = at_y(series.y[k]);
        surface.fill_rectangle(x - radius, y - radius, x + radius, y + radius,
                               surface_colour(colour));
    }
}

void draw_legend(Surface& surface, const SweepLineChart& chart, const PictureBox& plot,
                 double text) {
    const double row = text * 1.5;
    const PictureBox box{plot.right() + text * 1.2, plot.top, legend_width(chart, text),
                         row * chart.series.size() + text * 0.4};
    {
        const SelectedPen grid(surface, surface_colour(GRID_COLOUR));
        outline(surface, box);
    }
    for (std::size_t k = 0; k < chart.series.size(); ++k) {
        const double y = box.top + text * 0.2 + row * (k + 0.5);
        {
            const SelectedPen pen(surface,
                                  surface_colour(SERIES_COLOURS[k % std::size(SERIES_COLOURS)]));
            for (double offset : {-0.5, 0.5})
                line(surface, box.left + text * 0.5, y + offset, box.left + text * 2.5, y + offset);
        }
        text_at(surface, box.left + text * 3.0, y, chart.series[k].label, Align::Left, text);
    }
}

bool heat_map_filled(const SweepHeatMap& map) {
    return !map.x_values.empty() && !map.y_values.empty() &&
           map.cells.size() == map.x_values.size() * map.y_values.size();
}

}  // namespace

Colour heat_colour(double shade) {
    const double position = std::clamp(std::isfinite(shade) ? shade : 0.0, 0.0, 1.0) *
                            static_cast<double>(std::size(VIRIDIS) - 1);
    const std::size_t low =
        std::min<std::size_t>(static_cast<std::size_t>(position), std::size(VIRIDIS) - 2);
    const double f = position - static_cast<double>(low);
    Colour colour = 0;
    for (int shift : {16, 8, 0}) {
        const double a = (VIRIDIS[low] >> shift) & 0xff, b = (VIRIDIS[low + 1] >> shift) & 0xff;
        // Red goes to the low byte of a Surface's colour.
        colour |= static_cast<Colour>(std::lround(a + (b - a) * f)) << (16 - shift);
    }
    return colour;
}

double sweep_text_pixels(double width, double height) {
    return std::clamp(std::min(width, height) / 40.0, 9.0, 28.0);
}

HeatFrame heat_map_frame(const PictureBox& page, double text) {
    const double left = page.left + text * 6.0, top = page.top + text * 3.0;
    const double right = page.right() - text * 9.0, bottom = page.bottom() - text * 4.2;
    return {{left, top, right - left, bottom - top},
            {right + text * 1.5, top, text * 1.4, bottom - top}};
}

LineRange line_chart_range(const SweepLineChart& chart) {
    std::vector<double> xs, ys;
    for (const LineSeries& series : chart.series) {
        xs.insert(xs.end(), series.x.begin(), series.x.end());
        ys.insert(ys.end(), series.y.begin(), series.y.end());
    }
    auto [x_low, x_high] = finite_range(xs);
    auto [y_low, y_high] = finite_range(ys);
    if (x_high <= x_low) x_low -= 0.5, x_high += 0.5;
    y_low = std::min(0.0, y_low);
    y_high = y_high > y_low ? y_high + (y_high - y_low) * 0.05 : y_low + 1.0;
    return {x_low, x_high, y_low, y_high};
}

bool has_legend(const SweepLineChart& chart) {
    return chart.series.size() > 1 || !chart.series.front().label.empty();
}

void draw_sweep_heat_map(Surface& surface, const SweepHeatMap& map, int width, int height) {
    if (!heat_map_filled(map)) return;
    surface.select_device_default_font();
    const double text = surface.reading_cell_height();
    const HeatFrame frame = surface_heat_frame(width, height, text);
    if (frame.plot.width < 1 || frame.plot.height < 1) return;
    const HeatMapLayout layout = lay_out_heat_map(
        map, frame.plot.width / map.x_values.size(), frame.plot.height / map.y_values.size(), text,
        [&](const std::string& label) { return text_width(label, text); });
    draw_cells(surface, map, layout, frame.plot, text);
    draw_title(surface, width, map.title, text);
    draw_heat_ticks(surface, map, layout, frame.plot, text);
    draw_axis_names(surface, frame.plot, map.x_name, map.y_name, text);
    draw_colour_bar(surface, frame.bar, map.metric, layout, text, width);
}

void draw_sweep_line_chart(Surface& surface, const SweepLineChart& chart, int width, int height) {
    if (chart.series.empty()) return;
    surface.select_device_default_font();
    const double text = surface.reading_cell_height();
    const PictureBox plot = surface_line_plot(chart, width, height, text);
    if (plot.width < 1 || plot.height < 1) return;
    const LineRange range = line_chart_range(chart);
    draw_title(surface, width, chart.title, text);
    draw_line_grid(surface, range, plot, text);
    for (std::size_t k = 0; k < chart.series.size(); ++k) {
        draw_series(surface, chart.series[k], range, plot,
                    SERIES_COLOURS[k % std::size(SERIES_COLOURS)], text);
    }
    draw_axis_names(surface, plot, chart.x_name, chart.y_name, text);
    if (has_legend(chart)) draw_legend(surface, chart, plot, text);
}

PictureBox surface_heat_map_plot(int width, int height, double text) {
    return surface_heat_frame(width, height, text).plot;
}

bool heat_map_cell_at(const SweepHeatMap& map, int width, int height, double text, double x,
                      double y, std::size_t& row, std::size_t& column) {
    if (!heat_map_filled(map)) return false;
    const PictureBox plot = surface_heat_map_plot(width, height, text);
    const double across = (x - plot.left) / plot.width, up = (plot.bottom() - y) / plot.height;
    if (!(across >= 0.0 && across < 1.0 && up >= 0.0 && up < 1.0)) return false;
    column = std::min(map.x_values.size() - 1,
                      static_cast<std::size_t>(across * static_cast<double>(map.x_values.size())));
    row = std::min(map.y_values.size() - 1,
                   static_cast<std::size_t>(up * static_cast<double>(map.y_values.size())));
    return true;
}

bool line_chart_point_at(const SweepLineChart& chart, int width, int height, double text, double x,
                         double y, std::size_t& index) {
    if (chart.series.empty() || chart.series.front().x.empty()) return false;
    const PictureBox plot = surface_line_plot(chart, width, height, text);
    // Half a text's height around the plot still reads its edge's points.
    const double near = text / 2;
    if (!(x >= plot.left - near && x <= plot.right() + near && y >= plot.top - near &&
          y <= plot.bottom() + near))
        return false;
    const LineRange range = line_chart_range(chart);
    const double at = range.x_low + (x - plot.left) / plot.width * (range.x_high - range.x_low);
    const std::vector<double>& xs = chart.series.front().x;
    index = 0;
    for (std::size_t k = 1; k < xs.size(); ++k) {
        if (std::fabs(xs[k] - at) < std::fabs(xs[index] - at)) index = k;
    }
    return true;
}

double line_chart_value_at(const SweepLineChart& chart, int width, int height, double text,
                           double y) {
    const PictureBox plot = surface_line_plot(chart, width, height, text);
    const LineRange range = line_chart_range(chart);
    return range.y_low + (plot.bottom() - y) / plot.height * (range.y_high - range.y_low);
}

}  // namespace morbilex
