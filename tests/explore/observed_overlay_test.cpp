// Observed counts over the explorer's chart, against the run's own table.
#include <gtest/gtest.h>

#include <fstream>

#include "../chart/chart_test_support.h"
#include "explore/explorer_view.h"

namespace morbilex::testing {
namespace {

TEST(ObservedOverlay, CountsTakenFromTheRunSitOnItWithNoResidual) {
    auto records = records_after_run(MODE_NO_INTERVENTION);
    Explorer explorer;
    explorer.observed.observation.population = 500.0;
    for (int day = 0; day <= 150; day += 10) {
        const double count = (records->results[day * 4][2] * (500.0 / 10000.0)) * 1.0;
        explorer.observed.counts.points.push_back({double(day), count, 0});
    }
    const OverlayContents contents = overlay_contents(explorer.observed, *records);
    ASSERT_EQ(contents.residuals.size(), 16u);
    for (double residual : contents.residuals)
        EXPECT_EQ(residual, 0.0);
    EXPECT_TRUE(contents.series.empty());  // prevalence: the infectious curve itself

    const auto purple_segments = [&] {
        RecordingSurface surface;
        paint_explorer_view(surface, *records, series_colours(), explorer, 900, 500, false);
        int crosses = 0, bars = 0;
        for (const Segment& s : surface.segments()) {
            if (s.colour != OBSERVED_COUNTS_COLOUR) continue;
            (s.x0 == s.x1 ? bars : crosses) += 1;
        }
        return std::pair(crosses, bars);
    };
    // Two strokes a cross and the strip's zero line; no bar.
    records->scale.ymax = 10000.0;  // every point inside the frame
    EXPECT_EQ(purple_segments(), std::pair(2 * 16 + 1, 0));
    explorer.observed.counts.points[3].count += 5.0;
    EXPECT_EQ(purple_segments(), std::pair(2 * 16 + 1, 1));
}

// A scenario's link is followed when it changes; a bad one leaves no counts.
TEST(ObservedOverlay, FollowsTheScenariosLinkToItsCounts) {
    TemporaryFolder folder;
    std::ofstream(folder.file("beds.csv")) << "date,beds\n1978-01-22,1\n1978-01-24,26\n";
    auto records = records_after_run(MODE_NO_INTERVENTION);
    records->counts_link = {{"data", folder.file("beds.csv")}, {"population", "763"}};
    Explorer explorer;
    explorer.sync(*records);
    ASSERT_EQ(explorer.observed.counts.points.size(), 2u);
    EXPECT_EQ(explorer.observed.counts.points[1].day, 2.0);
    EXPECT_EQ(explorer.observed.observation.population, 763.0);
    records->counts_link.push_back({"reporting", "2"});
    explorer.sync(*records);
    EXPECT_TRUE(explorer.observed.counts.points.empty());
    EXPECT_EQ(explorer.observed.problem, "reporting = 2: not a value it takes");
}

}  // namespace
}  // namespace morbilex::testing
