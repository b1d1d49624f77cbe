#include "analysis/run_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace morbilex {
namespace {

ScenarioInputs scenario_of_mode(InterventionMode mode) {
    ScenarioInputs scenario;
    scenario.mode = mode;
    return scenario;
}

TEST(RunFigures, DefaultRunsOfEachMode) {
    const RunFigures none = integrate_run_figures(scenario_of_mode(MODE_NO_INTERVENTION));
    EXPECT_EQ(none.peak_infectious_row, 399);
    EXPECT_NEAR(none.peak_infectious, 1196.64, 0.005);
    EXPECT_NEAR(none.final_S, 1073.65, 0.005);
    EXPECT_NEAR(none.final_R, 8926.06, 0.005);
    EXPECT_EQ(none.steps_reduced, 0);
    EXPECT_EQ(none.first_on_step, -1);
    EXPECT_EQ(none.first_non_finite_row, -1);
    EXPECT_LT(none.conservation_drift, 1e-9);
    EXPECT_GT(none.first_below_threshold_row, 0);

    const RunFigures one_time = integrate_run_figures(scenario_of_mode(MODE_ONE_TIME));
    EXPECT_EQ(one_time.steps_reduced, 240);  // days 10 to 70
    EXPECT_EQ(one_time.first_on_step, 40);
    EXPECT_EQ(one_time.longest_on_steps, 240);
    EXPECT_EQ(one_time.switches_on, 1);

    // On at rows 231, 467 and 702 (to the end), off at 388 and 621.
    const RunFigures intermittent = integrate_run_figures(scenario_of_mode(MODE_INTERMITTENT));
    EXPECT_EQ(intermittent.switches_on, 3);
    EXPECT_EQ(intermittent.first_on_step, 231);
    EXPECT_EQ(intermittent.steps_reduced, (388 - 231) + (621 - 467) + (800 - 702));
    EXPECT_EQ(intermittent.longest_on_steps, 388 - 231);
}

TEST(RunFigures, OverflowAndEmptyRuns) {
    ScenarioInputs overflow = scenario_of_mode(MODE_NO_INTERVENTION);
    overflow.model.R_0 = 1e308;
    const RunFigures figures = integrate_run_figures(overflow);
    EXPECT_GT(figures.first_non_finite_row, 0);
    EXPECT_FALSE(std::isfinite(figures.final_S));

    ScenarioInputs empty = scenario_of_mode(MODE_INTERMITTENT);
    empty.model.n_steps = -5;
    empty.model.R_0 = 0.5;
    const RunFigures none = integrate_run_figures(empty);
    EXPECT_EQ(none.final_S, 9999.9);
    EXPECT_EQ(none.first_below_threshold_row, -1);
    EXPECT_EQ(none.steps_reduced, 0);
}

TEST(RunFigures, ManyScenariosMatchOneByOne) {
    std::vector<ScenarioInputs> scenarios(3);
    for (int mode = 0; mode < 3; ++mode)
        scenarios[mode] = scenario_of_mode(mode);
    std::vector<RunFigures> figures(3);
    integrate_run_figures(scenarios, figures);
    EXPECT_EQ(figures[2].switches_on, 3);
    EXPECT_EQ(figures[1].steps_reduced, 240);
    EXPECT_THROW(integrate_run_figures(scenarios, std::span(figures).first(2)),
                 std::invalid_argument);
}

}  // namespace
}  // namespace morbilex
