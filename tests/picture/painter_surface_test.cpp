// The painter surface: the chart's drawing operations on images.
#include "picture/painter_surface.h"

#include <QPainter>
#include <cmath>

#include "chart/chart.h"
#include "explore/explorer_view.h"
#include "model/simulation.h"
#include "painter_test_support.h"
#include "support/test_support.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

using testing::all_white;
using testing::colour_near;
using testing::white_image;

[[maybe_unused]] ::testing::Environment* const graphical_environment =
    ::testing::AddGlobalTestEnvironment(new testing::GraphicalEnvironment);

SeriesColours series_colours() {
    SeriesColours colours;
    init_series_colours(colours);
    return colours;
}

QImage render(Records& records, int width, int height) {
    QImage image = white_image(width, height);
    QPainter painter(&image);
    PainterSurface surface(painter);
    draw_view(records, series_colours(), surface, 0, 0, width, height);
    return image;
}

std::unique_ptr<Records> run_records(InterventionMode mode) {
    auto records = testing::default_records();
    records->mode = mode;
    run_simulation_to_stream(*records, mode, nullptr);
    return records;
}

TEST(PainterSurface, LinesLeaveOutTheirEndPoint) {
    QImage image = white_image(40, 40);
    QPainter painter(&image);
    PainterSurface surface(painter);
    const SurfaceObject red = surface.create_pen(0x0000FF);
    surface.select_pen(red);
    surface.move_to(10, 10);
    surface.line_to(20, 10);
    surface.line_to(20, 30);
    painter.end();
    EXPECT_EQ(image.pixel(10, 10) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(19, 10) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(20, 29) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(20, 30) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(21, 10) & 0xFFFFFF, 0xFFFFFFu);
}

// On a display scaled to 200 % a line is two device pixels wide, at 100 % one.
TEST(PainterSurface, LinesFollowTheDisplayScale) {
    for (int ratio : {1, 2, 3}) {
        QImage image = white_image(60 * ratio, 60 * ratio);
        image.setDevicePixelRatio(ratio);
        QPainter painter(&image);
        PainterSurface surface(painter);
        surface.set_isotropic_mode();
        surface.set_window_extent(600, -600);  // ten logical units a pixel, y upward
        surface.set_viewport_extent(60, 60);
        surface.set_window_origin(0, 600);
        surface.select_pen(surface.create_pen(0x0000FF));
        surface.move_to(100, 300);
        surface.line_to(500, 300);
        surface.move_to(300, 100);
        surface.line_to(300, 500);
        painter.end();
        int across = 0, along = 0;
        for (int y = 0; y < image.height(); ++y)
            across += (image.pixel(20 * ratio, y) & 0xFFFFFF) == 0xFF0000u;
        for (int x = 0; x < image.width(); ++x)
            along += (image.pixel(x, 20 * ratio) & 0xFFFFFF) == 0xFF0000u;
        EXPECT_EQ(across, ratio) << "horizontal line at ratio " << ratio;
        EXPECT_EQ(along, ratio) << "vertical line at ratio " << ratio;
    }
}

// The height of the ink of the first text line from the top of the image.
int first_line_ink_height(const QImage& image) {
    int top = -1;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() / 2 && !ink; ++x)
            ink = qGray(image.pixel(x, y)) < 128;
        if (ink && top < 0) top = y;
        if (!ink && top >= 0) return y - top;
    }
    return -1;
}

// The explorer's text keeps its size as the window grows and doubles at a
// display scale of 2.
TEST(PainterSurface, ExplorerTextFollowsTheDisplayScaleNotTheWindowSize) {
    auto records = run_records(MODE_ONE_TIME);
    Explorer explorer;
    const auto ink = [&](int width, int height, int ratio) {
        QImage image = white_image(width * ratio, height * ratio);
        image.setDevicePixelRatio(ratio);
        QPainter painter(&image);
        PainterSurface surface(painter);
        paint_explorer_view(surface, *records, series_colours(), explorer, width, height, false);
        painter.end();
        return first_line_ink_height(image);
    };
    const int plain = ink(700, 450, 1);
    EXPECT_GT(plain, 8);
    EXPECT_NEAR(ink(1400, 900, 1), plain, 1);
    EXPECT_NEAR(ink(700, 450, 2), 2 * plain, 2);
}

TEST(PainterSurface, IsotropicMappingAndChartFontCell) {
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    PainterSurface surface(painter);
    surface.set_isotropic_mode();
    surface.set_window_extent(24000, 14000);
    surface.set_viewport_extent(1200, -700);
    surface.set_window_origin(-2000, 12000);
    EXPECT_EQ(surface.device_point(0, 10000), QPointF(100, 100));
    EXPECT_EQ(surface.device_point(20000, 0), QPointF(1100, 600));
    surface.select_font(surface.create_chart_font(400));
    EXPECT_EQ(surface.text_cell_height(), 400);
    // A cell 20 pixels high, white, with its top-left corner at the point.
    surface.text_out(2000, 8000, "MMMM", 4);
    painter.end();
    EXPECT_EQ(image.pixel(200, 200) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(199, 205) & 0xFFFFFF, QColor(Qt::gray).rgb() & 0xFFFFFF);
    EXPECT_EQ(image.pixel(205, 199) & 0xFFFFFF, QColor(Qt::gray).rgb() & 0xFFFFFF);
    EXPECT_EQ(image.pixel(201, 221) & 0xFFFFFF, QColor(Qt::gray).rgb() & 0xFFFFFF);
    bool black = false;
    for (int x = 200; x < 240; ++x)
        black = black || (image.pixel(x, 210) & 0xFFFFFF) == 0;
    EXPECT_TRUE(black);
}

TEST(PainterSurface, FontTooSmallForAPixelTakesTheDefaultSize) {
    // A y range of 10000 persons: the 400-unit cell maps to a fraction of a pixel.
    QImage image = white_image(1200, 700);
    QPainter painter(&image);
    PainterSurface surface(painter);
    surface.set_isotropic_mode();
    surface.set_window_extent(2400000, 1400000);
    surface.set_viewport_extent(1200, -700);
    surface.set_window_origin(-200000, 1200000);
    surface.select_font(surface.create_chart_font(400));
    const int cell = surface.text_cell_height();
    const double cell_pixels = cell * 700.0 / 1400000.0;
    EXPECT_GT(cell_pixels, 12.0);
    EXPECT_LT(cell_pixels, 24.0);
}

// The chart font's cell in device pixels for a y range of ymax persons on a
// device of width x height pixels at 96 dots per inch.
double chart_cell_pixels(int width, int height, int ymax) {
    QImage image = white_image(width, height);
    QPainter painter(&image);
    PainterSurface surface(painter, 96);
    const int H = ymax * 100;
    surface.set_isotropic_mode();
    surface.set_window_extent(24 * H / 10, 14 * H / 10);
    surface.set_viewport_extent(width, -height);
    surface.select_font(surface.create_chart_font(400));
    return surface.text_cell_height() *
           std::min(double(width) / (24 * H / 10), double(height) / (14 * H / 10));
}

TEST(PainterSurface, ChartTextNeverSmallerThanTheDefaultFontNorThanAtTheDefaultScale) {
    // A window of ordinary size: 20 pixels at the default scale, the default
    // font's 16 pixels where 400 units would be one pixel or less.
    EXPECT_DOUBLE_EQ(chart_cell_pixels(1200, 700, 100), 20.0);
    EXPECT_NEAR(chart_cell_pixels(1200, 700, 200), 16.0, 0.5);
    EXPECT_NEAR(chart_cell_pixels(1200, 700, 2000), 16.0, 0.5);
    EXPECT_NEAR(chart_cell_pixels(1200, 700, 10000), 16.0, 0.5);
    // A small window: the text stays at its default-scale size of 10 pixels.
    EXPECT_DOUBLE_EQ(chart_cell_pixels(600, 350, 100), 10.0);
    EXPECT_NEAR(chart_cell_pixels(600, 350, 2000), 10.0, 0.5);
    // Text larger than the default font is left as it is.
    EXPECT_DOUBLE_EQ(chart_cell_pixels(1200, 700, 50), 40.0);
}

TEST(PainterSurface, HugeTextCellsCoverWhatTheyReach) {
    // One logical unit is 100 pixels: a 400-unit cell is 40000 pixels high.
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    PainterSurface surface(painter);
    surface.set_isotropic_mode();
    surface.set_window_extent(3, 2);
    surface.set_viewport_extent(300, -200);
    surface.set_window_origin(0, 2);
    surface.select_font(surface.create_chart_font(400));
    EXPECT_EQ(surface.text_cell_height(), 400);
    surface.text_out(1, 1, "No", 2);
    painter.end();
    EXPECT_EQ(image.pixel(99, 150) & 0xFFFFFF, QColor(Qt::gray).rgb() & 0xFFFFFF);
    EXPECT_EQ(image.pixel(150, 99) & 0xFFFFFF, QColor(Qt::gray).rgb() & 0xFFFFFF);
    EXPECT_TRUE(testing::all_white(image, QRect(100, 100, 200, 100)));
}

TEST(PainterSurface, TitleScreenInTheDefaultFont) {
    auto records = testing::default_records();
    QImage image = white_image(800, 400);
    QPainter painter(&image);
    PainterSurface surface(painter, 96);
    EXPECT_EQ(surface.text_cell_height(), 16);
    draw_view(*records, series_colours(), surface, 0, 0, 800, 400);
    painter.end();
    // Lines at y = 96, 144 and 192 from x = 48; nothing above or left of them.
    EXPECT_TRUE(all_white(image, QRect(0, 0, 800, 96)));
    EXPECT_TRUE(all_white(image, QRect(0, 0, 48, 400)));
    EXPECT_FALSE(all_white(image, QRect(48, 96, 600, 16)));
    EXPECT_FALSE(all_white(image, QRect(48, 192, 600, 16)));
    EXPECT_TRUE(all_white(image, QRect(0, 210, 800, 190)));
}

TEST(PainterSurface, WholePopulationRunShowsTheFourCurves) {
    auto records = run_records(MODE_NO_INTERVENTION);
    records->scale.ymax = 10000;
    const QImage image = render(*records, 1200, 700);
    // s = 1200 / 2400000; the window origin is (-200000, 1200000).
    const double s = 1200.0 / 2400000.0;
    const QRgb colours[] = {qRgb(0, 0, 0), qRgb(0, 0, 255), qRgb(255, 0, 0), qRgb(0, 255, 0)};
    int checked = 0;
    for (int j = 20; j < 800; j += 40) {
        double y[4];
        for (int k = 0; k < 4; ++k)
            y[k] = (1200000.0 - records->results[j][k] * 100.0) * s;
        const int x = static_cast<int>(std::lround((2500.0 * j + 200000.0) * s));
        for (int k = 0; k < 4; ++k) {
            bool apart = true;
            for (int other = 0; other < 4; ++other) {
                if (other != k && std::fabs(y[other] - y[k]) < 4) apart = false;
            }
            if (!apart || records->results[j][k] < 200) continue;  // not among the grid or ticks
            EXPECT_TRUE(colour_near(image, x, static_cast<int>(std::lround(y[k])), colours[k]))
                << "row " << j << " compartment " << k;
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);
}

TEST(PainterSurface, WideTargetLeavesABandOnTheRight) {
    auto records = run_records(MODE_NO_INTERVENTION);
    const QImage image = render(*records, 2000, 700);
    // Scale 0.05: the frame from (100, 100) to (1100, 600), the window 1200 wide.
    EXPECT_EQ(image.pixel(100, 350) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(1100, 350) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(600, 100) & 0xFFFFFF, 0u);
    EXPECT_TRUE(all_white(image, QRect(1200, 0, 800, 700)));
    EXPECT_TRUE(all_white(image, QRect(0, 0, 100, 40)));
}

TEST(PainterSurface, TallTargetLeavesABandBelow) {
    auto records = run_records(MODE_NO_INTERVENTION);
    const QImage image = render(*records, 1200, 2000);
    EXPECT_EQ(image.pixel(100, 350) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(600, 600) & 0xFFFFFF, 0u);
    EXPECT_TRUE(all_white(image, QRect(0, 700, 1200, 1300)));
}

TEST(PainterSurface, UndrawableRangeShowsHeaderAndNotice) {
    auto records = run_records(MODE_NO_INTERVENTION);
    records->scale.ymax = records->scale.ymin;
    const QImage image = render(*records, 1200, 700);
    EXPECT_FALSE(all_white(image, QRect(100, 50, 600, 20)));   // header line 1
    EXPECT_FALSE(all_white(image, QRect(100, 350, 600, 20)));  // the notice
    EXPECT_TRUE(all_white(image, QRect(0, 400, 1200, 300)));   // no frame, no curves
}

}  // namespace
}  // namespace morbilex
