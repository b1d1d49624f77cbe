// The explorer's axes fitted to the curves shown.
#include <gtest/gtest.h>

#include "../chart/chart_test_support.h"
#include "explore/axis_fitting.h"

namespace morbilex::testing {
namespace {

TEST(Explorer, FitsAxesToRoundNumbersAboveTheCurvesShown) {
    EXPECT_EQ(round_number_above(1196.4), 2000.0);
    EXPECT_EQ(round_number_above(2400.0), 2500.0);
    EXPECT_EQ(round_number_above(9999.9), 10000.0);
    EXPECT_EQ(round_number_above(0.0), 1.0);

    auto records = records_after_run(MODE_ONE_TIME);
    records->model.n_steps = 400;  // the table still holds the 800 steps' first half
    Explorer explorer;
    explorer.sync(*records);
    explorer.view.compare = false;
    EXPECT_TRUE(fit_axes(*records, explorer));
    EXPECT_EQ(records->scale.xmin, 0.0);
    EXPECT_EQ(records->scale.xmax, 100.0);
    EXPECT_EQ(records->scale.ymin, 0.0);
    EXPECT_EQ(records->scale.ymax, 10000.0);
    EXPECT_FALSE(fit_axes(*records, explorer));

    // The infectious alone, under a capacity above them: the capacity stays in view.
    explorer.view.infectious_only = true;
    EXPECT_TRUE(fit_axes(*records, explorer));
    EXPECT_LT(records->scale.ymax, 1500.0);
    records->capacity = {true, 1500.0, CapacitySeries::Infectious};
    EXPECT_TRUE(fit_axes(*records, explorer));
    EXPECT_EQ(records->scale.ymax, 2000.0);
    records->capacity = {};

    records->mode = MODE_NOTHING_CALCULATED;
    records->scale = AxisScale{};
    EXPECT_FALSE(fit_axes(*records, explorer));
    EXPECT_EQ(records->scale.ymax, 100.0);
}

}  // namespace
}  // namespace morbilex::testing
