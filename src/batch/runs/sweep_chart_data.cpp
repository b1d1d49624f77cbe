// What a sweep's chart shows: each scenario's metric from its finished row, title, axes.
#include "batch/runs/sweep_chart_data.h"

#include <cmath>

#include "batch/runs/sweep_checks.h"
#include "text/format.h"

namespace morbilex::batch {
namespace {

const char* const MODE_NAMES[] = {"no intervention", "one-time", "intermittent"};

std::string chart_title(const AnalysisOptions& options, const BatchRequest& request) {
    std::string title = options.metric + " by ";
    for (const SweepAxis& axis : options.grid.axes) {
        if (!axis.is_mode) title += (title.back() == ' ' ? "" : " and ") + axis.name;
    }
    if (!swept(options.grid, "mode")) {
        title += std::string(", ") + MODE_NAMES[request.mode];
    }
    if (options.has_off_ratio) {
        title += ", Off_threshold = ";
        append_shortest(title, options.off_ratio);
        title += " x On_threshold";
    }
    return title;
}

// The metric's name with its unit.
std::string metric_label(const std::string& metric) {
    switch (SUMMARY_COLUMNS[summary_column_index(metric)].kind) {
        case ValueKind::Persons:
            return metric + " (persons per 10,000)";
        case ValueKind::Days:
            return metric + " (days)";
        default:
            return metric;
    }
}

std::vector<double> axis_values(const SweepAxis& axis) {
    std::vector<double> values(axis.count);
    for (long long k = 0; k < axis.count; ++k)
        values[k] = axis.value(k);
    return values;
}

// A line per mode when mode is swept too, else one line.
std::vector<ChartLine> chart_lines(const SweepGrid& grid, const std::vector<double>& metric) {
    const bool mode_first = grid.axes[0].is_mode;
    const std::size_t field_axis = grid.axes.size() == 2 && mode_first ? 1 : 0;
    const SweepAxis& field = grid.axes[field_axis];
    const long long series_count = grid.axes.size() == 2 ? grid.axes[1 - field_axis].count : 1;
    std::vector<ChartLine> lines;
    std::vector<long long> indices(grid.axes.size());
    for (long long s = 0; s < series_count; ++s) {
        ChartLine line;
        if (series_count > 1 || grid.axes.size() == 2) {
            const int mode = static_cast<int>(grid.axes[1 - field_axis].value(s));
            line.label = std::to_string(mode) + " " + MODE_NAMES[mode];
        }
        for (long long run_id = 1; run_id <= grid.size(); ++run_id) {
            grid.indices_of(run_id, indices);
            if (grid.axes.size() == 2 && indices[1 - field_axis] != s) continue;
            line.x.push_back(field.value(indices[field_axis]));
            line.y.push_back(metric[run_id - 1]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

SweepChartData::SweepChartData(const AnalysisOptions& options, const BatchRequest& request)
    : options_(options),
      request_(request),
      column_(summary_column_index(options.metric)),
      values_(options.grid.size(), 0.0) {}

void SweepChartData::take(const FinishedScenario& scenario) {
    // An overflowed run's figures stop where it did: its chart value is missing.
    values_[scenario.run_id - 1] =
        scenario.finite ? scenario.row[column_].as_number() : std::nan("");
}

SweepChartContents SweepChartData::contents() const {
    const SweepGrid& grid = options_.grid;
    SweepChartContents contents;
    contents.metric_label = metric_label(options_.metric);
    contents.title = chart_title(options_, request_);
    contents.heat_map = swept_field_count(grid) == 2;
    if (contents.heat_map) {
        contents.x_name = grid.axes[1].name;
        contents.y_name = grid.axes[0].name;
        contents.x_values = axis_values(grid.axes[1]);
        contents.y_values = axis_values(grid.axes[0]);
        contents.cells = values_;
    } else {
        contents.x_name = grid.axes[grid.axes.size() == 2 && grid.axes[0].is_mode ? 1 : 0].name;
        contents.y_name = contents.metric_label;
        contents.lines = chart_lines(grid, values_);
    }
    return contents;
}

}  // namespace morbilex::batch
