// The chart's drawing surface over a GDI device context.
#pragma once

#include <windows.h>

#include "chart/surface.h"

namespace morbilex {

class GdiSurface final : public Surface {
public:
    explicit GdiSurface(HDC device_context) : device_context_(device_context) {}

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

    HDC device_context_;
};

}  // namespace morbilex
