// The View menu's commands and the run commands in the explorer view.
#include <gtest/gtest.h>

#include "../chart/chart_test_support.h"
#include "explore/view_commands.h"
#include "explore_test_support.h"

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
    EXPECT_EQ(front_end.copied.rfind("figure\tvalue\tunit\npeak_infectious\t1196.64\tpersons\n", 0),
              0u);

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

}  // namespace
}  // namespace morbilex::testing
