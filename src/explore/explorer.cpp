#include "explore/explorer.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include "analysis/run_figures.h"
#include "analysis/run_summary.h"
#include "analysis/scenario_setup.h"
#include "model/run_loop.h"
#include "model/seir_step.h"
#include "text/format.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

bool same(double a, double b) {
    return MORBILEX_BIT_CAST(std::uint64_t, a) == MORBILEX_BIT_CAST(std::uint64_t, b);
}

bool same_inputs(const ScenarioInputs& a, const ScenarioInputs& b) {
    const ModelParameters& m = a.model;
    const ModelParameters& n = b.model;
    const OneTimePlan& p = a.one_time;
    const OneTimePlan& q = b.one_time;
    const IntermittentPlan& r = a.intermittent;
    const IntermittentPlan& s = b.intermittent;
    return a.mode == b.mode && m.n_steps == n.n_steps && same(m.R_0, n.R_0) &&
           same(m.latent_period, n.latent_period) &&
           same(m.infectious_period, n.infectious_period) && same(m.dt, n.dt) &&
           same(m.init_S, n.init_S) && same(m.init_E, n.init_E) && same(m.init_I, n.init_I) &&
           same(m.init_R, n.init_R) && same(p.Redct1, q.Redct1) && same(p.t_srt1, q.t_srt1) &&
           same(p.t_stp1, q.t_stp1) && same(p.Redct2, q.Redct2) && same(p.t_srt2, q.t_srt2) &&
           same(p.t_stp2, q.t_stp2) && same(p.Redct3, q.Redct3) && same(p.t_srt3, q.t_srt3) &&
           same(p.t_stp3, q.t_stp3) && same(r.Reduction, s.Reduction) &&
           same(r.On_threshold, s.On_threshold) && same(r.Off_threshold, s.Off_threshold);
}

// One integration of a scenario gives the explorer all it needs of it: the
// summary's figures, and the periods whose on_flag is set (the scenario's
// run) or the table (the run without intervention).
class ExplorerSink {
public:
    ExplorerSink(const ScenarioInputs& scenario, std::vector<ReducedPeriod>* periods,
                 ResultTable* table)
        : figures_(scenario), periods_(periods) {
        if (table != nullptr) table_.emplace(*table);
    }
    double* slot(int step) { return table_ ? table_->slot(step) : scratch_; }
    void row(int step, double t, int on_flag, const double* y) {
        if (table_) table_->row(step, t, on_flag, y);
        figures_.row(step, on_flag, y);
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
    }
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
    double scratch_[COMPARTMENT_COUNT] = {};
};

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

namespace {

bool runnable(const Records& records) {
    const InterventionMode mode = records.mode;
    return mode >= MODE_NO_INTERVENTION && mode <= MODE_INTERMITTENT &&
           run_inputs_acceptable(records, mode);
}

}  // namespace

void Explorer::sync(const Records& records) {
    const bool can_run = runnable(records);
    const ScenarioInputs inputs =
        scenario_inputs_of(records, can_run ? records.mode : MODE_NO_INTERVENTION);
    if (synced_ && can_run == figures_.available && (!can_run || same_inputs(inputs, inputs_)))
        return;
    RateConstants rates;
    recompute(records, can_run, nullptr, rates, {});
}

void Explorer::run_without_trace(Records& records, const RunBoth& run_both) {
    if (!runnable(records)) {
        run_simulation_to_stream(records, records.mode, nullptr);
        sync(records);
        return;
    }
    recompute(records, true, &records.results, records.rates, run_both);
}

// The figures are those of compute_view_figures, from the runs that also give
// the bands and the comparison (and, for a run without trace, the table).
void Explorer::recompute(const Records& records, bool can_run, ResultTable* table,
                         RateConstants& rates, const RunBoth& run_both) {
    const InterventionMode mode = records.mode;
    const ScenarioInputs inputs =
        scenario_inputs_of(records, can_run ? mode : MODE_NO_INTERVENTION);
    synced_ = true;
    inputs_ = inputs;
    reduced_.clear();
    has_comparison_ = false;
    figures_ = ViewFigures{};
    if (!can_run) return;
    figures_.available = true;
    figures_.mode = mode;
    // The two runs share nothing they write: the scenario's fills the table,
    // the rates and the bands, the other the comparison.
    ExplorerSink run(inputs, &reduced_, table);
    const auto scenario_run = [&] {
        integrate_run(inputs.model, inputs.one_time, inputs.intermittent, mode, rates, run);
    };
    const bool baseline_wanted =
        mode != MODE_NO_INTERVENTION && run_inputs_acceptable(records, MODE_NO_INTERVENTION);
    if (!baseline_wanted) {
        scenario_run();
        figures_.run = run.summary(inputs);
        return;
    }
    const ScenarioInputs baseline = scenario_inputs_of(records, MODE_NO_INTERVENTION);
    ExplorerSink without(baseline, nullptr, &comparison_);
    RateConstants baseline_rates;
    const auto baseline_run = [&] {
        integrate_run(baseline.model, baseline.one_time, baseline.intermittent,
                      MODE_NO_INTERVENTION, baseline_rates, without);
    };
    // A thread costs more than a short run takes.
    constexpr int STEPS_WORTH_A_THREAD = 4000;
    if (run_both && inputs.model.n_steps >= STEPS_WORTH_A_THREAD) {
        run_both(scenario_run, baseline_run);
    } else {
        scenario_run();
        baseline_run();
    }
    figures_.run = run.summary(inputs);
    figures_.has_baseline = true;
    figures_.baseline = without.summary(baseline);
    has_comparison_ = true;
}

bool Explorer::reduced_at(int step) const {
    for (const ReducedPeriod& period : reduced_) {
        if (period.first_step <= step && step < period.end_step) return true;
    }
    return false;
}

std::vector<AxisLabel> axis_labels(double min, double max) {
    std::vector<AxisLabel> labels;
    const double step = round_tick_step(max - min);
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

namespace {

// The room text needs around the frame, in device units.
struct TextMargins {
    double left = 0, right = 0, top = 0, bottom = 0;
};

std::size_t widest(const std::vector<AxisLabel>& labels) {
    std::size_t chars = 0;
    for (const AxisLabel& label : labels)
        chars = std::max(chars, label.text.size());
    return chars;
}

TextMargins text_margins(const AxisScale& scale, double cell) {
    constexpr double LINE = 1.2;  // line step per cell
    const double advance = CHAR_WIDTH_PER_CELL * cell;
    const std::vector<AxisLabel> x_labels = axis_labels(scale.xmin, scale.xmax);
    TextMargins margins;
    // y labels, their tick and a gap; half of the last x label.
    margins.left =
        static_cast<double>(widest(axis_labels(scale.ymin, scale.ymax))) * advance + 0.6 * cell;
    margins.right = x_labels.empty() ? 0.0 : x_labels.back().text.size() * advance / 2 + 0.3 * cell;
    // Three header lines and the axis title over half of the top y label.
    margins.top = 4 * LINE * cell + 0.8 * cell;
    // The x ticks and labels, and the axis title under them.
    margins.bottom = 2 * LINE * cell + 0.4 * cell;
    return margins;
}

// The largest scale (device units per logical unit) at which a plot of
// logical length plot with margins of max(scale * classic_a, text_a) and
// max(scale * classic_b, text_b) fits in room device units.
double fitting_scale(double room, double plot, double classic_a, double text_a, double classic_b,
                     double text_b) {
    return std::min({room / (plot + classic_a + classic_b), (room - text_a) / (plot + classic_b),
                     (room - text_b) / (plot + classic_a), (room - text_a - text_b) / plot});
}

}  // namespace

ExplorerMapping explorer_mapping(const AxisScale& scale, int width, int height,
                                 double cell_pixels) {
    AxisScale copy = scale;
    ExplorerMapping mapping;
    mapping.geometry = compute_chart_geometry(copy);
    mapping.x_per_day = copy.x_per_day;
    const ChartGeometry& g = mapping.geometry;
    const double H = g.plot_height;
    // The classic margins: 0.2 H left, right and below, 0.3 H above.
    mapping.extent_x = 2.4 * H;
    mapping.extent_y = 1.5 * H;
    mapping.origin_x = g.frame_left - 0.2 * H;
    mapping.origin_y = g.frame_top + 0.3 * H;
    mapping.valid = true;
    if (!(cell_pixels > 0.0 && cell_pixels < 1e6) || width <= 0 || height <= 0) return mapping;
    const TextMargins text = text_margins(g.drawable ? scale : AxisScale{}, cell_pixels);
    const double classic = std::min(width / (2.4 * H), height / (1.5 * H));
    // The margins with the legend's column at the right (0: none), or false
    // when the frame would be too small.
    const auto fit = [&](double legend_right) {
        const double right = std::max(text.right, legend_right);
        const double s =
            std::min(fitting_scale(width, 2.0 * H, 0.2 * H, text.left, 0.2 * H, right),
                     fitting_scale(height, H, 0.3 * H, text.top, 0.2 * H, text.bottom));
        // A device too small for the text keeps the classic margins: the frame
        // never shrinks below a quarter of its classic size.
        if (!(s >= classic / 4)) return false;
        // The legend's lines beside the frame, or beside the x labels under
        // it, on the device.
        const double below = std::max(0.2 * H * s, text.bottom);
        if (legend_right > 0.0 && !(H * s + below >= (LEGEND_LINES + 0.5) * 1.2 * cell_pixels))
            return false;
        const double left = std::max(0.2 * H, text.left / s);
        const double top = std::max(0.3 * H, text.top / s);
        const double extent_x = left + 2.0 * H + std::max(0.2 * H, right / s);
        const double extent_y = top + H + std::max(0.2 * H, text.bottom / s);
        if (!(extent_x < INT_MAX / 2 && extent_y < INT_MAX / 2)) return false;
        mapping.extent_x = extent_x;
        mapping.extent_y = extent_y;
        mapping.origin_x = g.frame_left - left;
        mapping.origin_y = g.frame_top + top;
        return true;
    };
    for (const LegendPlace place : {LegendPlace::BesideFull, LegendPlace::BesideShort}) {
        // The column's own width and a cell more for the rounding of logical
        // units, right of the last x label's half beyond the frame.
        const bool short_names = place == LegendPlace::BesideShort;
        const double column = (legend_width_cells(short_names) + 1.0) * cell_pixels +
                              last_x_label_chars(scale) * CHAR_WIDTH_PER_CELL * cell_pixels / 2;
        if (column * 3 > width || !fit(column)) continue;
        mapping.legend = place;
        return mapping;
    }
    fit(0.0);
    return mapping;
}

std::size_t last_x_label_chars(const AxisScale& scale) {
    const std::vector<AxisLabel> labels = axis_labels(scale.xmin, scale.xmax);
    return labels.empty() ? 0 : labels.back().text.size();
}

const char* legend_name(int line, bool short_names) {
    static const char* const full_names[LEGEND_LINES] = {COMPARTMENT_NAMES[0], COMPARTMENT_NAMES[1],
                                                         COMPARTMENT_NAMES[2], COMPARTMENT_NAMES[3],
                                                         "No intervention",    "Reduction on"};
    static const char* const short_names_[LEGEND_LINES] = {"S", "E", "I", "R", "none", "on"};
    if (line < 0 || line >= LEGEND_LINES) return "";
    return short_names ? short_names_[line] : full_names[line];
}

double legend_width_cells(bool short_names) {
    std::size_t longest = 0;
    for (int line = 0; line < LEGEND_LINES; ++line)
        longest = std::max(longest, std::strlen(legend_name(line, short_names)));
    return 3 * LEGEND_GAP_CELLS + LEGEND_LINE_CELLS +
           static_cast<double>(longest) * CHAR_WIDTH_PER_CELL;
}

int explorer_chart_width(int width, bool with_figures) {
    return with_figures ? width - width * 2 / 5 : width;
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

StepMapping step_mapping(const Records& records, int width, int height, double cell_pixels) {
    StepMapping m;
    if (records.mode < 0 || width <= 0 || height <= 0) return m;
    const ExplorerMapping mapping = explorer_mapping(records.scale, width, height, cell_pixels);
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
                     double cell_pixels) {
    const StepMapping m = step_mapping(records, width, height, cell_pixels);
    if (!m.valid) return -1;
    const double logical_x = m.origin_x + device_x / m.scale;
    const double nearest = std::nearbyint(logical_x / m.per_step);
    return static_cast<int>(std::clamp(nearest, m.lowest, m.highest));
}

ReadOutSteps read_out_steps(const Records& records, int width, int height, double cell_pixels) {
    const StepMapping m = step_mapping(records, width, height, cell_pixels);
    if (!m.valid) return {};
    return {static_cast<int>(m.lowest), static_cast<int>(m.highest)};
}

int read_out_step_after_key(int step, ReadOutKey key, ReadOutSteps steps) {
    if (steps.first < 0 || steps.last < steps.first) return -1;
    const int page = std::max(1, (steps.last - steps.first + 1) / 10);
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

double round_tick_step(double range) {
    if (!(range > 0.0) || !std::isfinite(range)) return 0.0;
    const double rough = range / 8.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough) return factor * power;
    }
    return 10.0 * power;
}

bool fit_axes(Records& records, const Explorer& explorer) {
    if (records.mode < 0) return false;
    const int rows = shown_rows(records);
    const double duration = records.model.n_steps * records.model.dt;
    double highest = highest_value(records.results, rows);
    if (records.view.compare && explorer.has_comparison())
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
