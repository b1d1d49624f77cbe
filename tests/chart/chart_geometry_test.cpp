#include <gtest/gtest.h>

#include "chart_test_support.h"

namespace morbilex {
namespace {

using testing::draw_chart_recorded;
using testing::PlacedText;
using testing::RecordingSurface;
using testing::Segment;

AxisScale scale_of(double xmin, double xmax, double ymin, double ymax) {
    AxisScale scale;
    scale.xmin = xmin;
    scale.xmax = xmax;
    scale.ymin = ymin;
    scale.ymax = ymax;
    return scale;
}

void expect_geometry(const ChartGeometry& g, int H, int W, int xL, int xR, int yB, int yT) {
    EXPECT_TRUE(g.drawable);
    EXPECT_EQ(g.plot_height, H);
    EXPECT_EQ(g.plot_width, W);
    EXPECT_EQ(g.frame_left, xL);
    EXPECT_EQ(g.frame_right, xR);
    EXPECT_EQ(g.frame_bottom, yB);
    EXPECT_EQ(g.frame_top, yT);
}

// The full grid lines among the segments (ticks are 1 % of H long).
std::vector<Segment> grid_lines(const RecordingSurface& surface, const ChartGeometry& g) {
    std::vector<Segment> lines;
    for (const Segment& s : surface.segments()) {
        const bool vertical = s.x0 == s.x1 && s.y0 == g.frame_bottom && s.y1 == g.frame_top &&
                              s.x0 != g.frame_left && s.x0 != g.frame_right;
        const bool horizontal = s.y0 == s.y1 && s.x0 == g.frame_left && s.x1 == g.frame_right &&
                                s.y0 != g.frame_bottom && s.y0 != g.frame_top;
        if (vertical || horizontal) lines.push_back(s);
    }
    return lines;
}

TEST(ChartGeometry, DefaultScale) {
    AxisScale scale;
    scale.x_per_day = 0.0;
    const ChartGeometry g = compute_chart_geometry(scale);
    expect_geometry(g, 10000, 20000, 0, 20000, 0, 10000);
    EXPECT_EQ(scale.x_per_day, 100.0);
    EXPECT_EQ(plot_length(g, 0.01), 100);
    EXPECT_EQ(plot_length(g, 0.16), 1600);
}

TEST(ChartGeometry, DefaultMappingAndChartFont) {
    auto records = testing::records_after_run();
    const RecordingSurface surface = draw_chart_recorded(*records, 1200, 700);
    ASSERT_GE(surface.calls.size(), 7u);
    const std::vector<std::string> expected = {"select_device_default_font",
                                               "set_isotropic_mode",
                                               "set_window_extent",
                                               "set_viewport_extent",
                                               "set_window_origin",
                                               "create_chart_font",
                                               "select_font"};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(surface.calls[i].operation, expected[i]);
    }
    EXPECT_EQ(surface.calls[2].x, 24000);
    EXPECT_EQ(surface.calls[2].y, 14000);
    EXPECT_EQ(surface.calls[3].x, 1200);
    EXPECT_EQ(surface.calls[3].y, -700);
    EXPECT_EQ(surface.calls[4].x, -2000);
    EXPECT_EQ(surface.calls[4].y, 12000);
    EXPECT_EQ(surface.calls[5].y, 400);
    // The chart font is released and the device default font is left current.
    EXPECT_EQ(surface.current_font(), RecordingSurface::DEVICE_DEFAULT_FONT);
    EXPECT_EQ(surface.live_objects(), 0);
    EXPECT_EQ(surface.objects_deleted_while_selected, 0);
}

TEST(ChartGeometry, PrintedPageBottomSignDoesNotMatter) {
    auto records = testing::records_after_run();
    RecordingSurface surface;
    draw_chart(*records, testing::series_colours(), surface, 0, 0, 4920, -6960);
    EXPECT_EQ(surface.calls[3].x, 4920);
    EXPECT_EQ(surface.calls[3].y, -6960);
}

TEST(ChartAxes, DefaultFrameGridTicksAndLabels) {
    AxisScale scale;
    const ChartGeometry g = compute_chart_geometry(scale);
    RecordingSurface surface;
    draw_chart_axes(surface, g, scale);
    const std::vector<Segment>& s = surface.segments();
    // The frame: from the bottom-right corner, first leftward; no zero line.
    ASSERT_GE(s.size(), 4u);
    EXPECT_EQ(s[0], (Segment{20000, 0, 0, 0, 0}));
    EXPECT_EQ(s[1], (Segment{0, 0, 0, 10000, 0}));
    EXPECT_EQ(s[2], (Segment{0, 10000, 20000, 10000, 0}));
    EXPECT_EQ(s[3], (Segment{20000, 10000, 20000, 0, 0}));
    EXPECT_EQ(s.size(), 4u + 9 + 2 * 90 + 4 + 2 * 45);
    // First x tick pair at x = 200, 100 units long, pointing into the frame.
    EXPECT_EQ(s[4], (Segment{200, 0, 200, 100, 0}));
    EXPECT_EQ(s[5], (Segment{200, 10000, 200, 9900, 0}));
    std::vector<Segment> expected_grid;
    for (int x = 2000; x <= 18000; x += 2000)
        expected_grid.push_back({x, 0, x, 10000, 0});
    for (int y = 2000; y <= 8000; y += 2000)
        expected_grid.push_back({0, y, 20000, y, 0});
    EXPECT_EQ(grid_lines(surface, g), expected_grid);
    const std::vector<PlacedText> labels = {{0, -200, "0"},           {20000, -200, "200"},
                                            {-1000, 0, "0"},          {-1000, 10000, "100"},
                                            {-1600, 5000, "Persons"}, {-1600, 4600, "per 10K"},
                                            {9000, -200, "day"}};
    EXPECT_EQ(surface.texts(), labels);
}

TEST(ChartAxes, RangeAcrossZeroDrawsTheZeroLine) {
    AxisScale scale = scale_of(0, 100, -50, 50);
    const ChartGeometry g = compute_chart_geometry(scale);
    expect_geometry(g, 10000, 20000, 0, 20000, -5000, 5000);
    EXPECT_EQ(scale.x_per_day, 200.0);
    auto records = testing::default_records();
    records->mode = MODE_NO_INTERVENTION;
    records->scale = scale;
    const RecordingSurface surface = draw_chart_recorded(*records);
    EXPECT_EQ(surface.calls[4].x, -2000);
    EXPECT_EQ(surface.calls[4].y, 7000);
    RecordingSurface axes;
    draw_chart_axes(axes, g, scale);
    EXPECT_EQ(axes.segments()[4], (Segment{20000, 0, 0, 0, 0}));
    EXPECT_EQ(axes.texts()[0], (PlacedText{-400, 0, "0"}));
}

TEST(ChartAxes, RaisedBottomMovesGridAndHeader) {
    auto records = testing::default_records();
    records->mode = MODE_NO_INTERVENTION;
    records->scale = scale_of(0, 200, 20, 100);
    const ChartGeometry g = compute_chart_geometry(records->scale);
    expect_geometry(g, 8000, 16000, 0, 16000, 2000, 10000);
    const RecordingSurface surface = draw_chart_recorded(*records);
    EXPECT_EQ(surface.calls[4].x, -1600);
    EXPECT_EQ(surface.calls[4].y, 11600);
    std::vector<int> horizontal;
    for (const Segment& s : grid_lines(surface, g)) {
        if (s.y0 == s.y1) horizontal.push_back(s.y0);
    }
    EXPECT_EQ(horizontal, (std::vector<int>{3600, 5200, 6800, 8400}));
    EXPECT_EQ(surface.texts()[0].y, 10800);
}

TEST(ChartAxes, ShiftedDaysLeaveEarlyCurvesOutside) {
    auto records = testing::records_after_run();
    records->scale = scale_of(50, 150, 0, 100);
    const RecordingSurface surface = draw_chart_recorded(*records);
    EXPECT_EQ(records->scale.x_per_day, 200.0);
    const ChartGeometry g = compute_chart_geometry(records->scale);
    EXPECT_EQ(g.frame_left, 10000);
    EXPECT_EQ(g.frame_right, 30000);
    int coloured = 0;
    for (const Segment& s : surface.segments()) {
        if (s.colour == 0) continue;
        ++coloured;
        EXPECT_GE(s.x0, 10000);
        EXPECT_LE(s.x1, 30000);
    }
    EXPECT_GT(coloured, 0);
}

TEST(ChartAxes, ReversedDaysMirrorTheChart) {
    auto records = testing::records_after_run();
    records->scale = scale_of(200, 0, 0, 100);
    const RecordingSurface surface = draw_chart_recorded(*records);
    EXPECT_EQ(records->scale.x_per_day, -100.0);
    const ChartGeometry g = compute_chart_geometry(records->scale);
    EXPECT_LT(g.frame_left, g.frame_right);
    // The Recovered curve runs from the right edge (day 0) leftward.
    std::vector<Segment> green;
    for (const Segment& s : testing::curve_segments(surface)) {
        if (s.colour == 0x00FF00) green.push_back(s);
    }
    ASSERT_FALSE(green.empty());
    EXPECT_EQ(green.front().x0, 0);
    EXPECT_LT(green.front().x1, green.front().x0);
}

TEST(ChartAxes, ReversedPersonsDrawEverythingButCurves) {
    auto records = testing::records_after_run();
    records->scale = scale_of(0, 200, 100, 0);
    const ChartGeometry g = compute_chart_geometry(records->scale);
    EXPECT_EQ(g.plot_height, -10000);
    EXPECT_GT(g.frame_bottom, g.frame_top);
    const RecordingSurface surface = draw_chart_recorded(*records);
    EXPECT_EQ(surface.calls[2].x, -24000);
    EXPECT_EQ(surface.calls[2].y, -14000);
    EXPECT_EQ(surface.count("create_pen"), COMPARTMENT_COUNT);  // the legend only
    EXPECT_EQ(surface.texts().size(), 2u + 7 + 4);
}

TEST(ChartAxes, WholePopulationRange) {
    auto records = testing::records_after_run();
    records->scale.ymax = 10000;
    const ChartGeometry g = compute_chart_geometry(records->scale);
    expect_geometry(g, 1000000, 2000000, 0, 2000000, 0, 1000000);
    const RecordingSurface surface = draw_chart_recorded(*records);
    EXPECT_EQ(surface.calls[2].x, 2400000);
    EXPECT_EQ(surface.calls[2].y, 1400000);
    // Every segment of every curve lies inside the frame.
    EXPECT_EQ(surface.count("create_pen"), COMPARTMENT_COUNT + COMPARTMENT_COUNT * 799);
}

}  // namespace
}  // namespace morbilex
