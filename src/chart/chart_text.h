// Text of the chart: formatted into one fixed buffer and drawn at a point.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

#include "chart/surface.h"
#include "text/format.h"

namespace morbilex {

inline constexpr std::size_t CHART_TEXT_CAPACITY = 256;

// Formats the text into a 256-character buffer and draws it with its cell's
// top-left corner at (x, y). A text longer than the buffer holds is cut and
// ends in "..." so that no cut number passes for a whole one.
void draw_formatted_text(Surface& surface, int x, int y, std::string_view format,
                         std::initializer_list<FormatArgument> arguments = {});

}  // namespace morbilex
