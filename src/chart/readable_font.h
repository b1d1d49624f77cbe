// How large the chart font is made on a device: the logical height the chart
// asks for, unless that is too small to be read.
#pragma once

namespace morbilex {

// The device pixel height of the chart font's cell. requested_pixels is the
// height the chart's logical cell height maps to, default_font_pixels the cell
// height of the device's default font, viewport_* the device extent of the
// chart's isotropic mapping.
//
// A cell below half a pixel takes the default font's height, as the platform's
// font mapper does. Any other cell is made at least as high as the smaller of
// the default font and the chart font at the default axis scale on the same
// viewport: so large axis ranges keep readable text, and the default scale
// (and every scale whose text is larger) keeps exactly the requested height.
double readable_chart_font_pixels(double requested_pixels, double default_font_pixels,
                                  double viewport_width, double viewport_height);

}  // namespace morbilex
