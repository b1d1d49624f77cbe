// Axis ranges, texts and device rectangles at and beyond what the chart can draw.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "chart_test_support.h"

namespace morbilex {
namespace {

using testing::draw_chart_recorded;
using testing::PlacedText;
using testing::RecordingSurface;

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

struct Limits {
    double xmin, xmax, ymin, ymax;
};

TEST(ChartLimits, UndrawableRangesGiveHeaderAndNoticeOnly) {
    const Limits cases[] = {
        {0, 200, 50, 50},                // equal persons
        {70, 70, 0, 100},                // equal days
        {0, 200, 0, 0.001},              // less than one logical unit high
        {0, 200, 0, 200000},             // grid beyond 32 bits
        {0, 200, -60000, 60000},         // just beyond 108,000 persons
        {1e300, 1e300 + 1e285, 0, 100},  // frame edges beyond 32 bits
        {-1e308, 1e308, 0, 100},         // day range overflows
        {0, 1e-310, 0, 100},             // days per unit overflow
        {0, 200, 0, 1e300},
        {NOT_A_NUMBER, 200, 0, 100},
        {0, INF, 0, 100},
        {0, 200, -INF, 100},
        {0, 200, 0, NOT_A_NUMBER},
    };
    for (const Limits& limits : cases) {
        auto records = testing::records_after_run();
        records->scale.xmin = limits.xmin;
        records->scale.xmax = limits.xmax;
        records->scale.ymin = limits.ymin;
        records->scale.ymax = limits.ymax;
        records->scale.x_per_day = 123.0;
        const RecordingSurface surface = draw_chart_recorded(*records);
        SCOPED_TRACE(::testing::PrintToString(
            std::vector<double>{limits.xmin, limits.xmax, limits.ymin, limits.ymax}));
        EXPECT_FALSE(compute_chart_geometry(records->scale).drawable);
        EXPECT_EQ(records->scale.x_per_day, 123.0);
        // Placed as at the default scale, in the chart font; nothing else drawn.
        EXPECT_EQ(surface.calls[2].x, 24000);
        EXPECT_EQ(surface.calls[4].y, 12000);
        ASSERT_EQ(surface.texts().size(), 3u);
        EXPECT_EQ(surface.texts()[0].y, 11000);
        EXPECT_EQ(surface.texts()[2], (PlacedText{0, 5000, RANGE_NOTICE}));
        EXPECT_EQ(surface.count("line_to"), 0);
        EXPECT_EQ(surface.count("create_chart_font"), 1);
        EXPECT_EQ(surface.live_objects(), 0);
    }
}

TEST(ChartLimits, LargestRangeWithinThirtyTwoBitsIsDrawn) {
    auto records = testing::records_after_run();
    records->scale.ymin = -54000;
    records->scale.ymax = 54000;
    const ChartGeometry g = compute_chart_geometry(records->scale);
    ASSERT_TRUE(g.drawable);
    EXPECT_EQ(g.plot_height, 10800000);
    const RecordingSurface surface = draw_chart_recorded(*records);
    EXPECT_EQ(surface.count("line_to"), 4 + 1 + 9 + 180 + 4 + 90 + 4 + 4 * 799);
}

TEST(ChartLimits, LabelsLongerThanTheBufferAreCutVisibly) {
    auto records = testing::records_after_run();
    records->scale.xmin = -1e300;
    records->scale.xmax = 1e300;
    const ChartGeometry g = compute_chart_geometry(records->scale);
    ASSERT_TRUE(g.drawable);
    EXPECT_EQ(g.frame_left, -10000);
    const RecordingSurface surface = draw_chart_recorded(*records);
    const std::string& xmin_label = surface.texts()[2].text;
    const std::string& xmax_label = surface.texts()[3].text;
    EXPECT_EQ(xmin_label.size(), 255u);
    EXPECT_EQ(xmin_label.substr(0, 12), "-10000000000");
    EXPECT_EQ(xmin_label.substr(252), "...");
    EXPECT_EQ(xmax_label.size(), 255u);
    EXPECT_EQ(xmax_label.substr(0, 11), "10000000000");
}

TEST(ChartLimits, NoDeviceAreaDrawsNothing) {
    const int rectangles[][4] = {{0, 0, 0, 700},
                                 {0, 0, 1200, 0},
                                 {50, 20, 50, 700},
                                 {INT_MIN, 0, INT_MAX, 700},
                                 {0, INT_MIN, 1200, INT_MAX}};
    for (const auto& r : rectangles) {
        auto records = testing::records_after_run();
        records->scale.xmax = 100;
        RecordingSurface surface;
        draw_view(*records, testing::series_colours(), surface, r[0], r[1], r[2], r[3]);
        EXPECT_TRUE(surface.calls.empty());
        EXPECT_EQ(records->scale.x_per_day, 200.0);
    }
}

TEST(ChartLimits, RunValuesThatAreNoPointsAreNotDrawn) {
    auto records = testing::default_records();
    records->mode = MODE_NO_INTERVENTION;
    records->model.n_steps = 3;
    records->results[0] = {NOT_A_NUMBER, INF, -INF, 1e300};
    records->results[1] = {NOT_A_NUMBER, INF, -INF, 1e300};
    records->results[2] = {10, 10, 10, 10};
    RecordingSurface surface = draw_chart_recorded(*records);
    EXPECT_EQ(surface.count("create_pen"), COMPARTMENT_COUNT);
    for (double dt : {NOT_A_NUMBER, INF, 1e300}) {
        auto run = testing::records_after_run();
        run->model.dt = dt;
        surface = draw_chart_recorded(*run);
        EXPECT_EQ(surface.count("create_pen"), COMPARTMENT_COUNT) << dt;
    }
}

TEST(ChartLimits, StepCountBeyondTheTableReadsOnlyTheTable) {
    auto records = testing::records_after_run();
    records->model.n_steps = MAX_STEPS + 100000;
    records->scale.ymax = 10000;
    records->scale.xmax = 20000;
    const RecordingSurface surface = draw_chart_recorded(*records);
    EXPECT_LE(surface.count("create_pen"), COMPARTMENT_COUNT * MAX_STEPS);
}

}  // namespace
}  // namespace morbilex
