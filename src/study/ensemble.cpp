#include "study/ensemble.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

#include "analysis/lane_kernel.h"
#include "model/simulation.h"
#include "text/format.h"
#include "text/shortest.h"

namespace morbilex {

namespace {

// -0 before +0, NaN after every number: one order for every bit pattern that
// matters, so the chosen value does not depend on how the values were sorted.
// The values become whole numbers of the same order (sign-magnitude turned
// into two's complement order), which select far faster than doubles.
std::uint64_t order_key(double value) {
    if (std::isnan(value)) return ~std::uint64_t{0};
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

double value_of_key(std::uint64_t key) {
    if (key == ~std::uint64_t{0}) return std::numeric_limits<double>::quiet_NaN();
    const std::uint64_t bits = (key >> 63) != 0 ? key & ~(std::uint64_t{1} << 63) : ~key;
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::size_t rank_of(double level, std::size_t n) {
    const double rank = std::ceil(level * static_cast<double>(n));
    if (!(rank >= 1.0)) return 0;
    return std::min(static_cast<std::size_t>(rank) - 1, n - 1);
}

// The order statistics of ascending levels, narrowing the range each time.
void order_statistics(std::span<const double> values, std::span<const double> levels,
                      std::span<double> out, std::vector<std::uint64_t>& keys) {
    keys.resize(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        keys[i] = order_key(values[i]);
    std::size_t from = 0;
    for (std::size_t l = 0; l < levels.size(); ++l) {
        const std::size_t rank = rank_of(levels[l], values.size());
        if (rank >= from) {
            std::nth_element(keys.begin() + static_cast<std::ptrdiff_t>(from),
                             keys.begin() + static_cast<std::ptrdiff_t>(rank), keys.end());
            from = rank;
        }
        out[l] = value_of_key(keys[rank]);
    }
}

constexpr long long BLOCK_SAMPLES = 256;

int column_of(const char* name) {
    return summary_column_index(name);
}

}  // namespace

double order_statistic(std::span<const double> values, double level) {
    double out = 0.0;
    std::vector<std::uint64_t> keys;
    order_statistics(values, std::span<const double>(&level, 1), std::span<double>(&out, 1), keys);
    return out;
}

void in_order(long long count, const std::function<void(long long)>& work) {
    for (long long block = 0; block < count; ++block)
        work(block);
}

RangedScenarioBuilder::RangedScenarioBuilder(const EnsemblePlan& plan)
    : plan_(plan), records_(std::make_unique<Records>()), values_(plan.ranges.size()) {
    for (const TypedField& field : plan.base) {
        const auto ranged = [&field](const ParameterRange& range) {
            return range.field.field == field.field;
        };
        if (std::none_of(plan.ranges.begin(), plan.ranges.end(), ranged)) typed_.push_back(field);
    }
    first_ranged_ = typed_.size();
    for (const ParameterRange& range : plan.ranges)
        typed_.push_back(range.field);
}

bool RangedScenarioBuilder::build(std::span<const double> values, ScenarioInputs& inputs,
                                  ScenarioRefusal& refused) {
    for (std::size_t j = 0; j < values.size(); ++j) {
        std::string& text = typed_[first_ranged_ + j].text;
        text.clear();
        append_shortest(text, values[j]);
    }
    reset_scenario_fields(*records_);
    SetupRefusal setup;
    if (!apply_typed_fields(*records_, typed_, setup)) {
        refused = refused_field(setup, typed_, 0);
        return false;
    }
    if (!run_inputs_acceptable(*records_, plan_.mode)) {
        refused = {
            ScenarioRefusal::Cause::NotIntegrable, 0, nullptr, false, {}, RefusalReason::None};
        return false;
    }
    inputs = scenario_inputs_of(*records_, plan_.mode);
    inputs.care = plan_.care;
    return true;
}

bool RangedScenarioBuilder::build_at(std::span<const double> unit, ScenarioInputs& inputs,
                                     ScenarioRefusal& refused) {
    for (std::size_t j = 0; j < values_.size(); ++j)
        values_[j] = plan_.ranges[j].value_at(unit[j]);
    return build(values_, inputs, refused);
}

void integrate_many(std::span<const ScenarioInputs> scenarios, std::span<RunFigures> figures) {
    integrate_in_lanes(widest_lane_kernel(), scenarios, figures);
}

void figure_values(const ScenarioInputs& scenario, const RunFigures& figures,
                   std::span<const int> columns, std::span<double> out) {
    SummaryRow row;
    summarise_run(scenario, figures, row);
    for (std::size_t f = 0; f < columns.size(); ++f)
        out[f] = row[columns[f]].as_number();
}

double EnsembleResult::share_above(int figure, double limit) const {
    long long above = 0;
    for (long long i = 0; i < samples; ++i)
        above += figures[static_cast<std::size_t>(figure) * samples + i] > limit ? 1 : 0;
    return samples > 0 ? static_cast<double>(above) / static_cast<double>(samples) : 0.0;
}

std::string over_capacity_text(const EnsembleResult& result) {
    char text[64];
    format_text(text, sizeof text, "%.4g", {result.over_capacity * 100.0});
    return std::string(text) + " % of samples";
}

bool ranges_acceptable(const EnsemblePlan& plan, ScenarioRefusal& refused) {
    RangedScenarioBuilder builder(plan);
    std::vector<double> values(plan.ranges.size());
    for (std::size_t j = 0; j < plan.ranges.size(); ++j)
        values[j] = plan.ranges[j].centre();
    ScenarioInputs inputs;
    if (!builder.build(values, inputs, refused)) return false;
    for (std::size_t j = 0; j < plan.ranges.size(); ++j) {
        const ParameterRange& range = plan.ranges[j];
        for (double end : {range.low, range.high}) {
            values[j] = end;
            if (!builder.build(values, inputs, refused)) return false;
        }
        values[j] = range.centre();
    }
    return true;
}

namespace {

// One pass over every sample: figures on the first, the rows of a window of
// steps on each.
class EnsemblePass {
public:
    EnsemblePass(const EnsemblePlan& plan, EnsembleResult& result, int row0, int window)
        : plan_(plan), result_(result), row0_(row0), window_(window) {}

    std::vector<double> rows;  // rows[(r * 4 + c) * samples + i]
    // With the care layer's bands: care_rows[(r * 3 + k) * samples + i].
    std::vector<double> care_rows;
    bool keep_figures = false;
    // Whether sample i's series went over the capacity (first pass only).
    std::vector<unsigned char>* over = nullptr;
    // Each block's first refused sample, in the block's own place: no lock,
    // and the first of all is the same whichever thread found it.
    std::vector<std::optional<ScenarioRefusal>> refused;

    void work(long long block) {
        const long long samples = result_.samples;
        const long long first = block * BLOCK_SAMPLES;
        const long long count = std::min(BLOCK_SAMPLES, samples - first);
        const std::size_t k = plan_.ranges.size();
        const SampleSequence sequence(static_cast<int>(std::max<std::size_t>(k, 1)));
        RangedScenarioBuilder builder(plan_);
        std::vector<double> unit(sequence.dimensions());
        std::vector<ScenarioInputs> scenarios(count);
        for (long long i = 0; i < count; ++i) {
            sequence.point(static_cast<std::uint64_t>(first + i), unit);
            ScenarioRefusal refusal;
            if (!builder.build_at(unit, scenarios[i], refusal)) {
                refusal.run_id = first + i + 1;
                refused[block] = refusal;
                return;
            }
            if (keep_figures) {
                for (std::size_t j = 0; j < k; ++j)
                    result_.sampled[j * samples + first + i] = plan_.ranges[j].value_at(unit[j]);
            }
        }
        const LaneKernel& kernel = widest_lane_kernel();
        LaneBatch batch;
        batch.mode = lane_mode(scenarios[0]);
        batch.steps = lane_steps(scenarios[0]);
        LaneFigures lane_figures;
        std::vector<RunFigures> figures(count);
        // The care layer rides on the observer: its series' rows for the
        // bands, or the care series held against the capacity.
        const CapacitySetting& capacity = plan_.capacity;
        const bool care_over = keep_figures && capacity.set && capacity_on_care(capacity.series);
        const bool care = (window_ > 0 && !care_rows.empty()) || care_over;
        for (long long start = 0; start < count; start += kernel.lanes) {
            const int used = static_cast<int>(std::min<long long>(kernel.lanes, count - start));
            for (int lane = 0; lane < kernel.lanes; ++lane)
                set_lane(batch, lane, scenarios[start + (lane < used ? lane : 0)]);
            Watch watch{this, first + start, used, batch.steps, {}, {}, care_over};
            if (care) {
                for (int lane = 0; lane < used; ++lane)
                    watch.care.emplace_back(scenarios[start + lane]);
                watch.care_over.assign(used, 0);
            }
            const LaneObserver observer{observe, &watch};
            kernel.integrate(batch, lane_figures, window_ > 0 || care ? &observer : nullptr);
            for (int lane = 0; lane < used; ++lane) {
                figures[start + lane] = lane_run_figures(lane_figures, lane, batch.steps);
                if (!keep_figures || !capacity.set) continue;
                (*over)[first + start + lane] =
                    care_over ? watch.care_over[lane]
                              : figures[start + lane].peak_infectious > capacity.capacity;
            }
        }
        if (!keep_figures) return;
        std::vector<int> columns;
        for (const char* name : INTERVAL_FIGURES)
            columns.push_back(column_of(name));
        std::vector<double> values(columns.size());
        for (long long i = 0; i < count; ++i) {
            figure_values(scenarios[i], figures[i], columns, values);
            for (std::size_t f = 0; f < columns.size(); ++f)
                result_.figures[f * samples + first + i] = values[f];
        }
    }

private:
    struct Watch {
        EnsemblePass* pass;
        long long first_sample;
        int used;
        int steps;
        std::vector<CareStepper> care;  // a lane each, when the care layer rides along
        std::vector<unsigned char> care_over;
        bool track_over;
    };

    static void observe(void* context, int step, const LaneStepState& state) {
        Watch& watch = *static_cast<Watch*>(context);
        EnsemblePass& pass = *watch.pass;
        const int r = step - pass.row0_;
        const bool in_window = r >= 0 && r < pass.window_;
        const long long samples = pass.result_.samples;
        if (!watch.care.empty()) care_row(watch, step, state, in_window ? r : -1);
        if (!in_window) return;
        if (watch.first_sample == 0) pass.result_.t[step] = state.t.lane[0];
        for (int c = 0; c < COMPARTMENT_COUNT; ++c) {
            double* out =
                &pass.rows[(static_cast<std::size_t>(r) * COMPARTMENT_COUNT + c) * samples +
                           watch.first_sample];
            for (int lane = 0; lane < watch.used; ++lane)
                out[lane] = state.y[c].lane[lane];
        }
    }

    // The care values of each lane at this row (kept when the row r is in
    // the window, held against the capacity), then its step taken.
    static void care_row(Watch& watch, int step, const LaneStepState& state, int r) {
        EnsemblePass& pass = *watch.pass;
        const long long samples = pass.result_.samples;
        const CapacitySetting& capacity = pass.plan_.capacity;
        for (int lane = 0; lane < watch.used; ++lane) {
            CareStepper& care = watch.care[lane];
            if (r >= 0 && !pass.care_rows.empty()) {
                for (int k = 0; k < CARE_SERIES_COUNT; ++k) {
                    pass.care_rows[(static_cast<std::size_t>(r) * CARE_SERIES_COUNT + k) * samples +
                                   watch.first_sample + lane] = care.value(ALL_CARE_SERIES[k]);
                }
            }
            if (watch.track_over && care.value(care_series_of(capacity.series)) > capacity.capacity)
                watch.care_over[lane] = 1;
            if (step >= watch.steps) continue;
            const double y[COMPARTMENT_COUNT] = {state.y[0].lane[lane], state.y[1].lane[lane],
                                                 state.y[2].lane[lane], state.y[3].lane[lane]};
            care.step_with_beta(y, state.beta.lane[lane]);
        }
    }

    const EnsemblePlan& plan_;
    EnsembleResult& result_;
    int row0_, window_;
};

}  // namespace

bool run_ensemble(const EnsemblePlan& plan, const EnsembleSettings& settings,
                  EnsembleResult& result, ScenarioRefusal& refused) {
    result = EnsembleResult{};
    const long long samples = std::max<long long>(plan.samples, 1);
    result.samples = samples;
    const std::size_t k = plan.ranges.size();

    RangedScenarioBuilder central(plan);
    std::vector<double> centres(k);
    for (std::size_t j = 0; j < k; ++j)
        centres[j] = plan.ranges[j].centre();
    if (!central.build(centres, result.central, refused)) return false;
    result.central_figures = integrate_run_figures(result.central);

    result.sampled.assign(k * samples, 0.0);
    result.figures.assign(static_cast<std::size_t>(INTERVAL_FIGURE_COUNT) * samples, 0.0);
    const int rows = lane_steps(result.central) + 1;
    const long long blocks = (samples + BLOCK_SAMPLES - 1) / BLOCK_SAMPLES;
    const int series_per_row =
        COMPARTMENT_COUNT + (settings.bands && plan.care.enabled ? CARE_SERIES_COUNT : 0);
    const std::size_t row_bytes = static_cast<std::size_t>(samples) * series_per_row * 8;
    const int window =
        settings.bands
            ? static_cast<int>(std::clamp<std::size_t>(settings.band_memory / row_bytes, 1, rows))
            : 0;
    result.has_care_bands = settings.bands && plan.care.enabled;
    result.has_capacity = plan.capacity.set;
    std::vector<unsigned char> over(plan.capacity.set ? samples : 0, 0);
    if (settings.bands) {
        result.band_compartments = settings.band_compartments;
        if (result.has_care_bands) {
            result.care_band.assign(
                static_cast<std::size_t>(rows) * CARE_SERIES_COUNT * BAND_LEVEL_COUNT, 0.0);
        }
        result.rows = rows;
        result.t.assign(rows, 0.0);
        result.band.assign(static_cast<std::size_t>(rows) * COMPARTMENT_COUNT * BAND_LEVEL_COUNT,
                           0.0);
    }
    for (int row0 = 0; row0 == 0 || (settings.bands && row0 < rows); row0 += window) {
        const int in_window = settings.bands ? std::min(window, rows - row0) : 0;
        EnsemblePass pass(plan, result, row0, in_window);
        pass.keep_figures = row0 == 0;
        pass.over = &over;
        pass.refused.resize(blocks);
        pass.rows.assign(static_cast<std::size_t>(in_window) * COMPARTMENT_COUNT * samples, 0.0);
        if (result.has_care_bands) {
            pass.care_rows.assign(static_cast<std::size_t>(in_window) * CARE_SERIES_COUNT * samples,
                                  0.0);
        }
        settings.runner(blocks, [&pass](long long block) { pass.work(block); });
        for (const std::optional<ScenarioRefusal>& block_refusal : pass.refused) {
            if (!block_refusal) continue;
            refused = *block_refusal;
            return false;
        }
        // Each row's quantiles from its own values: rows share out as blocks.
        const long long row_blocks = in_window;
        settings.runner(row_blocks, [&](long long r) {
            std::vector<std::uint64_t> keys;
            for (int c = 0; c < COMPARTMENT_COUNT; ++c) {
                if ((settings.band_compartments & (1u << c)) == 0) continue;
                const std::size_t cell = static_cast<std::size_t>(r) * COMPARTMENT_COUNT + c;
                const std::span<double> values(&pass.rows[cell * samples], samples);
                const std::size_t out =
                    ((static_cast<std::size_t>(row0 + r)) * COMPARTMENT_COUNT + c) *
                    BAND_LEVEL_COUNT;
                order_statistics(values, BAND_LEVELS,
                                 std::span<double>(&result.band[out], BAND_LEVEL_COUNT), keys);
            }
            if (!result.has_care_bands) return;
            for (int k = 0; k < CARE_SERIES_COUNT; ++k) {
                const std::size_t cell = static_cast<std::size_t>(r) * CARE_SERIES_COUNT + k;
                const std::span<double> values(&pass.care_rows[cell * samples], samples);
                const std::size_t out =
                    ((static_cast<std::size_t>(row0 + r)) * CARE_SERIES_COUNT + k) *
                    BAND_LEVEL_COUNT;
                order_statistics(values, BAND_LEVELS,
                                 std::span<double>(&result.care_band[out], BAND_LEVEL_COUNT), keys);
            }
        });
        if (!settings.bands) break;
    }

    if (result.has_capacity) {
        long long above = 0;
        for (unsigned char sample_over : over)
            above += sample_over;
        result.over_capacity = static_cast<double>(above) / static_cast<double>(samples);
    }
    result.intervals.assign(static_cast<std::size_t>(INTERVAL_FIGURE_COUNT) * INTERVAL_LEVEL_COUNT,
                            0.0);
    std::vector<std::uint64_t> keys;
    for (int f = 0; f < INTERVAL_FIGURE_COUNT; ++f) {
        order_statistics(
            std::span<const double>(&result.figures[f * samples], samples), INTERVAL_LEVELS,
            std::span<double>(&result.intervals[f * INTERVAL_LEVEL_COUNT], INTERVAL_LEVEL_COUNT),
            keys);
    }
    return true;
}

namespace {

const char* const COMPARTMENT_LETTERS[COMPARTMENT_COUNT] = {"S", "E", "I", "R"};

}  // namespace

std::string bands_csv_text(const EnsembleResult& result) {
    std::string text = "step,t";
    for (int c = 0; c < COMPARTMENT_COUNT; ++c) {
        if ((result.band_compartments & (1u << c)) == 0) continue;
        for (const char* level : BAND_LEVEL_NAMES)
            text += std::string(",") + COMPARTMENT_LETTERS[c] + "_" + level;
    }
    if (result.has_care_bands) {
        for (const char* series : CARE_SERIES_NAMES) {
            for (const char* level : BAND_LEVEL_NAMES)
                text += std::string(",") + series + "_" + level;
        }
    }
    text += '\n';
    for (int r = 0; r < result.rows; ++r) {
        text += std::to_string(r);
        text += ',';
        append_shortest(text, result.t[r]);
        for (int c = 0; c < COMPARTMENT_COUNT; ++c) {
            if ((result.band_compartments & (1u << c)) == 0) continue;
            for (int l = 0; l < BAND_LEVEL_COUNT; ++l) {
                text += ',';
                append_shortest(text, result.band_value(r, c, l));
            }
        }
        if (result.has_care_bands) {
            for (CareSeries series : ALL_CARE_SERIES) {
                for (int l = 0; l < BAND_LEVEL_COUNT; ++l) {
                    text += ',';
                    append_shortest(text, result.care_band_value(r, series, l));
                }
            }
        }
        text += '\n';
    }
    return text;
}

}  // namespace morbilex
