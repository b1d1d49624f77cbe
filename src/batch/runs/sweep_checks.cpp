// A sweep's options checked against each other, and its scenarios before it starts.
#include "batch/runs/sweep_checks.h"

#include <algorithm>
#include <vector>

#include "model/records.h"
#include "shell/dialogs.h"

namespace morbilex::batch {
namespace {

bool given_as_base(const BatchRequest& request, std::string_view name) {
    return std::any_of(request.typed.begin(), request.typed.end(), [&](const TypedField& typed) {
        return !typed.from_scenario_file && name == typed.field->name;
    });
}

bool in_table(const ScenarioTable& table, std::string_view name) {
    return std::any_of(table.columns.begin(), table.columns.end(),
                       [&](const ScenarioColumn& column) { return column.name == name; });
}

bool check_chart_request(const AnalysisOptions& options, const BatchRequest& request,
                         std::string& error) {
    const std::string option = "--chart=" + request.chart_path;
    if (request.chart_path.empty()) {
        if (!options.metric_given) return true;
        error = "--metric: it names what --chart shows; give --chart=PATH too";
        return false;
    }
    if (options.grid.has_table()) {
        error = option + ": the scenarios of " + options.grid.table.option +
                " lie on no axis; chart a sweep of --sweep alone";
    } else if (!MORBILEX_BATCH_CHART) {
        error = "--chart: this build has no chart export (the Qt 6 painter library was not built)";
    } else if (options.shard_given) {
        error = option + ": a shard holds part of the sweep; chart the merged sweep instead";
    } else if (options.grid.size() > LARGEST_CHART_SWEEP) {
        error = option + ": a chart takes at most 10^6 scenarios";
    } else {
        const int fields = swept_field_count(options.grid);
        const bool mode_swept = swept(options.grid, "mode");
        if (fields == 1 || (fields == 2 && !mode_swept)) return true;
        error = option +
                ": a chart needs one swept field (a line per mode when mode is swept too) or "
                "two swept fields and one mode (a heat map)";
    }
    return false;
}

}  // namespace

bool swept(const SweepGrid& grid, std::string_view name) {
    return std::any_of(grid.axes.begin(), grid.axes.end(),
                       [&](const SweepAxis& axis) { return axis.name == name; });
}

int swept_field_count(const SweepGrid& grid) {
    return static_cast<int>(std::count_if(grid.axes.begin(), grid.axes.end(),
                                          [](const SweepAxis& axis) { return !axis.is_mode; }));
}

bool check_sweep_request(const AnalysisOptions& options, const BatchRequest& request,
                         std::string& error) {
    if (options.trace_given) {
        error = "--trace=" + request.trace_path + ": a sweep writes no trace";
        return false;
    }
    if (options.mode_given && swept(options.grid, "mode")) {
        error = "--mode: the mode is swept";
        return false;
    }
    const ScenarioTable& table = options.grid.table;
    for (const ScenarioColumn& column : table.columns) {
        if (swept(options.grid, column.name)) {
            error = table.option + ": " + column.name + " is swept too";
            return false;
        }
        if (column.is_mode ? options.mode_given : given_as_base(request, column.name)) {
            error = table.option + ": --" + column.name + " is given too";
            return false;
        }
    }
    for (const SweepAxis& axis : options.grid.axes) {
        if (!axis.is_mode && given_as_base(request, axis.name)) {
            error = axis.option + ": --" + axis.name + " is given too";
            return false;
        }
    }
    if (options.has_off_ratio &&
        (given_as_base(request, "Off_threshold") || swept(options.grid, "Off_threshold") ||
         in_table(table, "Off_threshold"))) {
        error = "--off-ratio: it sets Off_threshold, which is given too";
        return false;
    }
    return check_chart_request(options, request, error);
}

}  // namespace morbilex::batch
