// The search for a plan that keeps a series at or under a capacity for the
// whole run, with the epidemic over by T_max, and the fewest days under
// reduction (ties: fewer switches, then the lower peak). A grid over the
// search space, then finer grids around the best, every plan integrated on
// the lane kernel; the answer is the same for any way the runs are shared out.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/capacity.h"
#include "analysis/run_figures.h"

namespace morbilex {

enum class PlanKind { OneTime, Intermittent };

// "one-time" or "intermittent"; the kind of a name (false for another).
const char* plan_kind_name(PlanKind kind);
bool plan_kind_of_name(std::string_view name, PlanKind& kind);

inline constexpr int PLAN_AXIS_COUNT = 3;

// One bounded field of the search: its name, its quantum (values are whole
// multiples of 1 / denominator) and its bounds.
struct PlanAxis {
    const char* name;
    int denominator;
    double low;
    double high;
};

// One-time: start (day), length (days), reduction of a single window.
// Intermittent: on, off (persons per 10,000; off < on), reduction.
struct PlanSpace {
    PlanKind kind = PlanKind::OneTime;
    PlanAxis axes[PLAN_AXIS_COUNT];
};

// The default space for a run of the base's duration against a capacity.
PlanSpace default_plan_space(PlanKind kind, const ScenarioInputs& base,
                             const CapacitySetting& capacity);
// Bounds FIELD to low..high; false with a reason naming the fields there are.
bool bound_plan_axis(PlanSpace& space, std::string_view field, double low, double high,
                     std::string& error);

// One plan: a value for each axis.
struct PlanValues {
    double value[PLAN_AXIS_COUNT] = {};
};

// The base scenario with the plan in force (mode 1 with window 1 the plan's
// and windows 2 and 3 empty, or mode 2), as the plan's dialog leaves it.
ScenarioInputs plan_scenario(const ScenarioInputs& base, PlanKind kind, const PlanValues& plan);

// A plan and what its run did.
struct PlanOutcome {
    PlanValues plan;
    ScenarioInputs scenario;
    RunFigures figures;
    double days_reduced = 0.0;
    double peak = 0.0;   // of the capacity's series
    bool ended = false;  // not still running at T_max
    bool meets = false;  // ended, and the peak at or under the capacity
};

// True when a is the better plan: meeting the limit first; among those, fewer
// days under reduction, then fewer switches, then the lower peak; among the
// others, ended first, then the lower peak, then fewer days and switches.
bool better_plan(const PlanOutcome& a, const PlanOutcome& b);

// Figures of many scenarios, figures[k] of scenarios[k]; a caller may share
// them out over threads (the figures of one scenario never depend on others).
using PlanEvaluator = std::function<void(std::span<const ScenarioInputs>, std::span<RunFigures>)>;

struct PlanSearchResult {
    bool met = false;  // some plan meets the limit: best is the best of them
    PlanOutcome best;  // or, when none does, the closest
    // The trade-off: the best (or closest) first, then by days the plans that
    // end by T_max and are beaten on both days under reduction and peak by
    // no other.
    std::vector<PlanOutcome> front;
    long runs = 0;
};

// Searches the space around the base (its model; its mode is replaced).
// Spaces whose grid of quanta holds at most EXHAUSTIVE_PLAN_LIMIT plans are
// searched whole.
inline constexpr long EXHAUSTIVE_PLAN_LIMIT = 20000;
PlanSearchResult find_plan(const ScenarioInputs& base, const PlanSpace& space,
                           const CapacitySetting& capacity, const PlanEvaluator& evaluate = {});

}  // namespace morbilex
