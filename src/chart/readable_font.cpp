#include "chart/readable_font.h"

#include <algorithm>
#include <cmath>

#include "chart/chart.h"

namespace morbilex {
namespace {

constexpr double SMALLEST_MAPPED_PIXELS = 0.5;

// The chart font's cell at the default axis scale, in device pixels, when the
// chart is mapped onto a viewport of this extent.
double default_scale_font_pixels(double viewport_width, double viewport_height) {
    AxisScale default_scale;
    const double H = compute_chart_geometry(default_scale).plot_height;
    const double scale =
        std::min(std::fabs(viewport_width) / (2.4 * H), std::fabs(viewport_height) / (1.4 * H));
    return CHART_FONT_HEIGHT * scale;
}

}  // namespace

double readable_chart_font_pixels(double requested_pixels, double default_font_pixels,
                                  double viewport_width, double viewport_height) {
    if (!(requested_pixels >= SMALLEST_MAPPED_PIXELS)) return default_font_pixels;
    const double least =
        std::min(default_font_pixels, default_scale_font_pixels(viewport_width, viewport_height));
    return requested_pixels < least ? least : requested_pixels;
}

}  // namespace morbilex
