#include "explore/plan_finder.h"

#include <algorithm>
#include <cmath>

#include "analysis/scenario_setup.h"
#include "chart/selected_pen.h"
#include "model/run_loop.h"
#include "shell/dialogs.h"
#include "text/format.h"

namespace morbilex {
namespace {

std::string formatted(const char* format, std::initializer_list<FormatArgument> arguments) {
    char text[160];
    format_text(text, sizeof text, format, arguments);
    return text;
}

// E + I of every row of a run.
class ExposedInfectiousRows {
public:
    explicit ExposedInfectiousRows(int steps) : values_(static_cast<std::size_t>(steps) + 1) {}
    double* slot(int) { return row_; }
    void row(int step, double, int, const double* y) { values_[step] = y[1] + y[2]; }
    void last_row(int step, double, int, const double* y) { values_[step] = y[1] + y[2]; }
    double at(int step) const { return values_[step]; }

private:
    std::vector<double> values_;
    double row_[COMPARTMENT_COUNT] = {};
};

// Where the front's chart puts a plan: days across, peak up.
struct FrontMapping {
    int left = 0, right = 0, top = 0, bottom = 0;
    double most_days = 1.0, most_peak = 1.0;
    int x(double days) const {
        return left + static_cast<int>(std::lround((right - left) * (days / most_days)));
    }
    int y(double peak) const {
        return bottom - static_cast<int>(std::lround((bottom - top) * (peak / most_peak)));
    }
};

FrontMapping front_mapping(const PlanFinding& finding, int width, int height) {
    FrontMapping m;
    m.left = std::min(70, width / 4);
    m.right = width - std::min(20, width / 10);
    m.top = std::min(30, height / 8);
    m.bottom = height - std::min(45, height / 5);
    for (const PlanOutcome& plan : finding.result.front) {
        if (std::isfinite(plan.days_reduced))
            m.most_days = std::max(m.most_days, plan.days_reduced);
        if (std::isfinite(plan.peak)) m.most_peak = std::max(m.most_peak, plan.peak);
    }
    if (finding.capacity.set) m.most_peak = std::max(m.most_peak, finding.capacity.capacity);
    m.most_days *= 1.05;
    m.most_peak *= 1.1;
    return m;
}

}  // namespace

Extension extend_until_ended(Records& records) {
    Extension extension;
    const ModelParameters& m = records.model;
    extension.T_max = std::max(m.n_steps, 0) * m.dt;
    const InterventionMode mode = records.mode < 0 ? MODE_NO_INTERVENTION : records.mode;
    if (!run_inputs_acceptable(records, mode)) return extension;
    ScenarioInputs inputs = scenario_inputs_of(records, mode);
    if (!still_running(integrate_run_figures(inputs))) {
        extension.ended = true;
        return extension;
    }
    const int longest = steps_for_duration(LONGEST_EXTENDED_T_MAX, m.dt);
    if (longest <= m.n_steps) return extension;
    // Row r of the longest run is the last row of the run of r steps.
    inputs.model.n_steps = longest;
    ExposedInfectiousRows rows(longest);
    RateConstants rates;
    integrate_run(inputs.model, inputs.one_time, inputs.intermittent, mode, rates, rows);
    int chosen = longest;
    for (double day = std::trunc(extension.T_max) + 1.0; day <= LONGEST_EXTENDED_T_MAX;
         day += 1.0) {
        const int steps = steps_for_duration(day, m.dt);
        if (steps <= m.n_steps) continue;
        if (steps > longest) break;
        if (rows.at(steps) <= STILL_RUNNING_PERSONS) {
            chosen = steps;
            extension.ended = true;
            break;
        }
    }
    records.model.n_steps = chosen;
    extension.extended = true;
    extension.T_max = chosen * m.dt;
    return extension;
}

std::string extension_text(const Extension& extension) {
    const std::string days = formatted("%.2f", {extension.T_max});
    if (!extension.extended) {
        return extension.ended ? "The epidemic is over by T_max = " + days + " days"
                               : "T_max cannot be extended beyond " + days + " days";
    }
    return "T_max extended to " + days +
           (extension.ended ? " days: the epidemic is over"
                            : " days, the longest a run can take: still running");
}

bool find_plan_for(const Records& records, PlanFinding& finding, std::string& reason) {
    if (!records.capacity.set) {
        reason = "Set a capacity first: the plan keeps the series at or under it";
        return false;
    }
    finding.kind = records.mode == MODE_INTERMITTENT ? PlanKind::Intermittent : PlanKind::OneTime;
    const InterventionMode mode =
        finding.kind == PlanKind::Intermittent ? MODE_INTERMITTENT : MODE_ONE_TIME;
    if (!run_inputs_acceptable(records, mode)) {
        reason = "The model's values cannot be integrated";
        return false;
    }
    finding.capacity = records.capacity;
    const ScenarioInputs base = scenario_inputs_of(records, mode);
    finding.result =
        find_plan(base, default_plan_space(finding.kind, base, records.capacity), records.capacity);
    finding.marked = -1;
    if (finding.result.front.empty()) {
        reason = "The search space holds no plan";
        return false;
    }
    return true;
}

std::string plan_text(PlanKind kind, const PlanValues& plan) {
    if (kind == PlanKind::OneTime) {
        return formatted("reduction %g from day %g to day %g",
                         {plan.value[2], plan.value[0], plan.value[0] + plan.value[1]});
    }
    return formatted("On %g, Off %g, reduction %g", {plan.value[0], plan.value[1], plan.value[2]});
}

std::vector<std::string> plan_finding_lines(const PlanFinding& finding) {
    std::vector<std::string> lines;
    const PlanSearchResult& result = finding.result;
    if (result.front.empty()) return lines;
    const PlanOutcome& best = result.best;
    const std::string limit = formatted("%.2f", {finding.capacity.capacity});
    lines.push_back(result.met ? std::string("Best ") + plan_kind_name(finding.kind) + " plan:"
                               : "No " + std::string(plan_kind_name(finding.kind)) +
                                     " plan searched keeps " +
                                     capacity_series_label(finding.capacity.series) +
                                     " at or under " + limit + " with the epidemic over; closest:");
    lines.push_back("  " + plan_text(finding.kind, best.plan));
    lines.push_back(formatted("  %.2f days under reduction, %d switches, peak %.2f persons",
                              {best.days_reduced, best.figures.switches_on, best.peak}) +
                    (best.ended ? "" : ", still running at T_max"));
    lines.push_back(
        formatted("%d plans on the front of %d searched",
                  {static_cast<int>(result.front.size()), static_cast<int>(result.runs)}));
    return lines;
}

void load_plan(Records& records, PlanKind kind, const PlanOutcome& outcome) {
    if (kind == PlanKind::OneTime) {
        records.one_time = outcome.scenario.one_time;
        records.mode = MODE_ONE_TIME;
    } else {
        records.intermittent = outcome.scenario.intermittent;
        records.mode = MODE_INTERMITTENT;
    }
}

void paint_plan_front(Surface& surface, const PlanFinding& finding, int width, int height) {
    if (width <= 0 || height <= 0) return;
    surface.select_device_default_font();
    surface.set_isotropic_mode();
    surface.set_window_extent(width, height);
    surface.set_viewport_extent(width, height);
    surface.set_window_origin(0, 0);
    const FrontMapping m = front_mapping(finding, width, height);
    const int cell = std::max(surface.text_cell_height(), 1);
    const auto text = [&surface](int x, int y, const std::string& t) {
        surface.text_out(x, y, t.data(), static_cast<int>(t.size()));
    };
    {
        SelectedPen axes(surface, 0x000000);
        surface.move_to(m.left, m.top);
        surface.line_to(m.left, m.bottom);
        surface.line_to(m.right, m.bottom);
    }
    text(m.left, m.bottom + cell / 2, "0");
    const std::string days = formatted("%.0f", {m.most_days});
    text(m.right - static_cast<int>(days.size()) * cell / 2, m.bottom + cell / 2, days);
    text((m.left + m.right) / 2 - 5 * cell, m.bottom + cell + cell / 2, "days under reduction");
    text(2, m.top - cell / 2, formatted("peak %.0f", {m.most_peak}));
    text(2, m.bottom - cell, "0");
    if (finding.capacity.set) {
        SelectedPen line(surface, 0x1010C0);
        const int y = m.y(finding.capacity.capacity);
        surface.move_to(m.left, y);
        surface.line_to(m.right, y);
        text(m.left + 4, y - cell - 2, formatted("capacity %g", {finding.capacity.capacity}));
    }
    const std::vector<PlanOutcome>& front = finding.result.front;
    // The best plan last, over any plan drawn near it.
    for (std::size_t n = 1; n <= front.size(); ++n) {
        const std::size_t k = n % front.size();
        const int x = m.x(front[k].days_reduced);
        const int y = m.y(front[k].peak);
        const int r = k == 0 ? 5 : 3;
        SelectedPen pen(surface, k == 0 ? 0x1010C0 : (front[k].meets ? 0x208020 : 0x808080));
        surface.move_to(x - r, y - r);
        surface.line_to(x + r + 1, y + r + 1);
        surface.move_to(x - r, y + r);
        surface.line_to(x + r + 1, y - r - 1);
    }
    if (finding.marked >= 0 && finding.marked < static_cast<int>(front.size())) {
        const PlanOutcome& marked = front[static_cast<std::size_t>(finding.marked)];
        const int x = m.x(marked.days_reduced), y = m.y(marked.peak), r = 8;
        SelectedPen pen(surface, 0x000000);
        surface.move_to(x - r, y - r);
        surface.line_to(x + r, y - r);
        surface.line_to(x + r, y + r);
        surface.line_to(x - r, y + r);
        surface.line_to(x - r, y - r);
    }
}

int front_point_at(const PlanFinding& finding, int width, int height, int x, int y) {
    if (width <= 0 || height <= 0) return -1;
    const FrontMapping m = front_mapping(finding, width, height);
    constexpr long long REACH = 8;
    int nearest = -1;
    long long nearest_distance = REACH * REACH + 1;
    const std::vector<PlanOutcome>& front = finding.result.front;
    for (std::size_t k = 0; k < front.size(); ++k) {
        const long long dx = m.x(front[k].days_reduced) - x;
        const long long dy = m.y(front[k].peak) - y;
        const long long distance = dx * dx + dy * dy;
        if (distance < nearest_distance) {
            nearest = static_cast<int>(k);
            nearest_distance = distance;
        }
    }
    return nearest;
}

}  // namespace morbilex
