#include <gtest/gtest.h>

#include "chart_test_support.h"

namespace morbilex {
namespace {

using testing::draw_chart_recorded;
using testing::PlacedText;
using testing::RecordingSurface;
using testing::Segment;

struct ScaleCase {
    double xmin, xmax, ymin, ymax;
    int H, W, xL, xR, yB, yT;
    double x_per_day;
    int window_x, window_y, origin_x, origin_y;
};

std::unique_ptr<Records> records_at(double xmin, double xmax, double ymin, double ymax) {
    auto records = testing::records_after_run();
    records->scale.xmin = xmin;
    records->scale.xmax = xmax;
    records->scale.ymin = ymin;
    records->scale.ymax = ymax;
    return records;
}

// The full grid lines (not frame edges, not ticks).
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

TEST(ChartGeometry, ScalesGiveFrameDaysAndMapping) {
    const ScaleCase cases[] = {
        {0, 200, 0, 100, 10000, 20000, 0, 20000, 0, 10000, 100.0, 24000, 14000, -2000, 12000},
        {0, 100, -50, 50, 10000, 20000, 0, 20000, -5000, 5000, 200.0, 24000, 14000, -2000, 7000},
        {0, 200, 20, 100, 8000, 16000, 0, 16000, 2000, 10000, 80.0, 19200, 11200, -1600, 11600},
        {50, 150, 0, 100, 10000, 20000, 10000, 30000, 0, 10000, 200.0, 24000, 14000, 8000, 12000},
        {0, 200, 0, 10000, 1000000, 2000000, 0, 2000000, 0, 1000000, 10000.0, 2400000, 1400000,
         -200000, 1200000},
        // Reversed days: mirrored, xL still below xR.
        {200, 0, 0, 100, 10000, 20000, -20000, 0, 0, 10000, -100.0, 24000, 14000, -22000, 12000},
        // Reversed persons: negative sizes and extents, yB above yT.
        {0, 200, 100, 0, -10000, -20000, 0, -20000, 10000, 0, -100.0, -24000, -14000, 2000, -2000},
    };
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.xmin << " " << c.xmax << " " << c.ymin << " " << c.ymax);
        auto records = records_at(c.xmin, c.xmax, c.ymin, c.ymax);
        const ChartGeometry g = compute_chart_geometry(records->scale);
        EXPECT_TRUE(g.drawable);
        EXPECT_EQ(g.plot_height, c.H);
        EXPECT_EQ(g.plot_width, c.W);
        EXPECT_EQ(g.frame_left, c.xL);
        EXPECT_EQ(g.frame_right, c.xR);
        EXPECT_EQ(g.frame_bottom, c.yB);
        EXPECT_EQ(g.frame_top, c.yT);
        EXPECT_EQ(records->scale.x_per_day, c.x_per_day);
        const RecordingSurface surface = draw_chart_recorded(*records, 1200, 700);
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
        EXPECT_EQ(surface.calls[2].x, c.window_x);
        EXPECT_EQ(surface.calls[2].y, c.window_y);
        EXPECT_EQ(surface.calls[3].x, 1200);
        EXPECT_EQ(surface.calls[3].y, -700);
        EXPECT_EQ(surface.calls[4].x, c.origin_x);
        EXPECT_EQ(surface.calls[4].y, c.origin_y);
        EXPECT_EQ(surface.calls[5].y, CHART_FONT_HEIGHT);
        // The chart font is released; the device default font stays current.
        EXPECT_EQ(surface.current_font(), RecordingSurface::DEVICE_DEFAULT_FONT);
        EXPECT_EQ(surface.live_objects(), 0);
        EXPECT_EQ(surface.objects_deleted_while_selected, 0);
    }
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
    ASSERT_EQ(s.size(), 4u + 9 + 2 * 90 + 4 + 2 * 45);
    EXPECT_EQ(s[0], (Segment{20000, 0, 0, 0, 0}));
    EXPECT_EQ(s[1], (Segment{0, 0, 0, 10000, 0}));
    EXPECT_EQ(s[2], (Segment{0, 10000, 20000, 10000, 0}));
    EXPECT_EQ(s[3], (Segment{20000, 10000, 20000, 0, 0}));
    // First x tick pair at x = 200 and first y tick pair at y = 200, 100 units into the frame.
    EXPECT_EQ(s[4], (Segment{200, 0, 200, 100, 0}));
    EXPECT_EQ(s[5], (Segment{200, 10000, 200, 9900, 0}));
    EXPECT_EQ(s[4 + 9 + 180], (Segment{0, 200, 100, 200, 0}));
    EXPECT_EQ(s[4 + 9 + 180 + 1], (Segment{20000, 200, 19900, 200, 0}));
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
    AxisScale scale;
    scale.ymin = -50;
    scale.ymax = 50;
    const ChartGeometry g = compute_chart_geometry(scale);
    RecordingSurface surface;
    draw_chart_axes(surface, g, scale);
    EXPECT_EQ(surface.segments()[4], (Segment{20000, 0, 0, 0, 0}));
    EXPECT_EQ(surface.texts()[0], (PlacedText{-400, 0, "0"}));
}

TEST(ChartAxes, RaisedBottomMovesGridAndHeader) {
    auto records = records_at(0, 200, 20, 100);
    const ChartGeometry g = compute_chart_geometry(records->scale);
    const RecordingSurface surface = draw_chart_recorded(*records);
    std::vector<int> horizontal;
    for (const Segment& s : grid_lines(surface, g)) {
        if (s.y0 == s.y1) horizontal.push_back(s.y0);
    }
    EXPECT_EQ(horizontal, (std::vector<int>{3600, 5200, 6800, 8400}));
    EXPECT_EQ(surface.texts()[0].y, 10800);
}

TEST(ChartAxes, CurvesStayInsideShiftedDays) {
    auto records = records_at(50, 150, 0, 100);
    const RecordingSurface surface = draw_chart_recorded(*records);
    const std::vector<Segment> curves = testing::curve_segments(surface);
    ASSERT_FALSE(curves.empty());
    for (const Segment& s : curves) {
        EXPECT_GE(s.x0, 10000);
        EXPECT_LE(s.x1, 30000);
    }
}

TEST(ChartAxes, ReversedDaysMirrorTheCurves) {
    auto records = records_at(200, 0, 0, 100);
    const RecordingSurface surface = draw_chart_recorded(*records);
    // The Recovered curve runs from the right edge (day 0) leftward.
    std::vector<Segment> green;
    for (const Segment& s : testing::curve_segments(surface)) {
        if (s.colour == 0x00FF00) green.push_back(s);
    }
    ASSERT_FALSE(green.empty());
    EXPECT_EQ(green.front().x0, 0);
    EXPECT_EQ(green.front().x1, -24);
}

TEST(ChartAxes, ReversedPersonsDrawEverythingButCurves) {
    auto records = records_at(0, 200, 100, 0);
    const RecordingSurface surface = draw_chart_recorded(*records);
    EXPECT_EQ(surface.count("create_pen"), COMPARTMENT_COUNT);  // the legend only
    EXPECT_EQ(surface.texts().size(), 2u + 7 + 4);
}

}  // namespace
}  // namespace morbilex
