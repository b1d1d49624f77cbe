// A sweep's scenarios checked before it starts, for every front end that sweeps.
#include "analysis/scenario_checks.h"

#include <string_view>
#include <vector>

#include "analysis/refusal_text.h"
#include "model/records.h"
#include "text/shortest.h"

namespace morbilex {
namespace {

// Off_threshold is typed by --off-ratio only: the other ways to give it are
// refused with it.
bool made_by_off_ratio(const SweepPlan& plan, const ScenarioRefusal& refused) {
    return plan.has_off_ratio && refused.cause == ScenarioRefusal::Cause::FieldRefused &&
           refused.field != nullptr && std::string_view(refused.field->name) == "Off_threshold";
}

}  // namespace

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

}  // namespace morbilex
