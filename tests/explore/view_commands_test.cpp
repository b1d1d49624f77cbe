// The View menu's commands and the run commands in the explorer view.
#include <gtest/gtest.h>

#include "../chart/chart_test_support.h"
#include "explore/kept_ranges.h"
#include "explore/view_commands.h"
#include "explore_test_support.h"
#include "shell/scenario_files.h"

namespace morbilex::testing {
namespace {

TEST(ViewCommands, FitAfterRunHelpAndCopyFollowTheView) {
    TemporaryFolder folder(true);
    auto records = default_records();
    FakeFrontEnd front_end;
    CommandContext commands{*records, front_end};
    Explorer explorer;
    ExplorerContext context{commands, explorer, front_end};

    execute_explorer_command(context, COMMAND_HELP);
    EXPECT_EQ(front_end.guides, 1);
    execute_explorer_command(context, COMMAND_CALCULATE);
    EXPECT_EQ(records->scale.ymax, 10000.0);  // fitted after the run
    execute_explorer_command(context, COMMAND_COPY_FIGURES);
    EXPECT_EQ(front_end.copied.rfind("R_0\t2.5\nlatent_period\t4.6\n", 0), 0u);
    EXPECT_NE(front_end.copied.find(
                  "\nmode\t0\n\nfigure\tvalue\tunit\npeak_infectious\t1196.64\tpersons\n"),
              std::string::npos);

    execute_explorer_command(context, COMMAND_CLASSIC_VIEW);
    EXPECT_TRUE(explorer.view.classic);
    records->scale = AxisScale{};
    execute_explorer_command(context, COMMAND_ONE_TIME);
    EXPECT_EQ(records->scale.ymax, 100.0);  // the classic view keeps its scale
    execute_explorer_command(context, COMMAND_FIT_AXES);
    EXPECT_EQ(records->scale.ymax, 100.0);
    execute_explorer_command(context, COMMAND_HELP);
    EXPECT_EQ(front_end.help_boxes, 1);
    EXPECT_EQ(front_end.guides, 1);
    EXPECT_FALSE(view_item_enabled(explorer.view, COMMAND_COMPARE));
    EXPECT_TRUE(view_item_checked(explorer.view, COMMAND_CLASSIC_VIEW));

    execute_explorer_command(context, COMMAND_CLASSIC_VIEW);
    execute_explorer_command(context, COMMAND_FIT_AFTER_RUN);
    EXPECT_FALSE(explorer.view.fit_after_run);
    execute_explorer_command(context, COMMAND_CALCULATE);
    EXPECT_EQ(records->scale.ymax, 100.0);
    execute_explorer_command(context, COMMAND_FIT_AXES);
    EXPECT_EQ(records->scale.ymax, 10000.0);
    EXPECT_TRUE(explorer.view.fit_after_run);  // fitting asked for again
    EXPECT_EQ(front_end.view_changes, 4);
}

// What a session leaves for the next: the scenario file names the window and
// the copied figures, and its run comes back at start; Help in a dialog opens
// the guide at that dialog's section. The classic view keeps none of it.
// Each chart option of the View menu names the settings' switch it turns
// over, and only that one; showing a compartment leaves "infectious only".
TEST(ViewCommands, ChartOptionsNameTheSwitchTheyTurn) {
    int options = 0;
    for (const MenuItem& item : view_menu_items()) {
        if (item.label == nullptr || !chart_option_command(item.command)) continue;
        ++options;
        ViewOptions view;
        view.infectious_only = item.command != COMMAND_INFECTIOUS_ONLY;
        const ViewOptions before = view;
        switch_chart_option(view, AxisScale{}, item.command);
        auto now = view_switches(view);
        ViewOptions copy = before;
        auto then = view_switches(copy);
        for (std::size_t k = 0; k < now.size(); ++k) {
            const bool named = std::string_view(now[k].name) == view_switch_name(item.command);
            const bool left_infectious_only =
                item.command < COMMAND_INFECTIOUS_ONLY && now[k].value == &view.infectious_only;
            EXPECT_EQ(*now[k].value != *then[k].value, named || left_infectious_only)
                << item.label << " " << now[k].name;
        }
    }
    EXPECT_EQ(options, 8);
    EXPECT_EQ(view_switch_name(COMMAND_FIT_AXES), nullptr);
}

TEST(ViewCommands, TheScenarioFileAndItsRunComeBackNamed) {
    TemporaryFolder folder(true);
    auto records = default_records();
    FakeFrontEnd front_end;
    Explorer explorer;
    EXPECT_EQ(window_title(*records, ViewOptions{}), "Morbilex");
    records->model.R_0 = 3.0;
    records->mode = MODE_INTERMITTENT;
    records->scenario_file = folder.file("flu.morbilex");
    ExplorerRanges ranges;  // the explorer's ranges are remembered too
    ASSERT_TRUE(ranges.set("R_0", 2.0, 4.5));
    keep_ranges(ranges, *records);
    std::string settings = folder.file("settings.morbilex");
    ASSERT_TRUE(save_remembered_settings(settings, *records));

    auto next = default_records();
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    EXPECT_EQ(load_remembered_settings(settings, *next, &mode), "");
    EXPECT_EQ(mode, MODE_INTERMITTENT);
    EXPECT_EQ(next->mode, MODE_NOTHING_CALCULATED);
    EXPECT_EQ(window_title(*next, ViewOptions{}), "flu.morbilex - Morbilex");
    CommandContext next_commands{*next, front_end};
    ExplorerContext next_context{next_commands, explorer, front_end};
    EXPECT_TRUE(reopen_remembered_run(next_context, mode));
    EXPECT_EQ(next->mode, MODE_INTERMITTENT);
    EXPECT_EQ(explorer.uncertainty.ranges.text(), "R_0=2:4.5");
    EXPECT_TRUE(explorer.figures().available);
    EXPECT_EQ(copied_figures(next_context).rfind("scenario\tflu.morbilex\nR_0\t3\n", 0), 0u);

    EXPECT_TRUE(show_dialog_help(explorer.view, front_end, DialogKind::AxisScale));
    EXPECT_EQ(front_end.guide_anchor, "scale-of-the-axes");
    explorer.view.classic = true;
    EXPECT_EQ(window_title(*next, explorer.view), "Morbilex");
    EXPECT_FALSE(show_dialog_help(explorer.view, front_end, DialogKind::ModelParameters));
    EXPECT_EQ(front_end.guide_anchor, "scale-of-the-axes");
    next->mode = MODE_NOTHING_CALCULATED;
    EXPECT_FALSE(reopen_remembered_run(next_context, mode));
    EXPECT_EQ(next->mode, MODE_NOTHING_CALCULATED);
}

// With R_t shown, the copied figures tell the day it falls to 1. Without an
// intervention d(E + I)/dt = (I / infectious period)(R_t - 1), so that day is
// the step E + I stops growing.
TEST(ViewCommands, CopiedFiguresTellWhenRtFallsToOne) {
    TemporaryFolder folder(true);
    auto records = default_records();
    FakeFrontEnd front_end;
    CommandContext commands{*records, front_end};
    Explorer explorer;
    ExplorerContext context{commands, explorer, front_end};
    execute_explorer_command(context, COMMAND_CALCULATE);
    execute_explorer_command(context, COMMAND_COPY_FIGURES);
    EXPECT_EQ(front_end.copied.find("effective_r"), std::string::npos);
    explorer.view.effective_r = true;
    execute_explorer_command(context, COMMAND_COPY_FIGURES);
    std::size_t peak = 0;
    const auto infected = [&](std::size_t j) {
        return records->results[j][1] + records->results[j][2];
    };
    const auto rows = static_cast<std::size_t>(shown_rows(*records));
    while (peak + 1 < rows && infected(peak + 1) > infected(peak))
        ++peak;
    const std::string name = "\neffective_r_at_most_one_day\t";
    const std::size_t at = front_end.copied.find(name);
    ASSERT_NE(at, std::string::npos) << front_end.copied;
    const double day = std::stod(front_end.copied.substr(at + name.size()));
    EXPECT_NEAR(day, static_cast<double>(peak) * records->model.dt, records->model.dt);
    EXPECT_NE(front_end.copied.find("\tdays\n", at), std::string::npos);
}

}  // namespace
}  // namespace morbilex::testing
