// The one rule of round tick steps that the explorer's axes and the sweep
// pictures share.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart/ticks.h"

namespace morbilex::testing {
namespace {

TEST(Ticks, StepIsTheSmallestRoundOneWithinTheCount) {
    EXPECT_EQ(round_tick_step(200.0, 8), 50.0);
    EXPECT_EQ(round_tick_step(10000.0, 8), 2000.0);
    EXPECT_EQ(round_tick_step(3.0, 6), 0.5);
    EXPECT_EQ(round_tick_step(7.0, 0), 10.0);  // a count below one counts as one
    for (double range : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_EQ(round_tick_step(range, 8), 0.0) << range;
}

}  // namespace
}  // namespace morbilex::testing
