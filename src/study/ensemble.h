// An ensemble: the scenario of the other fields with every ranged field drawn
// from its range at the points of the sample sequence, each sample a whole run
// on the lane kernel, bit for bit the single run of the same typed values.
// From its runs: the central run (every range at its centre), per-step bands
// of each compartment and the intervals of the run's figures. The same
// numbers for any way the blocks are shared out.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "analysis/capacity.h"
#include "analysis/run_summary.h"
#include "study/parameter_range.h"
#include "study/sample_sequence.h"

namespace morbilex {

inline constexpr long long DEFAULT_ENSEMBLE_SAMPLES = 1024;
inline constexpr long long LARGEST_ENSEMBLE_SAMPLES = 1'000'000;

// The levels of the bands: the outer pair is the 90 % band, the inner the 50 %.
inline constexpr double BAND_LEVELS[] = {0.05, 0.25, 0.5, 0.75, 0.95};
inline constexpr int BAND_LEVEL_COUNT = static_cast<int>(std::size(BAND_LEVELS));
inline constexpr const char* BAND_LEVEL_NAMES[] = {"p5", "p25", "p50", "p75", "p95"};
// The levels of a figure's interval.
inline constexpr double INTERVAL_LEVELS[] = {0.05, 0.5, 0.95};
inline constexpr int INTERVAL_LEVEL_COUNT = static_cast<int>(std::size(INTERVAL_LEVELS));
inline constexpr const char* INTERVAL_LEVEL_NAMES[] = {"p5", "p50", "p95"};
// The summary columns given with intervals.
inline constexpr const char* INTERVAL_FIGURES[] = {
    "peak_infectious", "peak_infectious_day", "final_R", "attack_rate",
    "days_reduced",    "switches_on",         "final_S",
};
inline constexpr int INTERVAL_FIGURE_COUNT = static_cast<int>(std::size(INTERVAL_FIGURES));

// The value a share `level` of the values lies at or below: the order
// statistic of rank ceil(level * n) (at least the first), with -0 before +0
// and NaN after every number, so the value is one of the values and the same
// bits whatever order they came in (any NaN reads as the quiet NaN); n > 0.
double order_statistic(std::span<const double> values, double level);

// Works blocks 0..count-1, each once; the blocks may run at the same time on
// any threads. in_order runs them one after another.
using BlockRunner = std::function<void(long long count, const std::function<void(long long)>&)>;
void in_order(long long count, const std::function<void(long long)>& work);

struct EnsemblePlan {
    std::vector<TypedField> base;  // the other fields as typed
    InterventionMode mode = MODE_NO_INTERVENTION;
    std::vector<ParameterRange> ranges;
    long long samples = DEFAULT_ENSEMBLE_SAMPLES;
    // The care layer's fields of every sample (not ranged); with care.enabled
    // the bands of its series come with the compartments'.
    CareParameters care;
    // With capacity.set: the share of samples whose series goes over it.
    CapacitySetting capacity;
};

// Sets up scenarios of a plan with the ranged fields at given values, through
// the dialogs as typed values: one per thread.
class RangedScenarioBuilder {
public:
    explicit RangedScenarioBuilder(const EnsemblePlan& plan);
    // values[j] for plan.ranges[j]; false with refused filled in.
    bool build(std::span<const double> values, ScenarioInputs& inputs, ScenarioRefusal& refused);
    // Each range at the value_at of the unit point's coordinate.
    bool build_at(std::span<const double> unit, ScenarioInputs& inputs, ScenarioRefusal& refused);

private:
    const EnsemblePlan& plan_;
    std::unique_ptr<Records> records_;
    std::vector<TypedField> typed_;
    std::size_t first_ranged_ = 0;
    std::vector<double> values_;
};

// The figures of scenarios[k] in figures[k], on the widest lane kernel.
void integrate_many(std::span<const ScenarioInputs> scenarios, std::span<RunFigures> figures);

// The columns of INTERVAL_FIGURES (or any summary columns) of a run.
void figure_values(const ScenarioInputs& scenario, const RunFigures& figures,
                   std::span<const int> columns, std::span<double> out);

struct EnsembleResult {
    long long samples = 0;
    ScenarioInputs central;
    RunFigures central_figures;
    // sampled[j * samples + i]: the value of range j in sample i.
    std::vector<double> sampled;
    // figures[f * samples + i]: INTERVAL_FIGURES[f] of sample i (as in the summary).
    std::vector<double> figures;
    // intervals[f * INTERVAL_LEVEL_COUNT + l].
    std::vector<double> intervals;
    // With bands: rows = steps + 1; t[r]; band[(r * 4 + c) * BAND_LEVEL_COUNT + l].
    int rows = 0;
    unsigned band_compartments = 0;  // bit k: compartment k's bands were computed
    std::vector<double> t;
    std::vector<double> band;

    double band_value(int row, int compartment, int level) const {
        return band[(static_cast<std::size_t>(row) * COMPARTMENT_COUNT + compartment) *
                        BAND_LEVEL_COUNT +
                    level];
    }
    double interval(int figure, int level) const {
        return intervals[static_cast<std::size_t>(figure) * INTERVAL_LEVEL_COUNT + level];
    }
    // With bands and the care layer on: care_band[(r * 3 + k) * BAND_LEVEL_COUNT + l]
    // of CareSeries k.
    bool has_care_bands = false;
    std::vector<double> care_band;
    double care_band_value(int row, CareSeries series, int level) const {
        return care_band[(static_cast<std::size_t>(row) * CARE_SERIES_COUNT +
                          static_cast<int>(series)) *
                             BAND_LEVEL_COUNT +
                         level];
    }
    // With a capacity: the share of samples whose series lies above it
    // (strictly) in some row, as the single run's first day over says.
    bool has_capacity = false;
    double over_capacity = 0.0;
    // The share of samples whose figure lies above a limit (a capacity).
    double share_above(int figure, double limit) const;
};

struct EnsembleSettings {
    bool bands = true;
    // Most bytes the per-step values of one pass hold; beyond it the samples
    // are integrated again for each further window of rows.
    std::size_t band_memory = std::size_t{256} << 20;
    // Bit k: compartment k's bands are computed (the others stay 0).
    unsigned band_compartments = (1u << COMPARTMENT_COUNT) - 1;
    BlockRunner runner = in_order;
};

// false with refused filled in when a sample cannot run (its run_id is the
// sample's number from 1; 0 for the central run).
bool run_ensemble(const EnsemblePlan& plan, const EnsembleSettings& settings,
                  EnsembleResult& result, ScenarioRefusal& refused);

// The bands as CSV: step, t, then S_p5 ... R_p95 (the compartments computed),
// every number its shortest text.
std::string bands_csv_text(const EnsembleResult& result);

// The summary column of the share over the capacity, and the share as a
// reader sees it: "12.5 % of samples".
inline constexpr const char* OVER_CAPACITY_COLUMN = "p_over_capacity";
std::string over_capacity_text(const EnsembleResult& result);

// Checks that the dialogs take each range's ends (and mode) as typed; false
// with the field refusal.
bool ranges_acceptable(const EnsemblePlan& plan, ScenarioRefusal& refused);

}  // namespace morbilex
