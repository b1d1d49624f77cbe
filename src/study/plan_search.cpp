#include "study/plan_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <set>

namespace morbilex {
namespace {

using PlanIndex = std::array<long, PLAN_AXIS_COUNT>;

// Days are searched in quarters, reductions in hundredths, thresholds in
// quarters of a person: every value has a short exact text.
constexpr int DAY_DENOMINATOR = 4;
constexpr int FRACTION_DENOMINATOR = 100;
constexpr int PERSON_DENOMINATOR = 4;

// The grid's points along one axis: whole multiples of the quantum.
struct AxisIndices {
    long low = 0;
    long high = -1;
    long count() const { return high >= low ? high - low + 1 : 0; }
};

AxisIndices indices_of(const PlanAxis& axis) {
    AxisIndices indices;
    indices.low = static_cast<long>(std::ceil(axis.low * axis.denominator));
    indices.high = static_cast<long>(std::floor(axis.high * axis.denominator));
    return indices;
}

double value_of(const PlanAxis& axis, long index) {
    return static_cast<double>(index) / axis.denominator;
}

// The peak of the capacity's series: the lanes keep the infectious peak; a
// care series is integrated once more per plan, by the single run's loop, so
// every plan's peak is its single run's to the bit.
double series_peak(const ScenarioInputs& scenario, const RunFigures& figures,
                   const CapacitySetting& capacity) {
    if (!capacity_on_care(capacity.series)) return figures.peak_infectious;
    return integrate_against_capacity(scenario, capacity).capacity.peak;
}

class Search {
public:
    Search(const ScenarioInputs& base, const PlanSpace& space, const CapacitySetting& capacity,
           const PlanEvaluator& evaluate)
        : base_(base), space_(space), capacity_(capacity), evaluate_(evaluate) {
        for (int a = 0; a < PLAN_AXIS_COUNT; ++a)
            axes_[a] = indices_of(space.axes[a]);
    }

    PlanSearchResult run() {
        long whole = 1;
        for (const AxisIndices& axis : axes_) {
            whole =
                axis.count() == 0 ? 0 : std::min(whole * axis.count(), EXHAUSTIVE_PLAN_LIMIT + 1);
        }
        PlanSearchResult result;
        if (whole == 0) return result;
        if (whole <= EXHAUSTIVE_PLAN_LIMIT) {
            grid(std::array<long, PLAN_AXIS_COUNT>{1, 1, 1}, axes_);
        } else {
            refine();
        }
        return finish(result);
    }

private:
    // Every point low + k * step of each axis (and the high end).
    void grid(const std::array<long, PLAN_AXIS_COUNT>& step,
              const std::array<AxisIndices, PLAN_AXIS_COUNT>& bounds) {
        std::vector<PlanIndex> points;
        std::array<std::vector<long>, PLAN_AXIS_COUNT> along;
        for (int a = 0; a < PLAN_AXIS_COUNT; ++a) {
            for (long i = bounds[a].low; i <= bounds[a].high; i += step[a])
                along[a].push_back(i);
            if (along[a].empty() || along[a].back() != bounds[a].high) {
                along[a].push_back(bounds[a].high);
            }
        }
        for (long i : along[0]) {
            for (long j : along[1]) {
                for (long k : along[2])
                    points.push_back({i, j, k});
            }
        }
        evaluate(points);
    }

    // A coarse grid, then grids of half the spacing around the best until the
    // spacing is one quantum and the best stays where it is.
    void refine() {
        constexpr long COARSE_POINTS = 20;
        std::array<long, PLAN_AXIS_COUNT> step{};
        for (int a = 0; a < PLAN_AXIS_COUNT; ++a) {
            const long count = axes_[a].count();
            step[a] =
                count <= COARSE_POINTS ? 1 : (count - 1 + COARSE_POINTS - 2) / (COARSE_POINTS - 1);
        }
        grid(step, axes_);
        for (int pass = 0; pass < 64 && best_ >= 0; ++pass) {
            bool finest = true;
            for (long& s : step) {
                s = std::max(1L, (s + 1) / 2);
                finest = finest && s == 1;
            }
            const PlanIndex centre = indices_[best_];
            std::vector<PlanIndex> points;
            for (long i = -2; i <= 2; ++i) {
                for (long j = -2; j <= 2; ++j) {
                    for (long k = -2; k <= 2; ++k) {
                        const long offset[PLAN_AXIS_COUNT] = {i, j, k};
                        PlanIndex point{};
                        for (int a = 0; a < PLAN_AXIS_COUNT; ++a) {
                            point[a] = std::clamp(centre[a] + offset[a] * step[a], axes_[a].low,
                                                  axes_[a].high);
                        }
                        points.push_back(point);
                    }
                }
            }
            const int before = best_;
            evaluate(points);
            if (finest && best_ == before) break;
        }
    }

    // The plans not seen before, in order, integrated together.
    void evaluate(const std::vector<PlanIndex>& points) {
        std::vector<PlanIndex> fresh;
        std::vector<ScenarioInputs> scenarios;
        for (const PlanIndex& point : points) {
            PlanValues plan;
            for (int a = 0; a < PLAN_AXIS_COUNT; ++a)
                plan.value[a] = value_of(space_.axes[a], point[a]);
            if (space_.kind == PlanKind::Intermittent && !(plan.value[1] < plan.value[0])) continue;
            if (!seen_.insert(point).second) continue;
            fresh.push_back(point);
            scenarios.push_back(plan_scenario(base_, space_.kind, plan));
        }
        std::vector<RunFigures> figures(scenarios.size());
        if (evaluate_) {
            evaluate_(scenarios, figures);
        } else {
            integrate_run_figures(std::span<const ScenarioInputs>(scenarios), figures);
        }
        const double dt = base_.model.dt;
        const double capacity =
            capacity_.set ? capacity_.capacity : std::numeric_limits<double>::infinity();
        for (std::size_t k = 0; k < fresh.size(); ++k) {
            PlanOutcome outcome;
            for (int a = 0; a < PLAN_AXIS_COUNT; ++a)
                outcome.plan.value[a] = value_of(space_.axes[a], fresh[k][a]);
            outcome.scenario = scenarios[k];
            outcome.figures = figures[k];
            outcome.days_reduced = figures[k].steps_reduced * dt;
            outcome.peak = series_peak(scenarios[k], figures[k], capacity_);
            outcome.ended = !still_running(figures[k]) && figures[k].first_non_finite_row < 0;
            outcome.meets = outcome.ended && outcome.peak <= capacity;
            outcomes_.push_back(outcome);
            indices_.push_back(fresh[k]);
            const int index = static_cast<int>(outcomes_.size()) - 1;
            if (best_ < 0 || better_plan(outcome, outcomes_[best_])) best_ = index;
        }
    }

    PlanSearchResult& finish(PlanSearchResult& result) {
        result.runs = static_cast<long>(outcomes_.size());
        if (best_ < 0) return result;
        result.best = outcomes_[best_];
        result.met = result.best.meets;
        // The front: by days, then peak, then switches; a plan joins when its
        // peak is below that of every plan with no more days.
        std::vector<int> order;
        for (int k = 0; k < static_cast<int>(outcomes_.size()); ++k) {
            if (outcomes_[k].ended) order.push_back(k);
        }
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            const PlanOutcome& x = outcomes_[a];
            const PlanOutcome& y = outcomes_[b];
            if (x.days_reduced != y.days_reduced) return x.days_reduced < y.days_reduced;
            if (x.peak != y.peak) return x.peak < y.peak;
            return x.figures.switches_on < y.figures.switches_on;
        });
        result.front.push_back(result.best);
        double lowest = std::numeric_limits<double>::infinity();
        for (int k : order) {
            if (!(outcomes_[k].peak < lowest)) continue;
            lowest = outcomes_[k].peak;
            if (k != best_) result.front.push_back(outcomes_[k]);
        }
        return result;
    }

    const ScenarioInputs& base_;
    const PlanSpace& space_;
    const CapacitySetting& capacity_;
    const PlanEvaluator& evaluate_;
    std::array<AxisIndices, PLAN_AXIS_COUNT> axes_;
    std::set<PlanIndex> seen_;
    std::vector<PlanOutcome> outcomes_;
    std::vector<PlanIndex> indices_;
    int best_ = -1;
};

}  // namespace

const char* plan_kind_name(PlanKind kind) {
    return kind == PlanKind::OneTime ? "one-time" : "intermittent";
}

bool plan_kind_of_name(std::string_view name, PlanKind& kind) {
    if (name == "one-time") {
        kind = PlanKind::OneTime;
        return true;
    }
    if (name == "intermittent") {
        kind = PlanKind::Intermittent;
        return true;
    }
    return false;
}

PlanSpace default_plan_space(PlanKind kind, const ScenarioInputs& base,
                             const CapacitySetting& capacity) {
    PlanSpace space;
    space.kind = kind;
    const double duration = std::max(base.model.n_steps, 0) * base.model.dt;
    const double t_max = std::isfinite(duration) ? duration : 0.0;
    if (kind == PlanKind::OneTime) {
        space.axes[0] = {"start", DAY_DENOMINATOR, 0.0, t_max};
        space.axes[1] = {"length", DAY_DENOMINATOR, 1.0, t_max};
        space.axes[2] = {"reduction", FRACTION_DENOMINATOR, 0.1, 0.9};
    } else {
        // Thresholds above the capacity cannot keep the infectious under it
        // (the thresholds are on I, so a care series' capacity says nothing).
        const bool on_infectious = !capacity_on_care(capacity.series);
        const double top =
            on_infectious && capacity.set && capacity.capacity > 1.0 ? capacity.capacity : 1000.0;
        space.axes[0] = {"on", PERSON_DENOMINATOR, 1.0, top};
        space.axes[1] = {"off", PERSON_DENOMINATOR, 0.0, top};
        space.axes[2] = {"reduction", FRACTION_DENOMINATOR, 0.1, 0.9};
    }
    return space;
}

bool bound_plan_axis(PlanSpace& space, std::string_view field, double low, double high,
                     std::string& error) {
    std::string names;
    for (PlanAxis& axis : space.axes) {
        if (field == axis.name) {
            if (!(std::isfinite(low) && std::isfinite(high) && low <= high)) {
                error = "the bounds are two finite numbers LOW:HIGH with LOW <= HIGH";
                return false;
            }
            if (axis.denominator == FRACTION_DENOMINATOR && !(low >= 0.0 && high <= 1.0)) {
                error = "a reduction lies between 0 and 1";
                return false;
            }
            if (std::floor(high * axis.denominator) < std::ceil(low * axis.denominator)) {
                error = std::string("no value of ") + axis.name + " lies between the bounds";
                return false;
            }
            axis.low = low;
            axis.high = high;
            return true;
        }
        names += names.empty() ? "" : ", ";
        names += axis.name;
    }
    error = std::string("a ") + plan_kind_name(space.kind) + " plan is searched over " + names;
    return false;
}

ScenarioInputs plan_scenario(const ScenarioInputs& base, PlanKind kind, const PlanValues& plan) {
    ScenarioInputs scenario = base;
    if (kind == PlanKind::OneTime) {
        scenario.mode = MODE_ONE_TIME;
        OneTimePlan& p = scenario.one_time;
        p.Redct1 = plan.value[2];
        p.t_srt1 = plan.value[0];
        p.t_stp1 = plan.value[0] + plan.value[1];
        p.Redct2 = p.Redct3 = 0.0;
        p.t_srt2 = p.t_stp2 = p.t_srt3 = p.t_stp3 = p.t_stp1;
    } else {
        scenario.mode = MODE_INTERMITTENT;
        scenario.intermittent.On_threshold = plan.value[0];
        scenario.intermittent.Off_threshold = plan.value[1];
        scenario.intermittent.Reduction = plan.value[2];
    }
    return scenario;
}

bool better_plan(const PlanOutcome& a, const PlanOutcome& b) {
    if (a.meets != b.meets) return a.meets;
    const int switches_a = a.figures.switches_on;
    const int switches_b = b.figures.switches_on;
    if (a.meets) {
        if (a.days_reduced != b.days_reduced) return a.days_reduced < b.days_reduced;
        if (switches_a != switches_b) return switches_a < switches_b;
        return a.peak < b.peak;
    }
    if (a.ended != b.ended) return a.ended;
    if (a.peak != b.peak) return a.peak < b.peak;
    if (a.days_reduced != b.days_reduced) return a.days_reduced < b.days_reduced;
    return switches_a < switches_b;
}

PlanSearchResult find_plan(const ScenarioInputs& base, const PlanSpace& space,
                           const CapacitySetting& capacity, const PlanEvaluator& evaluate) {
    return Search(base, space, capacity, evaluate).run();
}

}  // namespace morbilex
