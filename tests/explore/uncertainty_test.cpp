#include "explore/uncertainty.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "chart/chart_test_support.h"
#include "chart/recording_surface.h"
#include "explore/explore_test_support.h"
#include "explore/explorer_view.h"

namespace morbilex {
namespace {

using testing::RecordingSurface;
using testing::records_after_run;
using testing::series_colours;

// The ensemble starts from the records as they stand: with R_0 ranged about
// its own value, its central run is the records' run; the bands stand behind
// the run's curves, the intervals and the tornado beside it, and they follow
// the records when a slider moves them.
TEST(ExplorerUncertainty, FollowsTheRecordsAndDrawsBandsIntervalsAndTornado) {
    auto records = records_after_run(MODE_ONE_TIME);
    records->one_time.Redct1 = 0.6;
    records->model.n_steps = 520;
    Explorer explorer;
    ExplorerRanges& ranges = explorer.uncertainty.ranges;
    ASSERT_FALSE(ranges.set("T_max", 100, 200));
    ASSERT_TRUE(ranges.set("R_0", 2.0, 3.0));
    ASSERT_TRUE(ranges.set("t_stp1", 50, 90));
    ranges.samples = 256;
    EXPECT_EQ(ranges.text(), "R_0=2:3 t_stp1=50:90");

    RecordingSurface surface(16);
    paint_explorer_view(surface, *records, series_colours(), explorer, 1500, 700, true);
    const ExplorerUncertainty& uncertainty = explorer.uncertainty;
    ASSERT_TRUE(uncertainty.available()) << uncertainty.refusal();
    EXPECT_EQ(uncertainty.ensemble().rows, 521);
    const RunFigures run = integrate_run_figures(scenario_inputs_of(*records, MODE_ONE_TIME));
    EXPECT_EQ(uncertainty.ensemble().central_figures.peak_infectious, run.peak_infectious);
    EXPECT_EQ(uncertainty.tornado().bars.size(), 2u);

    int outer = 0, inner = 0;
    const Colour infectious = series_colours().colours[2];
    for (const testing::Segment& segment : surface.segments()) {
        outer += segment.colour == outer_band_colour(infectious);
        inner += segment.colour == inner_band_colour(infectious);
    }
    EXPECT_GT(outer, 100);
    EXPECT_GT(inner, 100);
    bool interval_shown = false, tornado_shown = false;
    for (const testing::PlacedText& text : surface.texts()) {
        interval_shown |= text.text.rfind("Peak infectious: ", 0) == 0 &&
                          text.text.find(" to ") != std::string::npos;
        tornado_shown |= text.text == "t_stp1";
    }
    EXPECT_TRUE(interval_shown);
    EXPECT_TRUE(tornado_shown);

    // View > Copy bands: the infectious bands drawn, a row a step.
    testing::FakeFrontEnd front_end;
    CommandContext commands{*records, front_end};
    ExplorerContext context{commands, explorer, front_end};
    execute_explorer_command(context, COMMAND_COPY_BANDS);
    EXPECT_EQ(front_end.copied.rfind("step,t,I_p5,I_p25,I_p50,I_p75,I_p95\n0,0,0,0,0,0,0\n", 0),
              0u);
    EXPECT_EQ(std::count(front_end.copied.begin(), front_end.copied.end(), '\n'), 522);

    const double median = uncertainty.ensemble().interval(0, 1);
    records->one_time.Redct1 = 0.9;  // a slider moves
    explorer.uncertainty.sync(*records);
    EXPECT_NE(uncertainty.ensemble().interval(0, 1), median);
    ranges.remove("R_0");
    ranges.remove("t_stp1");
    explorer.uncertainty.sync(*records);
    EXPECT_FALSE(uncertainty.available());
}

}  // namespace
}  // namespace morbilex
