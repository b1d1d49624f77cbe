#include "explore/axis_fitting.h"

#include <algorithm>
#include <cmath>

#include "chart/chart.h"
#include "chart/ticks.h"
#include "text/format.h"

namespace morbilex {
namespace {

// At most about this many labels on an axis.
constexpr int AXIS_LABEL_TICKS = 8;

// The highest finite value of the table's rows.
double highest_value(const ResultTable& table, int rows) {
    double highest = 0.0;
    for (int j = 0; j < rows; ++j) {
        for (double value : table[j]) {
            if (std::isfinite(value) && value > highest) highest = value;
        }
    }
    return highest;
}

}  // namespace

std::vector<AxisLabel> axis_labels(double min, double max) {
    std::vector<AxisLabel> labels;
    const double step = round_tick_step(max - min, AXIS_LABEL_TICKS);
    if (!(step > 0.0)) return labels;
    // Whole numbers while they stay short; very large or small values in %g.
    const auto label = [step](double value) {
        char text[32];
        const bool whole = step >= 1.0 && std::fabs(value) < 1e9;
        format_text(text, sizeof text, whole ? "%.0f" : "%g", {value});
        return AxisLabel{value, text};
    };
    labels.push_back(label(min));
    for (double v = std::ceil(min / step) * step; v < max; v += step) {
        if (v - min < 0.5 * step || max - v < 0.5 * step) continue;
        labels.push_back(label(v));
    }
    labels.push_back(label(max));
    return labels;
}

double round_number_above(double value) {
    if (!(value > 0.0) || !std::isfinite(value)) return 1.0;
    double power = std::pow(10.0, std::floor(std::log10(value)));
    for (int k = 0; k < 2; ++k, power *= 10.0) {
        for (double factor : {1.0, 2.0, 2.5, 5.0}) {
            if (factor * power >= value) return factor * power;
        }
    }
    return 10.0 * power;
}

bool fit_axes(Records& records, const Explorer& explorer) {
    if (records.mode < 0) return false;
    const int rows = shown_rows(records);
    const double duration = records.model.n_steps * records.model.dt;
    double highest = highest_value(records.results, rows);
    if (explorer.view.compare && explorer.has_comparison())
        highest = std::max(highest, highest_value(explorer.comparison(), rows));
    AxisScale fitted = records.scale;
    fitted.xmin = 0.0;
    if (duration > 0.0 && std::isfinite(duration)) fitted.xmax = duration;
    fitted.ymin = 0.0;
    fitted.ymax = round_number_above(highest);
    AxisScale probe = fitted;
    if (!compute_chart_geometry(probe).drawable) return false;
    const bool changed = fitted.xmin != records.scale.xmin || fitted.xmax != records.scale.xmax ||
                         fitted.ymin != records.scale.ymin || fitted.ymax != records.scale.ymax;
    records.scale = fitted;
    return changed;
}

}  // namespace morbilex
