// The page rectangle of a printout: 8.2 by 11.6 inches in printer dots.
#pragma once

namespace morbilex {

struct PageRectangle {
    int left, top, right, bottom;  // bottom is negative
};

// From the printer's dots per inch, in integer arithmetic truncating toward
// zero: right = (dpi_x * 82) / 10, bottom = (-dpi_y * 116) / 10.
PageRectangle page_rectangle(int dots_per_inch_x, int dots_per_inch_y);

}  // namespace morbilex
