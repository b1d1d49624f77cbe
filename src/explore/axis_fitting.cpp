#include "explore/axis_fitting.h"

#include <algorithm>
#include <cmath>

#include "chart/chart.h"
#include "chart/ticks.h"
#include "explore/view_options.h"
#include "text/format.h"

namespace morbilex {
namespace {

// At most about this many labels on an axis.
constexpr int AXIS_LABEL_TICKS = 8;

// The highest finite value and the lowest one above zero of the table's
// rows in the compartments shown.
struct ValueRange {
    double highest = 0.0;
    double lowest_positive = HUGE_VAL;
};
void widen(ValueRange& range, const ResultTable& table, int rows, const ViewOptions& view) {
    for (int j = 0; j < rows; ++j) {
        for (int k = 0; k < COMPARTMENT_COUNT; ++k) {
            const double value = table[j][k];
            if (!compartment_shown(view, k) || !std::isfinite(value)) continue;
            if (value > range.highest) range.highest = value;
            if (value > 0.0 && value < range.lowest_positive) range.lowest_positive = value;
        }
    }
}

// The decades a log scale spans at most below its top.
constexpr double LOG_SCALE_DECADES = 5.0;

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
    ValueRange range;
    widen(range, records.results, rows, explorer.view);
    if (explorer.view.compare && explorer.has_comparison())
        widen(range, explorer.comparison(), rows, explorer.view);
    // A capacity is a level the curves are read against: it stays in view.
    if (records.capacity.set && std::isfinite(records.capacity.capacity))
        range.highest = std::max(range.highest, records.capacity.capacity);
    AxisScale fitted = records.scale;
    fitted.xmin = 0.0;
    if (duration > 0.0 && std::isfinite(duration)) fitted.xmax = duration;
    fitted.ymin = 0.0;
    fitted.ymax = round_number_above(range.highest);
    if (explorer.view.log_scale) {
        // Whole decades from the lowest value shown to the highest.
        const double top = std::ceil(std::log10(std::max(range.highest, 1e-300)));
        const double bottom = std::isfinite(range.lowest_positive)
                                  ? std::floor(std::log10(range.lowest_positive))
                                  : top - 1;
        fitted.ymax = std::pow(10.0, top);
        fitted.ymin = std::pow(10.0, std::clamp(bottom, top - LOG_SCALE_DECADES, top - 1.0));
    }
    AxisScale probe = fitted;
    if (!compute_chart_geometry(probe).drawable) return false;
    const bool changed = fitted.xmin != records.scale.xmin || fitted.xmax != records.scale.xmax ||
                         fitted.ymin != records.scale.ymin || fitted.ymax != records.scale.ymax;
    records.scale = fitted;
    return changed;
}

}  // namespace morbilex
