#include "explore/explore_layout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "explore/axis_fitting.h"

namespace morbilex {

namespace {

// The room text needs around the frame, in device units.
struct TextMargins {
    double left = 0, right = 0, top = 0, bottom = 0;
};

std::size_t widest(const std::vector<AxisLabel>& labels) {
    std::size_t chars = 0;
    for (const AxisLabel& label : labels)
        chars = std::max(chars, label.text.size());
    return chars;
}

// The residual strip's height on the device: its cells, or a twelfth of the
// device's height where that is less, so that the frame keeps its room.
double strip_pixels(double cell, int height) {
    return std::min(RESIDUAL_STRIP_CELLS * cell, height / 12.0);
}

// The row of the x axis's title under its labels, in cells.
constexpr double DAY_ROW_CELLS = 1.2;

TextMargins text_margins(const AxisScale& scale, double cell, const ChartTextExtent& extent,
                         int height) {
    constexpr double LINE = DAY_ROW_CELLS;  // line step per cell
    const double advance = CHAR_WIDTH_PER_CELL * cell;
    const std::vector<AxisLabel> x_labels = axis_labels(scale.xmin, scale.xmax);
    TextMargins margins;
    // y labels, their tick and a gap; half of the last x label.
    const std::size_t y_chars = extent.y_label_chars >= 0
                                    ? static_cast<std::size_t>(extent.y_label_chars)
                                    : widest(axis_labels(scale.ymin, scale.ymax));
    margins.left = static_cast<double>(y_chars) * advance + 0.6 * cell;
    margins.right = right_of_frame_chars(scale, extent.right_axis_chars) * advance + 0.3 * cell;
    // The header lines and the axis title over half of the top y label.
    margins.top = (extent.header_lines + 1) * LINE * cell + 0.8 * cell;
    // The x ticks and labels, and the axis title under them.
    margins.bottom = 2 * LINE * cell + 0.4 * cell;
    if (extent.residual_strip) margins.bottom += strip_pixels(cell, height);
    return margins;
}

// The largest scale (device units per logical unit) at which a plot of
// logical length plot with margins of max(scale * classic_a, text_a) and
// max(scale * classic_b, text_b) fits in room device units.
double fitting_scale(double room, double plot, double classic_a, double text_a, double classic_b,
                     double text_b) {
    return std::min({room / (plot + classic_a + classic_b), (room - text_a) / (plot + classic_b),
                     (room - text_b) / (plot + classic_a), (room - text_a - text_b) / plot});
}

ExplorerMapping mapping_with_text(const AxisScale& scale, int width, int height, double cell_pixels,
                                  const ChartTextExtent& extent) {
    AxisScale copy = scale;
    ExplorerMapping mapping;
    mapping.geometry = compute_chart_geometry(copy);
    mapping.x_per_day = copy.x_per_day;
    const ChartGeometry unfilled = mapping.geometry;
    const ChartGeometry& g = mapping.geometry;
    const double H = g.plot_height;
    // The classic margins: 0.2 H left, right and below, 0.3 H above.
    mapping.extent_x = 2.4 * H;
    mapping.extent_y = 1.5 * H;
    mapping.origin_x = g.frame_left - 0.2 * H;
    mapping.origin_y = g.frame_top + 0.3 * H;
    mapping.valid = true;
    if (!(cell_pixels > 0.0 && cell_pixels < 1e6) || width <= 0 || height <= 0) return mapping;
    TextMargins text = text_margins(g.drawable ? scale : AxisScale{}, cell_pixels, extent, height);
    const double classic = std::min(width / (2.4 * H), height / (1.5 * H));
    // The margins with the legend's column at the right (0: none), or false
    // when the frame would be too small.
    double plot = 2.0 * H;  // the plot's width
    const auto fit = [&](double legend_right) {
        const double right = std::max(text.right, legend_right);
        const double s =
            std::min(fitting_scale(width, plot, 0.2 * H, text.left, 0.2 * H, right),
                     fitting_scale(height, H, 0.3 * H, text.top, 0.2 * H, text.bottom));
        // A device too small for the text keeps the classic margins: the frame
        // never shrinks below a quarter of its classic size.
        if (!(s >= classic / 4)) return false;
        // The legend's lines beside the frame, or beside the x labels under
        // it, on the device.
        const double below = std::max(0.2 * H * s, text.bottom);
        if (legend_right > 0.0 && !(H * s + below >= (LEGEND_LINES + 0.5) * 1.2 * cell_pixels))
            return false;
        const double left = std::max(0.2 * H, text.left / s);
        const double top = std::max(0.3 * H, text.top / s);
        const double extent_x = left + plot + std::max(0.2 * H, right / s);
        const double extent_y = top + H + std::max(0.2 * H, text.bottom / s);
        if (!(extent_x < INT_MAX / 2 && extent_y < INT_MAX / 2)) return false;
        mapping.extent_x = extent_x;
        mapping.extent_y = extent_y;
        mapping.origin_x = g.frame_left - left;
        mapping.origin_y = g.frame_top + top;
        return true;
    };
    // The plot takes the device's aspect: as wide as the width leaves at the
    // scale the height gives (from half to three times the classic width),
    // so that the chart fills its pane.
    const auto fill_the_device = [&](double legend_right) {
        if (!g.drawable) return;
        const double right = std::max(text.right, legend_right);
        const double s = fitting_scale(height, H, 0.3 * H, text.top, 0.2 * H, text.bottom);
        if (!(s > 0.0)) return;
        const double wide =
            std::clamp(width / s - std::max(0.2 * H, text.left / s) - std::max(0.2 * H, right / s),
                       H, 6.0 * H);
        const double x_range = scale.xmax - scale.xmin;
        const double left = wide * scale.xmin / x_range;
        const double frame_right = wide * scale.xmax / x_range;
        constexpr double EDGE_LIMIT = 1 << 29;
        if (!(std::fabs(left) <= EDGE_LIMIT && std::fabs(frame_right) <= EDGE_LIMIT)) return;
        const ExplorerMapping kept = mapping;
        plot = wide;
        mapping.geometry.plot_width = static_cast<int>(wide);
        mapping.geometry.frame_left = static_cast<int>(left);
        mapping.geometry.frame_right = static_cast<int>(frame_right);
        mapping.x_per_day = wide / x_range;
        if (fit(legend_right)) return;
        mapping = kept;
        plot = 2.0 * H;
    };
    for (const LegendPlace place : {LegendPlace::BesideFull, LegendPlace::BesideShort}) {
        // The column's own width and a cell more for the rounding of logical
        // units, right of the last x label's half beyond the frame.
        const bool short_names = place == LegendPlace::BesideShort;
        const double column = (legend_width_cells(short_names) + 1.0) * cell_pixels +
                              right_of_frame_chars(scale, extent.right_axis_chars) *
                                  CHAR_WIDTH_PER_CELL * cell_pixels;
        if (column * 3 > width || !fit(column)) continue;
        mapping.legend = place;
        fill_the_device(column);
        return mapping;
    }
    // The legend over the frame: "day" left of the first x label, under the
    // y labels, where they leave it room (with a gap and a character to
    // spare), gives the frame the row of its own it had.
    const std::vector<AxisLabel> x_labels = axis_labels(scale.xmin, scale.xmax);
    const double first_chars =
        x_labels.empty() ? 0.0 : static_cast<double>(x_labels[0].text.size());
    const double day_room = (4.5 + first_chars / 2) * CHAR_WIDTH_PER_CELL * cell_pixels;
    if (!fit(0.0)) return mapping;
    fill_the_device(0.0);
    // Only where the frame is too low for the legend's column and a row at
    // its foot.
    const double frame_height = H * std::min(width / mapping.extent_x, height / mapping.extent_y);
    if (!g.drawable || text.left < day_room ||
        frame_height >= (LEGEND_LINES + 1.5) * DAY_ROW_CELLS * cell_pixels)
        return mapping;
    const ExplorerMapping own_row = mapping;
    text.bottom -= DAY_ROW_CELLS * cell_pixels;
    plot = 2.0 * H;
    mapping.geometry = unfilled;
    mapping.x_per_day = copy.x_per_day;
    if (!fit(0.0)) return own_row;
    mapping.day_beside_labels = true;
    fill_the_device(0.0);
    return mapping;
}

}  // namespace

ExplorerMapping explorer_mapping(const AxisScale& scale, int width, int height, double cell_pixels,
                                 const ChartTextExtent& extent) {
    ExplorerMapping mapping = mapping_with_text(scale, width, height, cell_pixels, extent);
    if (!extent.residual_strip || !mapping.geometry.drawable || !(cell_pixels > 0.0))
        return mapping;
    // A chart too small for the legend beside it has no room for the strip.
    if (mapping.legend == LegendPlace::OverFrame) {
        ChartTextExtent without = extent;
        without.residual_strip = false;
        return mapping_with_text(scale, width, height, cell_pixels, without);
    }
    // Its cells at the device scale set_chart_mapping forms (truncated
    // extents), rounded down to stay in the room kept for it, and at most
    // the classic margin under the frame where the text got no room.
    const double s =
        std::min(width / std::trunc(mapping.extent_x), height / std::trunc(mapping.extent_y));
    if (!(s > 0.0)) return mapping;
    const double bottom = mapping.geometry.frame_bottom - mapping.origin_y + mapping.extent_y;
    const double strip = std::min(std::floor(strip_pixels(cell_pixels, height) / s), bottom / 2);
    mapping.strip_height = strip >= 1.0 ? static_cast<int>(strip) : 0;
    return mapping;
}

std::size_t last_x_label_chars(const AxisScale& scale) {
    const std::vector<AxisLabel> labels = axis_labels(scale.xmin, scale.xmax);
    return labels.empty() ? 0 : labels.back().text.size();
}

double right_of_frame_chars(const AxisScale& scale, int right_axis_chars) {
    const double half_label = static_cast<double>(last_x_label_chars(scale)) / 2;
    // The tick and a gap take about two characters.
    return right_axis_chars > 0 ? std::max(half_label, right_axis_chars + 2.0) : half_label;
}

const char* legend_name(int line, bool short_names) {
    static const char* const full_names[LEGEND_LINES] = {
        COMPARTMENT_NAMES[0], COMPARTMENT_NAMES[1], COMPARTMENT_NAMES[2], COMPARTMENT_NAMES[3],
        "No intervention",    "Reduction on",       "R_t (right)"};
    static const char* const short_names_[LEGEND_LINES] = {"S", "E", "I", "R", "none", "on", "R_t"};
    if (line < 0 || line >= LEGEND_LINES) return "";
    return short_names ? short_names_[line] : full_names[line];
}

double legend_width_cells(bool short_names) {
    std::size_t longest = 0;
    for (int line = 0; line < LEGEND_LINES; ++line)
        longest = std::max(longest, std::strlen(legend_name(line, short_names)));
    return 3 * LEGEND_GAP_CELLS + LEGEND_LINE_CELLS +
           static_cast<double>(longest) * CHAR_WIDTH_PER_CELL;
}

int explorer_chart_width(int width, bool with_figures) {
    return with_figures ? width - width * 2 / 5 : width;
}

}  // namespace morbilex
