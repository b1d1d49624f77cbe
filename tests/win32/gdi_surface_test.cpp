// GdiSurface hands each drawing operation to GDI with the same meaning.
#include "win32/gdi_surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace morbilex {
namespace {

// A white 200 x 100 bitmap to draw on.
class BitmapSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        device_context_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = WIDTH;
        info.bmiHeader.biHeight = -HEIGHT;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(device_context_, &info, DIB_RGB_COLORS,
                                   reinterpret_cast<void**>(&pixels_), nullptr, 0);
        previous_bitmap_ = SelectObject(device_context_, bitmap_);
        std::memset(pixels_, 0xFF, WIDTH * HEIGHT * 4);
    }
    void TearDown() override {
        SelectObject(device_context_, previous_bitmap_);
        DeleteObject(bitmap_);
        DeleteDC(device_context_);
    }
    // 0x00RRGGBB as the bitmap stores it.
    DWORD pixel(int x, int y) {
        GdiFlush();
        return pixels_[y * WIDTH + x] & 0xFFFFFF;
    }
    int non_white_pixels() {
        GdiFlush();
        int count = 0;
        for (int index = 0; index < WIDTH * HEIGHT; ++index) {
            count += (pixels_[index] & 0xFFFFFF) != 0xFFFFFF;
        }
        return count;
    }

    static constexpr int WIDTH = 200;
    static constexpr int HEIGHT = 100;
    HDC device_context_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_bitmap_ = nullptr;
    DWORD* pixels_ = nullptr;
};

TEST_F(BitmapSurfaceTest, IsotropicMappingKeepsEqualUnitsAndUpwardY) {
    GdiSurface surface(device_context_);
    surface.set_isotropic_mode();
    surface.set_window_extent(1000, 1000);
    surface.set_viewport_extent(WIDTH, -HEIGHT);
    surface.set_window_origin(-50, 900);
    EXPECT_EQ(GetMapMode(device_context_), MM_ISOTROPIC);
    SIZE window = {}, viewport = {};
    GetWindowExtEx(device_context_, &window);
    GetViewportExtEx(device_context_, &viewport);
    // One logical unit is the same device size on both axes: 1000 units fill 100 pixels.
    EXPECT_EQ(viewport.cx * window.cy, -viewport.cy * window.cx);
    POINT points[2] = {{-50, 900}, {950, -100}};
    LPtoDP(device_context_, points, 2);
    EXPECT_EQ(points[0].x, 0);
    EXPECT_EQ(points[0].y, 0);
    EXPECT_EQ(points[1].x, 100);
    EXPECT_EQ(points[1].y, 100);
}

// The chart's window extents at 10000 persons run to millions of units; the
// units stay equal on both axes there too, at every aspect of the device.
TEST_F(BitmapSurfaceTest, IsotropicMappingOfMillionsOfUnitsKeepsEqualUnits) {
    for (const SIZE device : {SIZE{470, 550}, SIZE{1900, 300}, SIZE{300, 1900}}) {
        GdiSurface surface(device_context_);
        surface.set_isotropic_mode();
        surface.set_window_extent(2400000, 1500000);
        surface.set_viewport_extent(device.cx, -device.cy);
        SIZE window = {}, viewport = {};
        GetWindowExtEx(device_context_, &window);
        GetViewportExtEx(device_context_, &viewport);
        const double across = static_cast<double>(viewport.cx) / window.cx;
        const double down = -static_cast<double>(viewport.cy) / window.cy;
        EXPECT_NEAR(across / down, 1.0, 0.01) << device.cx << "x" << device.cy;
        EXPECT_TRUE(viewport.cx == device.cx || -viewport.cy == device.cy);
    }
}

TEST_F(BitmapSurfaceTest, PensDrawSolidLinesOfTheirColour) {
    GdiSurface surface(device_context_);
    SurfaceObject red = surface.create_pen(0x0000FF);
    LOGPEN description = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(red), sizeof description, &description);
    EXPECT_EQ(description.lopnStyle, static_cast<UINT>(PS_SOLID));
    EXPECT_EQ(description.lopnWidth.x, 0);
    EXPECT_EQ(description.lopnColor, 0x0000FFu);

    SurfaceObject previous = surface.select_pen(red);
    surface.move_to(10, 20);
    surface.line_to(60, 20);
    EXPECT_EQ(pixel(10, 20), 0xFF0000u);  // red, as the bitmap stores it
    EXPECT_EQ(pixel(59, 20), 0xFF0000u);
    EXPECT_EQ(pixel(60, 20), 0xFFFFFFu) << "the end point is not painted";
    EXPECT_EQ(surface.select_pen(previous), red);
    surface.delete_pen(red);
}

// On a display scaled to 200 % a line is two device pixels wide, at 100 % one.
TEST_F(BitmapSurfaceTest, LinesFollowTheDisplayScale) {
    for (double scale : {1.0, 1.25, 2.0, 3.0}) {
        std::memset(pixels_, 0xFF, WIDTH * HEIGHT * 4);
        GdiSurface surface(device_context_, scale);
        surface.set_isotropic_mode();
        surface.set_window_extent(1000, 1000);  // ten logical units a pixel
        surface.set_viewport_extent(HEIGHT, -HEIGHT);
        surface.set_window_origin(0, 1000);
        const SurfaceObject pen = surface.create_pen(0x0000FF);
        const SurfaceObject kept = surface.select_pen(pen);
        surface.move_to(100, 500);
        surface.line_to(900, 500);
        surface.move_to(500, 100);
        surface.line_to(500, 900);
        int across = 0, along = 0;
        for (int y = 0; y < HEIGHT; ++y)
            across += pixel(30, y) == 0xFF0000u;
        for (int x = 0; x < WIDTH; ++x)
            along += pixel(x, 30) == 0xFF0000u;
        const int expected = scale < 1.5 ? 1 : static_cast<int>(scale);
        EXPECT_EQ(across, expected) << "horizontal line at scale " << scale;
        EXPECT_EQ(along, expected) << "vertical line at scale " << scale;
        EXPECT_EQ(pixel(90, 50), 0xFFFFFFu) << "the end point stays out at scale " << scale;
        surface.select_pen(kept);
        surface.delete_pen(pen);
        SetMapMode(device_context_, MM_TEXT);
        SetWindowOrgEx(device_context_, 0, 0, nullptr);
    }
}

// Joined one-pixel lines give the pixels of the same lines drawn one by one,
// where the curves do not cross; text drawn between them still covers what
// came before. (Wide lines join at their corners instead of leaving notches.)
TEST_F(BitmapSurfaceTest, JoinedLinesDrawWhatSingleLinesDraw) {
    const auto draw = [this](bool joined) {
        std::memset(pixels_, 0xFF, WIDTH * HEIGHT * 4);
        {
            GdiSurface surface(device_context_);
            surface.join_lines(joined);
            surface.set_isotropic_mode();
            surface.set_window_extent(2000, 1000);
            surface.set_viewport_extent(WIDTH, -HEIGHT);
            surface.set_window_origin(0, 1000);
            const Colour colours[] = {0x0000FF, 0xFF0000};
            for (int step = 1; step < 190; ++step) {
                for (int k = 0; k < 2; ++k) {  // two curves, their segments interleaved
                    const SurfaceObject pen = surface.create_pen(colours[k]);
                    const SurfaceObject kept = surface.select_pen(pen);
                    surface.move_to((step - 1) * 10, 200 + 400 * k + (step - 1) % 7 * 20);
                    surface.line_to(step * 10, 200 + 400 * k + step % 7 * 20);
                    surface.select_pen(kept);
                    surface.delete_pen(pen);
                }
                if (step == 120) surface.text_out(1000, 700, "Morbilex", 8);
            }
        }
        GdiFlush();
        return std::vector<DWORD>(pixels_, pixels_ + WIDTH * HEIGHT);
    };
    const std::vector<DWORD> single = draw(false);
    EXPECT_GT(std::count(single.begin(), single.end(), 0xFF0000u), 300);
    EXPECT_EQ(draw(true), single);
    EXPECT_EQ(GetCurrentObject(device_context_, OBJ_PEN), GetStockObject(BLACK_PEN))
        << "the surface's pens are gone with it, none left selected";
}

TEST_F(BitmapSurfaceTest, FilledRectanglesIncludeTheirEdges) {
    // Corners given either way round; a one-pixel-high band (a colour bar's
    // row) is filled too.
    GdiSurface surface(device_context_);
    surface.fill_rectangle(12, 7, 10, 5, RGB(0, 0, 255));
    surface.fill_rectangle(20, 30, 60, 30, RGB(255, 0, 0));
    EXPECT_EQ(non_white_pixels(), 3 * 3 + 41);
    EXPECT_EQ(pixel(10, 5), 0x0000FFu);
    EXPECT_EQ(pixel(12, 7), 0x0000FFu);
    EXPECT_EQ(pixel(60, 30), 0xFF0000u);
}

TEST_F(BitmapSurfaceTest, ChartFontHasTheRequestedCellHeight) {
    GdiSurface surface(device_context_);
    SurfaceObject font = surface.create_chart_font(24);
    ASSERT_NE(font, 0u);
    LOGFONTA description = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(font), sizeof description, &description);
    EXPECT_EQ(description.lfWeight, FW_NORMAL);
    EXPECT_EQ(description.lfPitchAndFamily, FIXED_PITCH | FF_MODERN);
    EXPECT_EQ(description.lfQuality, PROOF_QUALITY);

    SurfaceObject previous = surface.select_font(font);
    // The platform matches the cell height to the fixed-pitch face it picks;
    // a scalable face's ascent and descent are each rounded, so a pixel may
    // go (23 for 24 with some faces).
    EXPECT_NEAR(surface.text_cell_height(), 24, 1);
    EXPECT_EQ(surface.select_font(previous), font);
    surface.delete_font(font);

    surface.select_device_default_font();
    EXPECT_EQ(GetCurrentObject(device_context_, OBJ_FONT), GetStockObject(DEVICE_DEFAULT_FONT));
}

TEST_F(BitmapSurfaceTest, TextIsDrawnAtItsTopLeftReference) {
    GdiSurface surface(device_context_);
    surface.text_out(100, 50, "Morbilex", 8);
    int drawn = non_white_pixels();
    EXPECT_GT(drawn, 0);
    bool above_or_left = false;
    for (int y = 0; y < HEIGHT; ++y) {
        for (int x = 0; x < WIDTH; ++x) {
            if ((y < 50 || x < 100) && pixel(x, y) != 0xFFFFFFu) above_or_left = true;
        }
    }
    EXPECT_FALSE(above_or_left);
}

}  // namespace
}  // namespace morbilex
