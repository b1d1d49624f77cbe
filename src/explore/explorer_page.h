// How the explorer view fills a printed page: the chart as large as the page
// allows, its header opened by a line naming the scenario, and the figures
// beside or under it.
#pragma once

#include <string>

namespace morbilex {

// A rectangle of the page in device units, y growing downward.
struct PageBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct ExplorerPageLayout {
    // The line the chart's header starts with: the scenario file's name, or
    // "Unsaved scenario".
    std::string title;
    PageBox chart;  // from the page's top-left corner
    PageBox figures;
    bool figures_beside = true;  // else under the chart
    int figure_columns = 1;      // under the chart, as many as the width holds
};

// The characters a column of figures is made for.
inline constexpr int FIGURE_COLUMN_CHARS = 46;

// The page is turned across (landscape) when the chart it copies is wider
// than tall, as the window shows it.
bool explorer_page_landscape(int chart_width, int chart_height);

// The page of page_width by page_height device units, for text of text_height
// device units a row and figures of figure_rows rows. Beside the chart the
// figures take a column of FIGURE_COLUMN_CHARS characters (a quarter to two
// fifths of the width), where that leaves the chart a box wider than tall;
// else they stand under it in as many such columns as the width holds (at
// most three), in their rows but at most two fifths of the height, and the
// chart's box is no taller than three quarters of its width. A gap of a row
// between the two.
ExplorerPageLayout explorer_page_layout(int page_width, int page_height, int text_height,
                                        int figure_rows, const std::string& scenario_file);

}  // namespace morbilex
