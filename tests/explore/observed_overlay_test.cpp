// Observed counts over the explorer's chart, against the run's own table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "text/format.h"
#include "text/shortest.h"

#include "../chart/chart_test_support.h"
#include "explore/axis_fitting.h"
#include "explore/count_fit_command.h"
#include "explore/explorer_view.h"
#include "explore/view_commands.h"
#include "shell/scenario_files.h"

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

    // The read-out tells the count of its day, within half a day, and the
    // model's value for it; none between counts.
    const double model = records->results[30 * 4][2] * (500.0 / 10000.0);
    const auto printed = [](const char* format, double value) {
        char text[64];
        format_text(text, sizeof text, format, {value});
        return std::string(text);
    };
    explorer.read_out_step = 30 * 4 + 2;
    std::vector<std::string> lines = read_out_lines(*records, explorer);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], printed("count %.10g on day 30", model + 5.0));
    EXPECT_EQ(lines.back(), printed("model %.2f", model));
    explorer.read_out_step = 35 * 4;
    EXPECT_EQ(read_out_lines(*records, explorer).back().rfind("count", 0), std::string::npos);
}

// On the log scale too, counts taken from the infectious curve sit on it:
// each cross's centre on a stroke of the curve at its x.
TEST(ObservedOverlay, CountsSitOnTheCurveOnTheLogScale) {
    auto records = records_after_run(MODE_NO_INTERVENTION);
    Explorer explorer;
    explorer.view.log_scale = true;
    explorer.view.infectious_only = true;
    for (int day = 10; day <= 150; day += 20)
        explorer.observed.counts.points.push_back({double(day), records->results[day * 4][2], 0});
    fit_axes(*records, explorer);
    RecordingSurface surface;
    paint_explorer_view(surface, *records, series_colours(), explorer, 900, 500, false);
    std::vector<Segment> curve, crosses;
    for (const Segment& s : surface.segments()) {
        if (s.colour == series_colours().colours[2]) curve.push_back(s);
        if (s.colour == OBSERVED_COUNTS_COLOUR && s.x0 != s.x1 && s.y0 < s.y1) crosses.push_back(s);
    }
    ASSERT_EQ(crosses.size(), 8u);
    for (const Segment& cross : crosses) {
        const int x = (cross.x0 + cross.x1 - 1) / 2, y = (cross.y0 + cross.y1 - 1) / 2;
        bool on_curve = false;
        for (const Segment& s : curve)
            on_curve = on_curve || (std::abs(s.x0 - x) <= 1 && std::abs(s.y0 - y) <= 2);
        EXPECT_TRUE(on_curve) << "cross at " << x << "," << y;
    }
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

// A front end without paths hands the file's text over: the link naming it
// reads that text, again when another of its lines changes, and a bad text
// is refused with its line as a file would be.
TEST(ObservedOverlay, ReadsCountsTextHandedOverAsTheFileItNames) {
    auto records = records_after_run(MODE_NO_INTERVENTION);
    records->counts_link = {{"data", "beds.csv"}, {"population", "763"}};
    Explorer explorer;
    supply_counts_text(explorer.observed, "beds.csv", "date,beds\n1978-01-22,1\n1978-01-24,26\n");
    explorer.sync(*records);
    ASSERT_EQ(explorer.observed.counts.points.size(), 2u);
    EXPECT_EQ(explorer.observed.counts.points[1].day, 2.0);
    records->counts_link[1].second = "500";
    explorer.sync(*records);
    EXPECT_EQ(explorer.observed.counts.points.size(), 2u);
    EXPECT_EQ(explorer.observed.observation.population, 500.0);
    supply_counts_text(explorer.observed, "beds.csv", "day,beds\n0,1\n0,2\n");
    explorer.sync(*records);
    EXPECT_TRUE(explorer.observed.counts.points.empty());
    EXPECT_EQ(explorer.observed.problem,
              "beds.csv: line 3: the day is not after the day of the row before");
}

class MessageFrontEnd final : public FrontEnd, public ExplorerHost {
public:
    int open_dialog(DialogKind) override { return DIALOG_RESULT_OK; }
    void repaint() override {}
    void print() override {}
    void printer_setup() override {}
    void show_help() override {}
    void exit_program() override {}
    void report_run_failure(int, const std::string&) override {}
    void copy_text(const std::string&) override {}
    void show_user_guide() override {}
    void view_options_changed() override {}
    std::string choose_counts_file() override { return chosen; }
    Asked ask_counts_choice(CountsChoice& choice) override {
        offered_reading = choice;
        if (reading_answer == Asked::Chosen) choice = answered_reading;
        return reading_answer;
    }
    Asked ask_fit_choice(FitChoice& choice) override {
        offered = choice;
        if (answer == Asked::Chosen) choice = answered;
        return answer;
    }
    void show_file_message(const char*, const std::string& text, bool error) override {
        message = text;
        refused = error;
    }
    std::string message, chosen;
    bool refused = false;
    Asked answer = Asked::NotAsked;
    FitChoice offered, answered;
    Asked reading_answer = Asked::NotAsked;
    CountsChoice offered_reading, answered_reading;
};

// The View menu's fit: the linked counts, made by a run of R_0 3, give R_0
// back in the records and the run; no counts, a message and no change.
TEST(ObservedOverlay, TheFitCommandLoadsTheFittedValuesAndRuns) {
    TemporaryFolder folder;
    auto truth = records_after_run(MODE_NO_INTERVENTION);
    std::string csv = "day,cases\n";
    auto records = default_records();
    MessageFrontEnd front_end;
    const std::string trace = folder.file("trace.dat");
    CommandContext commands{*records, front_end, trace.c_str()};
    Explorer explorer;
    ExplorerContext context{commands, explorer, front_end};
    execute_explorer_command(context, COMMAND_FIT_COUNTS);
    EXPECT_TRUE(front_end.refused);
    EXPECT_EQ(records->mode, MODE_NOTHING_CALCULATED);

    for (int day = 0; day <= 100; day += 4) {
        csv += std::to_string(day) + ",";
        append_shortest(csv, truth->results[day * 4][2]);
        csv += "\n";
    }
    std::ofstream(folder.file("cases.csv")) << csv;
    // The dialog offers the default pair and its answer becomes the link's
    // "fit" line; a cancelled dialog fits nothing.
    records->counts_link = {{"data", folder.file("cases.csv")}};
    front_end.answer = Asked::Cancelled;
    execute_explorer_command(context, COMMAND_FIT_COUNTS);
    EXPECT_EQ(records->mode, MODE_NOTHING_CALCULATED);
    EXPECT_EQ(front_end.offered.fields, (std::vector<std::string>{"R_0", "infectious_period"}));
    front_end.answer = Asked::Chosen;
    front_end.answered.fields = {"R_0"};
    execute_explorer_command(context, COMMAND_FIT_COUNTS);
    EXPECT_FALSE(front_end.refused) << front_end.message;
    EXPECT_EQ(records->counts_link.back(), (std::pair<std::string, std::string>{"fit", "R_0"}));
    EXPECT_NEAR(records->model.R_0, truth->model.R_0, 1e-6);
    EXPECT_EQ(records->mode, MODE_NO_INTERVENTION);
    EXPECT_EQ(front_end.message.substr(0, 38), "Fitted, with 95 % intervals:\n  R_0 = 2");

    // A fitted reporting fraction is kept in the scenario's line.
    front_end.answered.fields = {"reporting"};
    execute_explorer_command(context, COMMAND_FIT_COUNTS);
    std::string reporting;
    append_shortest(reporting, explorer.observed.observation.reporting);
    EXPECT_NE(std::find(records->counts_link.begin(), records->counts_link.end(),
                        std::pair<std::string, std::string>{"reporting", reporting}),
              records->counts_link.end());

    // Other counts opened take the place of the linked ones; a bad file
    // changes nothing.
    std::ofstream(folder.file("bad.csv")) << "day,cases\n0,1\n0,2\n";
    front_end.chosen = folder.file("bad.csv");
    execute_explorer_command(context, COMMAND_OPEN_COUNTS);
    EXPECT_EQ(front_end.message,
              folder.file("bad.csv") + ": line 3: the day is not after the day of the row before");
    EXPECT_EQ(explorer.observed.counts.points.size(), 26u);
    std::ofstream(folder.file("more.csv")) << "day,cases\n0,1\n3,2\n";
    front_end.chosen = folder.file("more.csv");
    execute_explorer_command(context, COMMAND_OPEN_COUNTS);
    EXPECT_EQ(explorer.observed.counts.points.size(), 2u);
    EXPECT_EQ(records->counts_link[0].second, folder.file("more.csv"));
    EXPECT_EQ(records->counts_link[1].first, "fit");
}

// Counts kept in the scenario travel in its file without their CSV, and
// counts opened afterwards take their place; nothing shown, nothing kept.
TEST(ObservedOverlay, KeptCountsTravelInTheScenarioFileWithoutTheirCsv) {
    TemporaryFolder folder;
    auto records = records_after_run(MODE_NO_INTERVENTION);
    MessageFrontEnd front_end;
    const std::string trace = folder.file("trace.dat");
    CommandContext commands{*records, front_end, trace.c_str()};
    Explorer explorer;
    ExplorerContext context{commands, explorer, front_end};
    execute_explorer_command(context, COMMAND_KEEP_COUNTS);
    EXPECT_TRUE(front_end.refused);

    std::ofstream(folder.file("beds.csv")) << "date,beds\n1978-01-22,1\n1978-01-24,26\n";
    records->counts_link = {{"data", folder.file("beds.csv")}, {"population", "763"}};
    execute_explorer_command(context, COMMAND_KEEP_COUNTS);
    EXPECT_FALSE(front_end.refused) << front_end.message;
    std::string path = folder.file("kept.morbilex"), error;
    ASSERT_TRUE(save_scenario_file(path, *records, error)) << error;
    std::filesystem::remove(folder.file("beds.csv"));
    auto opened = default_records();
    InterventionMode mode = 0;
    ASSERT_TRUE(load_scenario_file(path, *opened, mode, error)) << error;
    opened->mode = mode;
    Explorer reopened;
    reopened.sync(*opened);
    ASSERT_EQ(reopened.observed.counts.points.size(), 2u) << reopened.observed.problem;
    EXPECT_EQ(reopened.observed.counts.points[1].day, 2.0);
    EXPECT_EQ(reopened.observed.observation.population, 763.0);

    std::ofstream(folder.file("more.csv")) << "day,cases\n0,1\n3,2\n5,4\n";
    front_end.chosen = folder.file("more.csv");
    execute_explorer_command(context, COMMAND_OPEN_COUNTS);
    EXPECT_FALSE(counts_rows_kept(records->counts_link));
    EXPECT_EQ(explorer.observed.counts.points.size(), 3u);
}

// Opening counts asks how to read them, the file's columns offered and the
// link's lines shown; the answer becomes those lines, Cancel changes nothing.
TEST(ObservedOverlay, OpeningCountsAsksHowToReadThem) {
    TemporaryFolder folder;
    auto records = records_after_run(MODE_NO_INTERVENTION);
    records->counts_link = {{"population", "763"}, {"data_column", "gone"}};
    const CountsLink before = records->counts_link;
    MessageFrontEnd front_end;
    const std::string trace = folder.file("trace.dat");
    CommandContext commands{*records, front_end, trace.c_str()};
    Explorer explorer;
    ExplorerContext context{commands, explorer, front_end};
    std::ofstream(folder.file("two.csv"))
        << "\"date\";beds;cases\n2024-01-01;1;2\n2024-01-03;3;7\n";
    front_end.chosen = folder.file("two.csv");
    front_end.reading_answer = Asked::Cancelled;
    execute_explorer_command(context, COMMAND_OPEN_COUNTS);
    EXPECT_EQ(records->counts_link, before);
    EXPECT_EQ(front_end.offered_reading.columns, (std::vector<std::string>{"beds", "cases"}));
    EXPECT_TRUE(front_end.offered_reading.dates);
    EXPECT_EQ(front_end.offered_reading.column, "beds");
    EXPECT_EQ(front_end.offered_reading.population, "763");

    front_end.reading_answer = Asked::Chosen;
    front_end.answered_reading = front_end.offered_reading;
    front_end.answered_reading.column = "cases";
    front_end.answered_reading.measure = CountMeasure::Incidence;
    front_end.answered_reading.population = "10000";
    front_end.answered_reading.day_zero = "2023-12-31";
    execute_explorer_command(context, COMMAND_OPEN_COUNTS);
    EXPECT_EQ(records->counts_link, (CountsLink{{"data", folder.file("two.csv")},
                                                {"data_column", "cases"},
                                                {"data_series", "incidence"},
                                                {"data_day_zero", "2023-12-31"}}));
    ASSERT_EQ(explorer.observed.counts.points.size(), 2u);
    EXPECT_EQ(explorer.observed.counts.points[1].day, 3.0);
    EXPECT_EQ(explorer.observed.counts.points[1].count, 7.0);
}

}  // namespace
}  // namespace morbilex::testing
