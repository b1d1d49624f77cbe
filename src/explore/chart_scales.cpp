#include "explore/chart_scales.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "text/format.h"

namespace morbilex {
namespace {

std::string formatted(const char* format, double value) {
    char text[96];
    format_text(text, sizeof text, format, {value});
    return text;
}

AxisLabel persons_label(double value) {
    return {value, formatted(value >= 1.0 && value < 1e9 ? "%.0f" : "%g", value)};
}

// The share of transmission a plan leaves at step j of a run of records.mode.
double transmission_left(const Records& records, const Explorer& explorer, int j) {
    if (records.mode == MODE_INTERMITTENT)
        return explorer.reduced_at(j) ? 1.0 - records.intermittent.Reduction : 1.0;
    if (records.mode != MODE_ONE_TIME) return 1.0;
    const OneTimePlan& p = records.one_time;
    const double t = j * records.model.dt;
    const double windows[3][3] = {{p.Redct1, p.t_srt1, p.t_stp1},
                                  {p.Redct2, p.t_srt2, p.t_stp2},
                                  {p.Redct3, p.t_srt3, p.t_stp3}};
    // The first window in force wins, as in the run.
    for (const auto& window : windows) {
        if (window[1] <= t && t < window[2]) return 1.0 - window[0];
    }
    return 1.0;
}

}  // namespace

double PersonsAxis::place(double value) const {
    if (!log) return value;
    if (!(value > 0.0)) return std::numeric_limits<double>::quiet_NaN();
    return min + std::log10(value / min) / std::log10(max / min) * (max - min);
}

PersonsAxis persons_axis(const AxisScale& scale, const ViewOptions& view) {
    PersonsAxis axis;
    axis.min = scale.ymin;
    axis.max = scale.ymax;
    axis.log = view.log_scale && scale.ymin > 0.0 && scale.ymax > scale.ymin &&
               std::isfinite(std::log10(scale.ymax / scale.ymin)) &&
               std::log10(scale.ymax / scale.ymin) > 0.0;
    return axis;
}

std::vector<AxisLabel> persons_labels(const PersonsAxis& axis) {
    if (!axis.log) return axis_labels(axis.min, axis.max);
    std::vector<AxisLabel> labels{persons_label(axis.min)};
    const double decades = std::log10(axis.max / axis.min);
    const auto factors =
        decades <= 2.0 ? std::vector<double>{1.0, 2.0, 5.0} : std::vector<double>{1.0};
    // Neither end's label and a value within a tenth of a decade of it.
    const double margin = std::log10(axis.max / axis.min) / 10.0 * (decades <= 2.0 ? 0.5 : 1.0);
    for (int power = static_cast<int>(std::floor(std::log10(axis.min)));
         power <= static_cast<int>(std::ceil(std::log10(axis.max))); ++power) {
        for (double factor : factors) {
            const double value = factor * std::pow(10.0, power);
            if (std::log10(value / axis.min) < margin || std::log10(axis.max / value) < margin)
                continue;
            labels.push_back(persons_label(value));
        }
    }
    labels.push_back(persons_label(axis.max));
    return labels;
}

std::vector<double> effective_reproduction(const Records& records, const Explorer& explorer) {
    std::vector<double> r;
    if (records.mode < 0) return r;
    const int rows = shown_rows(records);
    r.reserve(static_cast<std::size_t>(std::max(rows, 0)));
    for (int j = 0; j < rows; ++j) {
        const double S = records.results[static_cast<std::size_t>(j)][0];
        r.push_back(records.model.R_0 * (S / POPULATION_BASE) *
                    transmission_left(records, explorer, j));
    }
    return r;
}

int step_r_falls_to_one(const std::vector<double>& r) {
    for (std::size_t j = 1; j < r.size(); ++j) {
        if (r[j - 1] > 1.0 && r[j] <= 1.0) return static_cast<int>(j);
    }
    return -1;
}

double effective_r_axis_top(const std::vector<double>& r) {
    double highest = 1.0;
    for (double value : r) {
        if (std::isfinite(value)) highest = std::max(highest, value);
    }
    return round_number_above(highest);
}

std::string effective_r_text(const std::vector<double>& r, int step) {
    if (step < 0 || static_cast<std::size_t>(step) >= r.size()) return {};
    return formatted("R_t %.2f", r[static_cast<std::size_t>(step)]);
}

std::string effective_r_crossing_text(const std::vector<double>& r, double dt) {
    if (r.empty()) return {};
    const int step = step_r_falls_to_one(r);
    if (step >= 0) return formatted("R_t falls below 1 on day %.2f", step * dt);
    return r.front() > 1.0 ? "R_t stays above 1" : "R_t is 1 or below from the start";
}

SeriesColours view_colours(const ViewOptions& view, const SeriesColours& colours) {
    if (!view.colour_blind) return colours;
    // 0x00BBGGRR: blue, orange, vermilion, bluish green.
    return SeriesColours{{0xB27200, 0x009FE6, 0x005ED5, 0x739E00}};
}

Colour effective_r_colour(const ViewOptions& view) {
    return view.colour_blind ? 0xA779CC : 0x800080;  // reddish purple, or purple
}

bool dashed_curve(const ViewOptions& view, int k) {
    return view.colour_blind && (k == 1 || k == 3);
}

}  // namespace morbilex
