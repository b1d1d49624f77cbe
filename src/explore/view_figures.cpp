#include "explore/view_figures.h"

#include <algorithm>

#include "explore/chart_scales.h"
#include "text/format.h"

namespace morbilex {

FigureLine effective_r_figure_line(const std::vector<double>& r, double dt) {
    FigureLine line{"effective_r_at_most_one_day", "R_t at or below 1 from day", {}, {}, {}};
    const int step = step_r_falls_to_one(r);
    if (step < 0 && !r.empty() && r.front() > 1.0) {
        line.value = "never";
        return line;
    }
    char text[64];
    format_text(text, sizeof text, "%.2f days", {std::max(step, 0) * dt});
    line.value = text;
    return line;
}

std::vector<FigureLine> view_figure_lines(const Records& records, const Explorer& explorer) {
    std::vector<FigureLine> lines = figure_lines(explorer.figures());
    if (lines.empty() || !explorer.view.effective_r) return lines;
    const std::vector<double> r = effective_reproduction(records, explorer);
    if (!r.empty()) lines.push_back(effective_r_figure_line(r, records.model.dt));
    return lines;
}

}  // namespace morbilex
