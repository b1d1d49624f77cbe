// Pictures of a sweep for reports (PNG, SVG or PDF), never for the windows.
// A metric against one swept field, a line per series, or a heat map of a
// metric over two swept fields, all at the size given.
#pragma once

#include <string>

#include "picture/sweep_picture.h"

namespace morbilex {

// The picture's file as bytes, the type by the extension of path; nothing is
// written. False with a one-line reason.
bool render_sweep_line_chart(const SweepLineChart& chart, const std::string& path, int width,
                             int height, std::string& bytes, std::string& error);
bool render_sweep_heat_map(const SweepHeatMap& map, const std::string& path, int width, int height,
                           std::string& bytes, std::string& error);

}  // namespace morbilex
