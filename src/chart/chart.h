// The chart of the last run and the title screen before it.
#pragma once

#include "chart/surface.h"
#include "model/records.h"

namespace morbilex {

// The compartment colours, filled once at start by init_series_colours.
struct SeriesColours {
    Colour colours[COMPARTMENT_COUNT] = {};
};
void init_series_colours(SeriesColours& colours);

// The integer geometry of one chart drawing, in logical units (x to the right,
// y upward). drawable is false when the axis ranges give no geometry that fits
// 32-bit coordinates (equal or non-finite limits, ranges too large or too
// small); the other fields then hold the default scale's geometry, which the
// chart uses to place its header and a notice.
struct ChartGeometry {
    int plot_height = 0;   // H
    int plot_width = 0;    // W = 2 H
    int frame_left = 0;    // xL
    int frame_right = 0;   // xR
    int frame_bottom = 0;  // yB
    int frame_top = 0;     // yT
    int line_step = 0;     // D, set by select_chart_font
    bool drawable = false;
};

// The geometry of the scale's ranges; writes x_per_day into the scale when the
// geometry is drawable and leaves it alone otherwise.
ChartGeometry compute_chart_geometry(AxisScale& scale);

// h(f): trunc(f x H), the lengths proportional to the plot height.
int plot_length(const ChartGeometry& geometry, double factor);

// Selects the device default font and sets the isotropic mapping of the window
// extent and origin (reals, truncated here) onto the device rectangle, anchored
// at the surface's top-left corner. Returns false, having touched nothing, when
// no mapping can be formed: a device rectangle of zero width or height, a zero
// window extent, or reals that do not fit 32-bit integers.
bool set_chart_mapping(Surface& surface, int left, int top, int right, int bottom, double extent_x,
                       double extent_y, double origin_x, double origin_y);

// The chart font of one drawing and the font it replaced.
struct ChartFont {
    SurfaceObject font = 0;
    SurfaceObject kept_font = 0;
};
inline constexpr int CHART_FONT_HEIGHT = 400;
// Creates and selects the chart font (cell height in logical units) and sets
// geometry.line_step.
ChartFont select_chart_font(Surface& surface, ChartGeometry& geometry,
                            int cell_height = CHART_FONT_HEIGHT);
void release_chart_font(Surface& surface, const ChartFont& font);

// Frame, zero line, vertical grid and x ticks, horizontal grid and y ticks, axis labels.
void draw_chart_axes(Surface& surface, const ChartGeometry& geometry, const AxisScale& scale);
// The same without text: frame, zero line, grid and ticks.
void draw_chart_grid(Surface& surface, const ChartGeometry& geometry, const AxisScale& scale);
// The two header lines: parameters, then the schedule of records.mode.
void draw_chart_header(Surface& surface, const ChartGeometry& geometry, const Records& records);
// The four compartment names with a line in each one's colour.
void draw_legend(Surface& surface, const ChartGeometry& geometry, const SeriesColours& colours);
// The compartment curves from the result table; segments not wholly inside the
// frame are left out.
void draw_curves(Surface& surface, const ChartGeometry& geometry, const Records& records,
                 const SeriesColours& colours);

// Shown in place of frame, legend and curves when the geometry is not drawable.
inline constexpr const char* RANGE_NOTICE =
    "The axis ranges cannot be drawn; change them with Scale.";

// The whole chart for the device rectangle left..bottom.
void draw_chart(Records& records, const SeriesColours& colours, Surface& surface, int left, int top,
                int right, int bottom);

// The three title lines in the surface's current font; the rectangle is not used.
void draw_title_screen(Surface& surface, int left, int top, int right, int bottom);

// The one entry into drawing: the title screen while records.mode < 0, the
// chart otherwise. left..bottom is the device rectangle.
void draw_view(Records& records, const SeriesColours& colours, Surface& surface, int left, int top,
               int right, int bottom);

// The view of a window's client area or a picture, width by height device
// units from the surface's top-left corner; the surface brings its own
// background. Both programs paint their windows with it.
void paint_view(Surface& surface, Records& records, const SeriesColours& colours, int width,
                int height);

}  // namespace morbilex
