// The chart's drawing surface over a GDI device context.
#pragma once

#include <windows.h>

#include <vector>

#include "chart/surface.h"

namespace morbilex {

class GdiSurface final : public Surface {
public:
    // display_scale: the device's scale of a 96 dots per inch display (2 at
    // 200 %); pens are as many device pixels wide, rounded.
    explicit GdiSurface(HDC device_context, double display_scale = 1.0)
        : device_context_(device_context), display_scale_(display_scale) {}
    // Draws the lines still held for joining, then deletes the pens it made,
    // the current one first put back to the stock pen.
    ~GdiSurface() override;

    // For long curves: a line that starts where the last line of its pen
    // ended continues that pen's polyline, drawn at the next text, fill,
    // mapping change and at the end. Where curves of two colours cross, the
    // one on top may differ; every other pixel is the same.
    void join_lines(bool joined);
    GdiSurface(const GdiSurface&) = delete;
    GdiSurface& operator=(const GdiSurface&) = delete;

    void select_device_default_font() override;
    void set_isotropic_mode() override;
    void set_window_extent(int x, int y) override;
    void set_viewport_extent(int x, int y) override;
    void set_window_origin(int x, int y) override;

    SurfaceObject create_chart_font(int cell_height) override;
    SurfaceObject select_font(SurfaceObject font) override;
    void delete_font(SurfaceObject font) override;
    int text_cell_height() override;
    double reading_cell_height() override;

    SurfaceObject create_pen(Colour colour) override;
    SurfaceObject create_dashed_pen(Colour colour) override;
    SurfaceObject select_pen(SurfaceObject pen) override;
    void delete_pen(SurfaceObject pen) override;

    void move_to(int x, int y) override;
    void line_to(int x, int y) override;
    void text_out(int x, int y, const char* text, int length) override;
    void fill_rectangle(int left, int top, int right, int bottom, Colour colour) override;

private:
    // Puts right an isotropic mapping the platform distorted (see the .cpp).
    void keep_units_equal(int x, int y);
    // The logical height the chart font is made at (readable_chart_font_pixels).
    int readable_cell_height(int cell_height);

    // The logical width of a pen of the display scale's width in pixels; 0
    // (one pixel) at a scale below 1.5.
    int scaled_pen_width();

    HDC device_context_;
    double display_scale_;
    // A chart makes a pen for every segment of a curve; each colour and width
    // is made once and kept until the surface ends (delete_pen leaves it).
    struct MadePen {
        Colour colour;
        int width;
        HPEN pen;
        bool dashed = false;
    };
    SurfaceObject made_pen(Colour colour, bool dashed);
    std::vector<MadePen> pens_;

    void flush_lines();
    struct JoinedLine {
        HGDIOBJ pen;
        std::vector<POINT> points;
    };
    bool join_lines_ = false;
    std::vector<JoinedLine> joined_;
    HGDIOBJ current_pen_ = nullptr;  // while joining
    POINT position_ = {0, 0};        // while joining
};

}  // namespace morbilex
