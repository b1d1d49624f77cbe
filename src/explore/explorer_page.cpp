#include "explore/explorer_page.h"

#include <algorithm>

#include "shell/scenario_files.h"

namespace morbilex {

bool explorer_page_landscape(int chart_width, int chart_height) {
    return chart_width > chart_height;
}

ExplorerPageLayout explorer_page_layout(int page_width, int page_height, int text_height,
                                        int figure_rows, const std::string& scenario_file) {
    ExplorerPageLayout layout;
    const std::string name = scenario_file_name(scenario_file);
    layout.title = name.empty() ? "Unsaved scenario" : "Scenario: " + name;
    const long long width = std::max(page_width, 0);
    const long long height = std::max(page_height, 0);
    const long long row = std::max(text_height, 1);
    // The default font's characters average a little over half its height.
    const long long column = FIGURE_COLUMN_CHARS * row * 11 / 20;
    const long long beside = std::clamp(column, width / 4, width * 2 / 5);
    // Beside the chart where that leaves it a box wider than tall, which its
    // frame fills; else under it, in columns, the chart's box no taller than
    // three quarters of its width (a frame is at most as tall as wide).
    layout.figures_beside = width - beside - row > height;
    if (layout.figures_beside) {
        const int chart_right = static_cast<int>(std::max(width - beside - row, 0LL));
        layout.chart = {0, 0, chart_right, static_cast<int>(height)};
        layout.figures = {static_cast<int>(std::min(chart_right + row, width)), 0,
                          static_cast<int>(width), static_cast<int>(height)};
    } else {
        layout.figure_columns = static_cast<int>(std::clamp(width / column, 1LL, 3LL));
        const long long column_rows =
            (std::max(figure_rows, 0) + layout.figure_columns - 1) / layout.figure_columns;
        const long long figures = std::min((column_rows + 2) * row, height * 2 / 5);
        const int chart_bottom =
            static_cast<int>(std::clamp(height - figures - row, 0LL, width * 3 / 4));
        layout.chart = {0, 0, static_cast<int>(width), chart_bottom};
        layout.figures = {0, static_cast<int>(std::min(chart_bottom + row, height)),
                          static_cast<int>(width), static_cast<int>(height)};
    }
    return layout;
}

}  // namespace morbilex
