// The chart's drawing surface over a GDI device context.
#pragma once

#include <windows.h>

#include "chart/surface.h"

namespace morbilex {

class GdiSurface final : public Surface {
public:
    // display_scale: the device's scale of a 96 dots per inch display (2 at
    // 200 %); pens are as many device pixels wide, rounded.
    explicit GdiSurface(HDC device_context, double display_scale = 1.0)
        : device_context_(device_context), display_scale_(display_scale) {}

    void select_device_default_font() override;
    void set_isotropic_mode() override;
    void set_window_extent(int x, int y) override;
    void set_viewport_extent(int x, int y) override;
    void set_window_origin(int x, int y) override;

    SurfaceObject create_chart_font(int cell_height) override;
    SurfaceObject select_font(SurfaceObject font) override;
    void delete_font(SurfaceObject font) override;
    int text_cell_height() override;

    SurfaceObject create_pen(Colour colour) override;
    SurfaceObject select_pen(SurfaceObject pen) override;
    void delete_pen(SurfaceObject pen) override;

    void move_to(int x, int y) override;
    void line_to(int x, int y) override;
    void text_out(int x, int y, const char* text, int length) override;
    void fill_rectangle(int left, int top, int right, int bottom, Colour colour) override;

private:
    // The logical height the chart font is made at (readable_chart_font_pixels).
    int readable_cell_height(int cell_height);

    // The logical width of a pen of the display scale's width in pixels; 0
    // (one pixel) at a scale below 1.5.
    int scaled_pen_width();

    HDC device_context_;
    double display_scale_;
};

}  // namespace morbilex
