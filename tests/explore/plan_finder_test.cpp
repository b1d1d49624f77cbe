// The explorer against a capacity: the figures of a run that goes on past
// T_max, the extension of T_max, the plan search and its loading, the levels
// drawn.
#include <gtest/gtest.h>

#include <algorithm>

#include "../chart/chart_test_support.h"
#include "../chart/recording_surface.h"
#include "analysis/scenario_setup.h"
#include "explore/explorer_view.h"
#include "explore/view_commands.h"
#include "explore_test_support.h"

namespace morbilex::testing {
namespace {

bool has_line(const ViewFigures& figures, const std::string& label) {
    const std::vector<FigureLine> lines = figure_lines(figures);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const FigureLine& line) { return line.label == label; });
}

// A late, strong reduction only pushes the peak past day 200: the figures say
// so, and one command extends T_max to the first day the epidemic is over.
TEST(PlanFinder, StillRunningThenExtendedUntilItEnds) {
    TemporaryFolder folder(true);
    auto records = default_records();
    FakeFrontEnd front_end;
    CommandContext commands{*records, front_end};
    Explorer explorer;
    ExplorerContext context{commands, explorer, front_end};
    records->one_time.Redct1 = 0.81;
    records->one_time.t_srt1 = 20.0;
    records->one_time.t_stp1 = 80.0;
    execute_explorer_command(context, COMMAND_ONE_TIME);
    ASSERT_TRUE(explorer.figures().still_running);
    EXPECT_EQ(figure_notes(explorer.figures()).at(0),
              "Still running at day 200.00: the final size and attack rate are not final");
    EXPECT_TRUE(has_line(explorer.figures(), "Attack rate (not final)"));

    execute_explorer_command(context, COMMAND_EXTEND_T_MAX);
    const ModelParameters& m = records->model;
    EXPECT_FALSE(explorer.figures().still_running);
    EXPECT_TRUE(has_line(explorer.figures(), "Attack rate"));
    EXPECT_EQ(m.n_steps % 4, 0);  // a whole day
    ScenarioInputs shorter = scenario_inputs_of(*records, MODE_ONE_TIME);
    EXPECT_FALSE(still_running(integrate_run_figures(shorter)));
    shorter.model.n_steps -= 4;
    EXPECT_TRUE(still_running(integrate_run_figures(shorter)));
    EXPECT_GT(shorter.model.n_steps, 800);
}

// With a capacity set the view holds the run against it and draws it; the
// search's best plan, loaded, keeps under it; Off >= On is told.
TEST(PlanFinder, CapacityFiguresSearchAndLoad) {
    TemporaryFolder folder(true);
    auto records = default_records();
    FakeFrontEnd front_end;
    CommandContext commands{*records, front_end};
    Explorer explorer;
    ExplorerContext context{commands, explorer, front_end};
    records->intermittent.Off_threshold = 40.0;
    execute_explorer_command(context, COMMAND_INTERMITTENT);
    const std::vector<std::string> notes = figure_notes(explorer.figures());
    EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [](const std::string& note) {
        return note.rfind("Off >= On", 0) == 0;
    }));
    execute_explorer_command(context, COMMAND_FIND_PLAN);
    EXPECT_FALSE(explorer.has_plan_finding);  // no capacity yet

    set_capacity(context, {true, 300.0, CapacitySeries::Infectious});
    const ViewFigures oracle = compute_view_figures(*records);
    const ViewFigures& shown = explorer.figures();
    ASSERT_TRUE(shown.has_capacity);
    EXPECT_EQ(shown.capacity.peak, oracle.capacity.peak);
    EXPECT_EQ(shown.capacity.steps_over, oracle.capacity.steps_over);
    EXPECT_EQ(shown.capacity.person_days_over, oracle.capacity.person_days_over);
    EXPECT_TRUE(has_line(shown, "Days over capacity"));

    RecordingSurface surface;
    paint_explorer_view(surface, *records, series_colours(), explorer, 900, 500, false);
    const auto& texts = surface.texts();
    for (const char* label : {"capacity 300 infectious", "On 35", "Off 40"}) {
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const PlacedText& t) {
            return t.text == label;
        })) << label;
    }

    records->intermittent.Off_threshold = 5.0;
    execute_explorer_command(context, COMMAND_FIND_PLAN);
    ASSERT_TRUE(explorer.has_plan_finding);
    const PlanSearchResult& result = explorer.plan_finding.result;
    ASSERT_TRUE(result.met);
    load_found_plan(context, 0);
    EXPECT_EQ(records->mode, MODE_INTERMITTENT);
    EXPECT_EQ(records->intermittent.On_threshold, result.best.plan.value[0]);
    EXPECT_EQ(explorer.figures().capacity.peak, result.best.peak);
    EXPECT_LE(explorer.figures().capacity.peak, 300.0);
    EXPECT_FALSE(explorer.figures().still_running);

    RecordingSurface front;
    paint_plan_front(front, explorer.plan_finding, 400, 300);
    ASSERT_FALSE(front.segments().empty());
    // The best plan's cross is drawn last of the points, over the others,
    // then a square round the plan loaded; clicking either's centre finds it.
    const std::vector<Segment>& strokes = front.segments();
    const Segment& stroke = strokes[strokes.size() - 4 - 2];
    EXPECT_EQ(front_point_at(explorer.plan_finding, 400, 300, stroke.x0 + 5, stroke.y0 + 5), 0);
    EXPECT_EQ(front_point_at(explorer.plan_finding, 400, 300, strokes.back().x0 + 8,
                             strokes.back().y1 + 8),
              0);
}

}  // namespace
}  // namespace morbilex::testing
