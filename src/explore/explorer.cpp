#include "explore/explorer.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "analysis/care_layer.h"
#include "analysis/run_figures.h"
#include "analysis/run_summary.h"
#include "analysis/scenario_setup.h"
#include "explore/explore_layout.h"
#include "model/run_loop.h"
#include "model/seir_step.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

bool same_inputs(const ScenarioInputs& a, const ScenarioInputs& b) {
    return a.mode == b.mode && same_scenario(a, b);
}

bool shown_mode(InterventionMode mode) {
    return mode >= MODE_NO_INTERVENTION && mode <= MODE_INTERMITTENT;
}

}  // namespace

// One integration of a scenario gives the explorer all it needs of it: the
// summary's figures, and the periods whose on_flag is set (the scenario's
// run) or the table (the run without intervention).
class ExplorerSink {
public:
    ExplorerSink(const ScenarioInputs& scenario, std::vector<ReducedPeriod>* periods,
                 ResultTable* table, const CapacitySetting& capacity = {})
        : figures_(scenario),
          periods_(periods),
          capacity_setting_(capacity),
          capacity_(scenario, capacity) {
        if (table != nullptr) table_.emplace(*table);
        if (scenario.care.enabled) care_.emplace(scenario);
    }
    double* slot(int step) { return table_ ? table_->slot(step) : scratch_; }
    void row(int step, double t, int on_flag, const double* y) {
        if (table_) table_->row(step, t, on_flag, y);
        figures_.row(step, on_flag, y);
        if (care_) care_->row(step, t, on_flag, y);
        if (capacity_setting_.set) capacity_.row(step, on_flag, y);
        if (periods_ == nullptr || on_flag == 0) return;
        if (!periods_->empty() && periods_->back().end_step == step) {
            ++periods_->back().end_step;
        } else {
            periods_->push_back({step, step + 1});
        }
    }
    void last_row(int step, double t, int on_flag, const double* y) {
        if (table_) table_->last_row(step, t, on_flag, y);
        figures_.last_row(step, y);
        if (care_) care_->last_row(step, t);
        if (capacity_setting_.set) capacity_.last_row(step, y);
    }
    // The run's figures into the view's: its summary row, its capacity's
    // figures and how it ends.
    void fill(ViewFigures& figures, const ScenarioInputs& scenario) const {
        figures.run = summary(scenario);
        figures.has_capacity = capacity_setting_.set;
        if (capacity_setting_.set) {
            figures.capacity_setting = capacity_setting_;
            figures.capacity = capacity_.figures();
            summarise_capacity(capacity_setting_, capacity_.figures(), figures_.figures(),
                               scenario.model.dt, figures.capacity_row);
        }
        note_run_ending(figures, scenario);
    }
    // The care layer's series and figures, when it is on.
    bool has_care() const { return care_.has_value(); }
    CareRun take_care() { return care_ ? care_->take() : CareRun{}; }
    // The summary row of the scenario, as morbilex-batch --summary gives it.
    SummaryRow summary(const ScenarioInputs& scenario) const {
        SummaryRow row;
        summarise_run(scenario, figures_.figures(), row);
        return row;
    }

private:
    FigureRows figures_;
    std::vector<ReducedPeriod>* periods_;
    std::optional<ResultTableSink> table_;
    std::optional<CareLayer> care_;
    double scratch_[COMPARTMENT_COUNT] = {};
    CapacitySetting capacity_setting_;
    CapacityTracker capacity_;
};

namespace {

// The care layer's figures of a sink's run into figures, and its series.
void take_care(ExplorerSink& sink, CareRun& care, bool& has_care, CareSummaryRow& row) {
    has_care = sink.has_care();
    care = sink.take_care();
    if (has_care) row = summarise_care(care_figures(care));
}

}  // namespace

Explorer::Explorer() : Explorer(own_view_) {}
Explorer::Explorer(ViewOptions& view) : view(view), switches_(morbilex::view_switches(view)) {}
Explorer::~Explorer() = default;

void Explorer::sync(const Records& records) {
    // A scenario that brings the care layer in shows its curves.
    if (records.care.enabled && !care_enabled_) view.care_curves = true;
    care_enabled_ = records.care.enabled;
    const bool same_capacity =
        records.capacity.set == capacity_.set &&
        (!capacity_.set || (records.capacity.capacity == capacity_.capacity &&
                            records.capacity.series == capacity_.series));
    follow_counts_link(observed, records);
    if (synced_ && same_capacity &&
        same_inputs(scenario_inputs_of(records, records.mode), inputs_)) {
        if (baseline_pending_) run_baseline(records, {}, {});
        return;
    }
    RateConstants rates;
    recompute(records, shown_mode(records.mode) && run_inputs_acceptable(records, records.mode),
              nullptr, rates, {});
}

void Explorer::run_without_trace(Records& records, const RunBoth& run_both) {
    if (!shown_mode(records.mode)) {
        // No figures, but the table of a run of this mode all the same.
        run_simulation_to_stream(records, records.mode, nullptr);
        recompute(records, false, nullptr, records.rates, {});
        return;
    }
    const bool can_run = run_inputs_acceptable(records, records.mode);
    recompute(records, can_run, &records.results, records.rates, run_both);
}

void Explorer::start(const Records& records, InterventionMode mode, bool can_run) {
    synced_ = true;
    inputs_ = scenario_inputs_of(records, mode);
    capacity_ = records.capacity;
    reduced_.clear();
    has_comparison_ = false;
    baseline_pending_ = false;
    figures_ = ViewFigures{};
    care_ = CareRun{};
    figures_.available = can_run;
    if (can_run) figures_.mode = mode;
}

// The figures are those of compute_view_figures, from the runs that also give
// the bands and the comparison (and, for a run without trace, the table).
void Explorer::recompute(const Records& records, bool can_run, ResultTable* table,
                         RateConstants& rates, const RunBoth& run_both) {
    const InterventionMode mode = records.mode;
    start(records, mode, can_run);
    if (!can_run) return;
    // The two runs share nothing they write: the scenario's fills the table,
    // the rates and the bands, the other the comparison.
    ExplorerSink run(inputs_, &reduced_, table, capacity_);
    const ScenarioInputs& inputs = inputs_;
    const auto scenario_run = [&] {
        integrate_run(inputs.model, inputs.one_time, inputs.intermittent, mode, rates, run);
    };
    // Inputs a run of an intervention accepts, a run without one accepts too.
    if (mode == MODE_NO_INTERVENTION) {
        scenario_run();
    } else {
        run_baseline(records, scenario_run, run_both);
    }
    run.fill(figures_, inputs);
    take_care(run, care_, figures_.has_care, figures_.care);
}

void Explorer::run_baseline(const Records& records, const std::function<void()>& beside,
                            const RunBoth& run_both) {
    const ScenarioInputs baseline = scenario_inputs_of(records, MODE_NO_INTERVENTION);
    ExplorerSink without(baseline, nullptr, &comparison_);
    RateConstants baseline_rates;
    const auto baseline_run = [&] {
        integrate_run(baseline.model, baseline.one_time, baseline.intermittent,
                      MODE_NO_INTERVENTION, baseline_rates, without);
    };
    // A thread costs more than a short run takes.
    constexpr int STEPS_WORTH_A_THREAD = 4000;
    if (beside && run_both && baseline.model.n_steps >= STEPS_WORTH_A_THREAD) {
        run_both(beside, baseline_run);
    } else {
        if (beside) beside();
        baseline_run();
    }
    baseline_pending_ = false;
    figures_.has_baseline = true;
    figures_.baseline = without.summary(baseline);
    CareRun baseline_care;
    bool baseline_has_care = false;
    take_care(without, baseline_care, baseline_has_care, figures_.baseline_care);
    has_comparison_ = true;
}

void Explorer::run_started(const Records& records, InterventionMode mode) {
    traced_.reset();
    if (!shown_mode(mode)) {
        synced_ = false;  // the next sync finds what to show
        return;
    }
    start(records, mode, true);
    synced_ = false;  // until the run's last row
    traced_ = std::make_unique<ExplorerSink>(inputs_, &reduced_, nullptr, capacity_);
}

void Explorer::row(int step, double t, int on_flag, const double* y) {
    if (traced_) traced_->row(step, t, on_flag, y);
}

void Explorer::last_row(int step, double t, int on_flag, const double* y) {
    if (!traced_) return;
    traced_->last_row(step, t, on_flag, y);
    traced_->fill(figures_, inputs_);
    take_care(*traced_, care_, figures_.has_care, figures_.care);
    traced_.reset();
    synced_ = true;
    // The run without intervention waits for the next sync.
    baseline_pending_ = inputs_.mode != MODE_NO_INTERVENTION;
}

int Explorer::legend_compartment_at(int x, int y) const {
    for (const LegendHit& hit : legend_hits) {
        if (hit.left <= x && x <= hit.right && hit.top <= y && y <= hit.bottom)
            return hit.compartment;
    }
    return -1;
}

bool Explorer::reduced_at(int step) const {
    for (const ReducedPeriod& period : reduced_) {
        if (period.first_step <= step && step < period.end_step) return true;
    }
    return false;
}

int shown_rows(const Records& records) {
    return std::clamp(records.model.n_steps, 0, MAX_STEPS);
}

namespace {

// The chart's mapping of a device width by height as set_chart_mapping forms
// it (truncated extents and origin, one scale for both axes, the origin at
// the device's corner), and the steps whose points trunc(j * per_step + 0.5)
// lie inside the frame.
struct StepMapping {
    bool valid = false;
    double origin_x = 0.0, scale = 0.0, per_step = 0.0;
    double lowest = 0.0, highest = -1.0;
};

StepMapping step_mapping(const Records& records, int width, int height, double cell_pixels,
                         const ChartTextExtent& extent) {
    StepMapping m;
    if (records.mode < 0 || width <= 0 || height <= 0) return m;
    const ExplorerMapping mapping =
        explorer_mapping(records.scale, width, height, cell_pixels, extent);
    const ChartGeometry& g = mapping.geometry;
    const double dt = records.model.dt;
    if (!g.drawable || !(dt > 0.0) || !(mapping.x_per_day > 0.0)) return m;
    const double extent_x = std::trunc(mapping.extent_x);
    const double extent_y = std::trunc(mapping.extent_y);
    m.origin_x = std::trunc(mapping.origin_x);
    m.scale = std::min(width / extent_x, height / extent_y);
    m.per_step = dt * mapping.x_per_day;
    const int rows = shown_rows(records);
    m.lowest = std::max(0.0, std::ceil((g.frame_left - 0.5) / m.per_step));
    m.highest = std::min(rows - 1.0, std::ceil((g.frame_right + 0.5) / m.per_step) - 1.0);
    m.valid = m.lowest <= m.highest;
    return m;
}

}  // namespace

int step_at_device_x(const Records& records, int device_x, int width, int height,
                     double cell_pixels, const ChartTextExtent& extent) {
    const StepMapping m = step_mapping(records, width, height, cell_pixels, extent);
    if (!m.valid) return -1;
    const double logical_x = m.origin_x + device_x / m.scale;
    const double nearest = std::nearbyint(logical_x / m.per_step);
    return static_cast<int>(std::clamp(nearest, m.lowest, m.highest));
}

ReadOutSteps read_out_steps(const Records& records, int width, int height, double cell_pixels,
                            const ChartTextExtent& extent) {
    const StepMapping m = step_mapping(records, width, height, cell_pixels, extent);
    if (!m.valid) return {};
    const double page = std::nearbyint(READ_OUT_PAGE_DAYS / records.model.dt);
    return {static_cast<int>(m.lowest), static_cast<int>(m.highest),
            page >= 1.0 && page < 1e9 ? static_cast<int>(page) : 1};
}

int read_out_step_after_key(int step, ReadOutKey key, ReadOutSteps steps) {
    if (steps.first < 0 || steps.last < steps.first) return -1;
    const int page = std::max(1, steps.page);
    int move = 0;
    switch (key) {
        case ReadOutKey::Home:
            return steps.first;
        case ReadOutKey::End:
            return steps.last;
        case ReadOutKey::Left:
            move = -1;
            break;
        case ReadOutKey::Right:
            move = 1;
            break;
        case ReadOutKey::ShiftLeft:
            move = -READ_OUT_SHIFT_STEPS;
            break;
        case ReadOutKey::ShiftRight:
            move = READ_OUT_SHIFT_STEPS;
            break;
        case ReadOutKey::PageUp:
            move = -page;
            break;
        case ReadOutKey::PageDown:
            move = page;
            break;
    }
    if (step < 0) return move < 0 ? steps.last : steps.first;
    // In long arithmetic: a step near INT_MAX must not wrap.
    const long long moved = static_cast<long long>(step) + move;
    return static_cast<int>(std::clamp<long long>(moved, steps.first, steps.last));
}

}  // namespace morbilex
