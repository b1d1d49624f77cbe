// A sweep's options checked against each other, and its scenarios before it starts.
#include "batch/sweep_checks.h"

#include <algorithm>
#include <vector>

#include "batch/refusal_text.h"
#include "model/records.h"
#include "shell/dialogs.h"
#include "text/shortest.h"

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

// Off_threshold is typed by --off-ratio only: the other ways to give it are
// refused with it.
bool made_by_off_ratio(const SweepPlan& plan, const ScenarioRefusal& refused) {
    return plan.has_off_ratio && refused.cause == ScenarioRefusal::Cause::FieldRefused &&
           refused.field != nullptr && std::string_view(refused.field->name) == "Off_threshold";
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

bool check_scenarios(const SweepPlan& plan, const std::string& off_ratio_option,
                     std::string& error) {
    ScenarioBuilder builder(plan);
    ScenarioInputs inputs;
    ScenarioRefusal refused;
    // Every row of a scenario file with the axes' first values.
    for (long long row = 0; plan.grid.has_table() && row < plan.grid.table.count(); ++row) {
        if (!builder.build(1 + row * plan.grid.points(), inputs, refused)) {
            error = made_by_off_ratio(plan, refused)
                        ? off_ratio_refusal_text(refused, off_ratio_option)
                        : table_refusal_text(refused, plan.grid.table, row);
            return false;
        }
    }
    long long stride = plan.grid.points();
    for (const SweepAxis& axis : plan.grid.axes) {
        stride /= axis.count;
        std::vector<long long> checked = {0, axis.count - 1};
        if (!axis.is_range) {
            checked.clear();
            for (long long k = 0; k < axis.count; ++k)
                checked.push_back(k);
        }
        for (long long k : checked) {
            if (!builder.build(1 + k * stride, inputs, refused)) {
                error = made_by_off_ratio(plan, refused)
                            ? off_ratio_refusal_text(refused, off_ratio_option)
                            : checked_refusal_text(refused, axis);
                return false;
            }
        }
    }
    if (builder.build(1, inputs, refused)) return true;
    error = made_by_off_ratio(plan, refused) ? off_ratio_refusal_text(refused, off_ratio_option)
                                             : scenario_refusal_text(refused);
    return false;
}

std::string repeated_scenarios_text(const SweepGrid& grid) {
    const double dt = ModelParameters{}.dt;
    for (const SweepAxis& axis : grid.axes) {
        if (axis.is_mode || axis.name != "T_max") continue;
        constexpr long long SHOWN = 5;
        std::string values;
        long long capped = 0;
        for (long long k = 0; k < axis.count; ++k) {
            if (steps_for_duration(axis.value(k), dt) < MAX_STEPS) continue;
            if (++capped > SHOWN) continue;
            if (capped > 1) values += ", ";
            axis.append_value_text(values, k);
        }
        if (capped < 2) continue;
        if (capped > SHOWN) {
            values += " and " + std::to_string(capped - SHOWN) + " more";
        } else {
            const std::size_t last = values.rfind(", ");
            values.replace(last, 2, " and ");
        }
        std::string days, step;
        append_shortest(days, MAX_STEPS * dt);
        append_shortest(step, dt);
        return axis.option + ": " + axis.name + "=" + values +
               " make the same scenarios, as a run stops at " + days + " days (" +
               std::to_string(MAX_STEPS) + " steps of " + step +
               " days); their rows differ only in swept_" + axis.name;
    }
    return "";
}

}  // namespace morbilex::batch
