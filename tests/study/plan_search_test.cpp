#include "study/plan_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace morbilex {
namespace {

// Every plan of a small space run alone, one by one: none that meets the
// limit beats the search's best, and the best and every plan of the front
// are what their single runs give.
void expect_best_of_whole_grid(PlanKind kind, const PlanSpace& space, double capacity,
                               bool some_plan_meets,
                               CapacitySeries series = CapacitySeries::Infectious) {
    ScenarioInputs base;
    base.model.n_steps = 2000;  // 500 days: time for most plans to end
    const CapacitySetting setting{true, capacity, series};
    const PlanSearchResult result = find_plan(base, space, setting);
    ASSERT_GT(result.runs, 0);

    bool any_meets = false;
    double fewest_days = std::numeric_limits<double>::infinity();
    long plans = 0;
    for (long i = std::lround(space.axes[0].low * space.axes[0].denominator);
         i <= std::lround(space.axes[0].high * space.axes[0].denominator); ++i) {
        for (long j = std::lround(space.axes[1].low * space.axes[1].denominator);
             j <= std::lround(space.axes[1].high * space.axes[1].denominator); ++j) {
            for (long k = std::lround(space.axes[2].low * space.axes[2].denominator);
                 k <= std::lround(space.axes[2].high * space.axes[2].denominator); ++k) {
                PlanValues plan;
                plan.value[0] = static_cast<double>(i) / space.axes[0].denominator;
                plan.value[1] = static_cast<double>(j) / space.axes[1].denominator;
                plan.value[2] = static_cast<double>(k) / space.axes[2].denominator;
                if (kind == PlanKind::Intermittent && !(plan.value[1] < plan.value[0])) continue;
                ++plans;
                const RunAgainstCapacity run =
                    integrate_against_capacity(plan_scenario(base, kind, plan), setting);
                const RunFigures& f = run.figures;
                if (still_running(f) || run.capacity.peak > capacity) continue;
                any_meets = true;
                fewest_days = std::min(fewest_days, f.steps_reduced * base.model.dt);
            }
        }
    }
    EXPECT_EQ(result.runs, plans);
    EXPECT_EQ(result.met, any_meets);
    EXPECT_EQ(result.best.meets, any_meets);
    EXPECT_EQ(any_meets, some_plan_meets);
    if (any_meets) {
        EXPECT_EQ(result.best.days_reduced, fewest_days);
    }

    ASSERT_FALSE(result.front.empty());
    EXPECT_EQ(result.front.front().plan.value[0], result.best.plan.value[0]);
    for (const PlanOutcome& outcome : result.front) {
        const RunAgainstCapacity run =
            integrate_against_capacity(plan_scenario(base, kind, outcome.plan), setting);
        const RunFigures& alone = run.figures;
        EXPECT_EQ(run.capacity.peak, outcome.peak);
        EXPECT_EQ(alone.steps_reduced * base.model.dt, outcome.days_reduced);
        EXPECT_EQ(still_running(alone), !outcome.ended);
    }
}

constexpr double HOSPITAL_LIMIT = 20.0;

TEST(PlanSearch, BestOfSmallSpacesAgainstEveryPlan) {
    ScenarioInputs base;
    const CapacitySetting setting{true, 400.0, CapacitySeries::Infectious};
    PlanSpace one_time = default_plan_space(PlanKind::OneTime, base, setting);
    std::string error;
    ASSERT_TRUE(bound_plan_axis(one_time, "start", 76.0, 78.0, error));
    ASSERT_TRUE(bound_plan_axis(one_time, "length", 44.0, 46.0, error));
    ASSERT_TRUE(bound_plan_axis(one_time, "reduction", 0.5, 0.53, error));
    expect_best_of_whole_grid(PlanKind::OneTime, one_time, 400.0, true);
    // Held on a care series: its peaks are the care layer's.
    expect_best_of_whole_grid(PlanKind::OneTime, one_time, HOSPITAL_LIMIT, true,
                              CapacitySeries::Hospital);

    PlanSpace intermittent = default_plan_space(PlanKind::Intermittent, base, setting);
    ASSERT_TRUE(bound_plan_axis(intermittent, "on", 262.0, 266.0, error));
    ASSERT_TRUE(bound_plan_axis(intermittent, "off", 254.0, 258.0, error));
    ASSERT_TRUE(bound_plan_axis(intermittent, "reduction", 0.88, 0.9, error));
    expect_best_of_whole_grid(PlanKind::Intermittent, intermittent, 300.0, true);
    // A limit no plan of the space keeps: the closest is told.
    expect_best_of_whole_grid(PlanKind::Intermittent, intermittent, 10.0, false);

    EXPECT_FALSE(bound_plan_axis(intermittent, "start", 0.0, 1.0, error));
    EXPECT_FALSE(bound_plan_axis(intermittent, "reduction", 0.5, 1.5, error));
}

// The default space, searched with the runs shared out in two different
// ways, gives the same plans.
TEST(PlanSearch, SameAnswerHoweverTheRunsAreShared) {
    ScenarioInputs base;
    const CapacitySetting setting{true, 300.0, CapacitySeries::Infectious};
    const PlanSpace space = default_plan_space(PlanKind::Intermittent, base, setting);
    const PlanSearchResult whole = find_plan(base, space, setting);
    const PlanEvaluator one_by_one = [](std::span<const ScenarioInputs> scenarios,
                                        std::span<RunFigures> figures) {
        for (std::size_t k = 0; k < scenarios.size(); ++k)
            figures[k] = integrate_run_figures(scenarios[k]);
    };
    const PlanSearchResult single = find_plan(base, space, setting, one_by_one);
    EXPECT_TRUE(whole.met);
    EXPECT_LE(whole.best.peak, 300.0);
    EXPECT_EQ(whole.runs, single.runs);
    ASSERT_EQ(whole.front.size(), single.front.size());
    for (std::size_t k = 0; k < whole.front.size(); ++k) {
        for (int a = 0; a < PLAN_AXIS_COUNT; ++a)
            EXPECT_EQ(whole.front[k].plan.value[a], single.front[k].plan.value[a]);
        EXPECT_EQ(whole.front[k].peak, single.front[k].peak);
    }
}

}  // namespace
}  // namespace morbilex
