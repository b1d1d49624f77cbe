// The sweep view: the scenario under each point of a line chart over a field
// and the mode, and the cells' values as the scenarios run alone give them.
#include "picture/sweep_view.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/run_summary.h"
#include "chart/recording_surface.h"

namespace morbilex {
namespace {

using testing::RecordingSurface;
using testing::SurfaceCall;

Colour bgr(std::uint32_t rgb) {
    return ((rgb & 0xff) << 16) | (rgb & 0xff00) | (rgb >> 16);
}

// A line for no intervention and one for intermittent over R_0 (one-time
// peaks lie too near those without for a pointer to tell apart): each marker loads the scenario of
// its own line and point, and its cell holds that scenario's figure as its single run gives it.
TEST(SweepDesk, EachMarkerLoadsItsLinesScenario) {
    Records records;
    records.model.latent_period = 3.5;
    SweepRequest request;
    request.axes[0] = {"R_0", "1.5", "3", "0.5"};
    request.axes[1] = {"mode", "0", "2", "2"};
    SweepDesk desk;
    ASSERT_TRUE(desk.start(records, request, 800, 500, 16));
    while (desk.run_block(5)) {
    }
    ASSERT_EQ(desk.state(), SweepDesk::State::Finished);
    RecordingSurface surface;
    desk.paint(surface, 800, 500, "peak_infectious");
    const int peak = summary_column_index("peak_infectious");
    int marks = 0;
    for (const SurfaceCall& call : surface.calls) {
        int line = -1;
        for (int k = 0; k < 2; ++k)
            if (call.operation == "fill_rectangle" && call.colour == bgr(SERIES_COLOURS[k]))
                line = k;
        if (line < 0) continue;
        const int right = std::stoi(call.text),
                  bottom = std::stoi(call.text.substr(call.text.find(',') + 1));
        const long long run_id = desk.run_id_at((call.x + right) / 2.0, (call.y + bottom) / 2.0);
        ASSERT_GT(run_id, 0);
        const int point = static_cast<int>((run_id - 1) / 2);
        EXPECT_EQ((run_id - 1) % 2, line) << "marker " << marks;
        EXPECT_EQ(point, marks % 4);
        ++marks;
        // The loaded scenario run alone: the cell's figure.
        Records loaded = records;
        ASSERT_TRUE(desk.load(loaded, run_id));
        EXPECT_EQ(loaded.mode, 2 * line);
        EXPECT_EQ(loaded.model.R_0, 1.5 + 0.5 * point);
        EXPECT_EQ(loaded.model.latent_period, 3.5);
        SummaryRow row;
        const ScenarioInputs inputs = scenario_inputs_of(loaded, loaded.mode);
        summarise_run(inputs, integrate_run_figures(inputs), row);
        EXPECT_EQ(desk.cell_value(desk.picture().cell_of(run_id), peak), row[peak].as_number());
    }
    EXPECT_EQ(marks, 8);
}

}  // namespace
}  // namespace morbilex
