#include <gtest/gtest.h>

#include <algorithm>

#include "chart_test_support.h"

namespace morbilex {
namespace {

using testing::draw_chart_recorded;
using testing::find_call;
using testing::PlacedText;
using testing::RecordingSurface;
using testing::Segment;

TEST(SeriesColours, BlackBlueRedGreen) {
    const SeriesColours colours = testing::series_colours();
    EXPECT_EQ(colours.colours[0], 0x000000u);
    EXPECT_EQ(colours.colours[1], 0xFF0000u);
    EXPECT_EQ(colours.colours[2], 0x0000FFu);
    EXPECT_EQ(colours.colours[3], 0x00FF00u);
}

TEST(ChartHeader, TextsOfEveryMode) {
    const char* line1 =
        "MORBILEX : R_0 =  2.50,  Latent period =  4.60,  Infectious period =   5.00 ";
    const std::pair<InterventionMode, const char*> cases[] = {
        {MODE_NO_INTERVENTION, "No intervention."},
        {MODE_ONE_TIME,
         "One-time intervention: (redct, from, to) = 1 ( 0.800,   10.00,   70.00) : 2 ( 0.000,   "
         "70.00,   70.00) : 3 ( 0.000,   70.00,   70.00)"},
        {MODE_INTERMITTENT,
         "Intermittent intervention: Reduction =80.000%,  On-threshold = 35.00,  Off-threshold =  "
         "5.00 "},
        {7, "No intervention."},
    };
    for (const auto& [mode, line2] : cases) {
        auto records = testing::default_records();
        records->mode = mode;
        const RecordingSurface surface = draw_chart_recorded(*records);
        ASSERT_GE(surface.texts().size(), 2u);
        EXPECT_EQ(surface.texts()[0], (PlacedText{0, 11000, line1}));
        EXPECT_EQ(surface.texts()[1], (PlacedText{0, 10520, line2})) << mode;
    }
}

TEST(ChartHeader, OverlongLinesAreCutVisibly) {
    auto records = testing::default_records();
    records->mode = MODE_INTERMITTENT;
    records->model.R_0 = 1e300;
    records->intermittent.On_threshold = -1e200;
    const RecordingSurface surface = draw_chart_recorded(*records);
    for (int line = 0; line < 2; ++line) {
        const std::string& text = surface.texts()[line].text;
        EXPECT_EQ(text.size(), 255u);
        EXPECT_EQ(text.substr(252), "...");
    }
    EXPECT_EQ(surface.texts()[0].text.substr(0, 20), "MORBILEX : R_0 =1000");
}

TEST(ChartLegend, EntriesAtALineStepOf480) {
    AxisScale scale;
    ChartGeometry g = compute_chart_geometry(scale);
    g.line_step = 480;
    RecordingSurface surface;
    draw_legend(surface, g, testing::series_colours());
    const char* names[] = {"Susceptible", "Exposed", "Infectious", "Recovered"};
    const Colour colours[] = {0x000000, 0xFF0000, 0x0000FF, 0x00FF00};
    ASSERT_EQ(surface.segments().size(), 4u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(surface.segments()[k],
                  (Segment{15000, 9520 - 480 * k, 16000, 9520 - 480 * k, colours[k]}));
        EXPECT_EQ(surface.texts()[k], (PlacedText{16200, 9760 - 480 * k, names[k]}));
    }
    EXPECT_EQ(surface.live_objects(), 0);
    EXPECT_EQ(surface.current_pen(), RecordingSurface::DEFAULT_PEN);
}

TEST(ChartOrder, TwelveStepsInOrder) {
    auto records = testing::records_after_run();
    const RecordingSurface surface = draw_chart_recorded(*records);
    const int header = find_call(surface, "text_out");
    const int frame = find_call(surface, "move_to");
    const int label = find_call(surface, "text_out", header + 2);
    const int legend = find_call(surface, "create_pen");
    const int release = static_cast<int>(surface.calls.size()) - 2;
    EXPECT_EQ(surface.calls[header].text.substr(0, 8), "MORBILEX");
    EXPECT_LT(header, frame);
    EXPECT_LT(frame, label);
    EXPECT_EQ(surface.calls[label].text, "0");
    EXPECT_LT(label, legend);
    EXPECT_EQ(surface.calls[legend + 4].text, "Susceptible");
    EXPECT_EQ(surface.calls[release].operation, "select_font");
    EXPECT_EQ(surface.calls[release + 1].operation, "delete_font");
}

TEST(ChartCurves, DefaultRunStepsOf25UnitsEndingShortOfTheEdge) {
    auto records = testing::records_after_run();
    const RecordingSurface surface = draw_chart_recorded(*records);
    const std::vector<Segment> curves = curve_segments(surface);
    ASSERT_FALSE(curves.empty());
    int last = 0;
    for (const Segment& s : curves) {
        EXPECT_EQ(s.x0 % 25, 0);
        EXPECT_EQ(s.x1 - s.x0, 25);
        last = std::max(last, s.x1);
        EXPECT_NE(s.colour, 0x000000u);  // Susceptible stays above 100 persons
    }
    EXPECT_EQ(last, 19975);
}

TEST(ChartCurves, WholePopulationRangeWithAPenPerSegment) {
    auto records = testing::records_after_run();
    records->scale.ymax = 10000;
    const RecordingSurface surface = draw_chart_recorded(*records);
    const std::vector<Segment> curves = curve_segments(surface);
    ASSERT_EQ(curves.size(), 4u * 799);
    for (std::size_t i = 0; i < curves.size(); ++i) {
        const int j = static_cast<int>(i / 4) + 1;
        EXPECT_EQ(curves[i].x0, 2500 * (j - 1));
        EXPECT_EQ(curves[i].x1, 2500 * j);
        EXPECT_EQ(curves[i].colour, testing::series_colours().colours[i % 4]);
        EXPECT_EQ(curves[i].y0, static_cast<int>(records->results[j - 1][i % 4] * 100 + 0.5));
    }
    // Every segment: create, select, move, line, select the kept pen, delete.
    const int first = find_call(surface, "create_pen", legend_end(surface));
    const std::vector<std::string> pattern = {"create_pen", "select_pen", "move_to",
                                              "line_to",    "select_pen", "delete_pen"};
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        EXPECT_EQ(surface.calls[first + i].operation, pattern[i]);
    }
    EXPECT_EQ(surface.calls[first + 4].object, RecordingSurface::DEFAULT_PEN);
    EXPECT_EQ(surface.count("create_pen"), surface.count("delete_pen"));
    EXPECT_EQ(surface.live_objects(), 0);
    EXPECT_EQ(surface.objects_deleted_while_selected, 0);
}

TEST(ChartCurves, SegmentsLeavingTheFrameAreLeftOutWhole) {
    auto records = testing::default_records();
    records->mode = MODE_NO_INTERVENTION;
    records->model.n_steps = 4;
    // Susceptible: inside, outside, inside, on the top edge.
    records->results[0] = {50, 200, 200, 200};
    records->results[1] = {100.01, 200, 200, 200};
    records->results[2] = {50, 200, 200, 200};
    records->results[3] = {100, 200, 200, 200};
    const RecordingSurface surface = draw_chart_recorded(*records);
    const std::vector<Segment> curves = curve_segments(surface);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(curves[0], (Segment{50, 5000, 75, 10000, 0}));
}

TEST(ChartCurves, FewerThanTwoStepsDrawNoSegment) {
    for (int n_steps : {0, 1, -5}) {
        auto records = testing::records_after_run();
        records->model.n_steps = n_steps;
        const RecordingSurface surface = draw_chart_recorded(*records);
        EXPECT_EQ(surface.count("create_pen"), COMPARTMENT_COUNT) << n_steps;
        EXPECT_EQ(surface.texts().size(), 2u + 7 + 4);
    }
}

TEST(ChartCurves, PensThatCannotBeMadeLeaveTheCurrentPen) {
    auto records = testing::records_after_run();
    RecordingSurface surface;
    surface.fail_to_create = true;
    draw_chart(*records, testing::series_colours(), surface, 0, 0, 1200, 700);
    EXPECT_EQ(surface.count("select_pen"), 0);
    EXPECT_EQ(surface.count("delete_pen"), 0);
    EXPECT_EQ(surface.count("select_font"), 0);
    EXPECT_GT(surface.count("line_to"), 4);
    // Without the chart font the line step follows the device default font.
    EXPECT_EQ(surface.texts()[1].y, 11000 - 19);
}

}  // namespace
}  // namespace morbilex
