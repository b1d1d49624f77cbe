// The care layer in the explorer: fed by the traced run's own pass, which
// writes the same trace with it as without, and shown or hidden by the View
// menu's item.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "../chart/chart_test_support.h"
#include "analysis/scenario_setup.h"
#include "explore/care_curves.h"
#include "explore/explorer_view.h"
#include "explore/field_help.h"
#include "explore/sliders.h"
#include "explore_test_support.h"
#include "shell/scenario_document.h"
#include "text/shortest.h"
#include "trace/traced_run.h"

namespace morbilex::testing {
namespace {

TEST(CareCurves, TheTracedRunsOwnPassGivesTheLayerAndTheTraceStaysTheSame) {
    TemporaryFolder folder;
    for (InterventionMode mode : {MODE_NO_INTERVENTION, MODE_ONE_TIME, MODE_INTERMITTENT}) {
        auto records = default_records();
        records->mode = mode;
        records->care = {true, 0.07, 5.5, 0.4, 9.0, 0.02};
        Explorer fed;
        const std::string with = folder.file("with.dat"), without = folder.file("without.dat");
        ASSERT_EQ(run_simulation(*records, mode, with.c_str(), nullptr, &fed), RUN_COMPLETED);
        auto plain = default_records();
        plain->mode = mode;
        ASSERT_EQ(run_simulation(*plain, mode, without.c_str()), RUN_COMPLETED);
        EXPECT_EQ(read_bytes(with), read_bytes(without)) << mode;

        fed.sync(*records);
        ASSERT_NE(fed.care(), nullptr);
        const CareRun expected = integrate_care(scenario_inputs_of(*records, mode));
        EXPECT_EQ(fed.care()->values, expected.values) << mode;
        EXPECT_EQ(fed.care()->day, expected.day) << mode;
        const ViewFigures oracle = compute_view_figures(*records);
        ASSERT_TRUE(fed.figures().has_care && oracle.has_care);
        for (int k = 0; k < CARE_SUMMARY_COLUMN_COUNT; ++k) {
            EXPECT_EQ(fed.figures().care[k].number, oracle.care[k].number) << mode;
            if (mode != MODE_NO_INTERVENTION) {
                EXPECT_EQ(fed.figures().baseline_care[k].number, oracle.baseline_care[k].number);
            }
        }
        const std::vector<FigureLine> lines = figure_lines(fed.figures());
        EXPECT_EQ(std::string(lines.back().name), "deaths");
    }
}

TEST(CareCurves, TheViewItemTurnsTheLayerOnAndShowsOrHidesItsCurves) {
    auto records = default_records();
    FakeFrontEnd front_end;
    CommandContext commands{*records, front_end};
    Explorer explorer;
    ExplorerContext context{commands, explorer, front_end};
    execute_explorer_command(context, COMMAND_CALCULATE);
    const auto care_pens = [&] {
        RecordingSurface surface;
        paint_explorer_view(surface, *records, series_colours(), explorer, 900, 500, false);
        return std::count_if(surface.calls.begin(), surface.calls.end(), [](const SurfaceCall& c) {
            return c.operation == "create_pen" && c.colour == CARE_SERIES_COLOURS[1];
        });
    };
    EXPECT_EQ(care_pens(), 0);
    EXPECT_FALSE(records->care.enabled);

    execute_explorer_command(context, COMMAND_CARE_CURVES);
    EXPECT_TRUE(records->care.enabled && explorer.view.care_curves);
    EXPECT_TRUE(view_item_checked(explorer.view, COMMAND_CARE_CURVES));
    EXPECT_EQ(care_pens(), 1);
    ASSERT_NE(explorer.care(), nullptr);
    EXPECT_GT(care_figures(*explorer.care()).peak_hospital, 0.0);

    execute_explorer_command(context, COMMAND_CARE_CURVES);
    EXPECT_TRUE(records->care.enabled);  // its figures stay
    EXPECT_FALSE(explorer.view.care_curves);
    EXPECT_EQ(care_pens(), 0);

    // A scenario that brings the layer in (an opened file) shows its curves.
    Explorer opened;
    auto with_care = default_records();
    with_care->care.enabled = true;
    opened.sync(*with_care);
    EXPECT_TRUE(opened.view.care_curves);
}

// The care sliders set their fields as a scenario file's line would, and the
// panel shows them only while the layer is on.
TEST(CareCurves, SlidersSetTheFieldsAsTypedAndShowWhileOn) {
    auto records = default_records();
    // The capacity's slider comes last, always.
    EXPECT_EQ(sliders_shown(*records).size(), sliders_for_mode(MODE_NO_INTERVENTION).size() + 1);
    for (const SliderField& slider : care_slider_fields()) {
        ASSERT_NE(field_help(slider.name), nullptr) << slider.name;
        const double value = slider_value_at(slider, slider_positions(slider) / 3);
        ASSERT_TRUE(apply_slider_value(*records, slider, value)) << slider.name;
        std::string line = std::string(slider.name) + " = ";
        append_shortest(line, value);
        auto typed = default_records();
        InterventionMode mode = MODE_NOTHING_CALCULATED;
        std::string error;
        ASSERT_TRUE(read_scenario_document(line, *typed, mode, error)) << error;
        EXPECT_EQ(slider_value(*records, slider), slider_value(*typed, slider)) << slider.name;
        EXPECT_EQ(slider_value(*typed, slider), value) << slider.name;
    }
    records->care.enabled = true;
    records->mode = MODE_INTERMITTENT;
    EXPECT_EQ(sliders_shown(*records).size(),
              sliders_for_mode(MODE_INTERMITTENT).size() + care_slider_fields().size() + 1);
}

}  // namespace
}  // namespace morbilex::testing
