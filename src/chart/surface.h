// The drawing operations the chart uses, one to one with the platform's:
// isotropic mapping, fonts, text metrics, pens, lines and text. Coordinates are
// logical units of the current mapping (device pixels before any mapping).
#pragma once

#include <cstdint>

namespace morbilex {

// 0x00BBGGRR: red in the low byte, green in the second, blue in the third.
using Colour = std::uint32_t;

// A font or pen that the surface made; 0 is "none".
using SurfaceObject = std::uintptr_t;

class Surface {
public:
    virtual ~Surface() = default;

    // Makes the device's default font current (the font it replaces is not kept).
    virtual void select_device_default_font() = 0;
    // Logical units of equal device size on both axes.
    virtual void set_isotropic_mode() = 0;
    // The logical extent to be shown; set before the viewport extent.
    virtual void set_window_extent(int x, int y) = 0;
    // The device extent; a negative y makes logical y grow upward. The surface
    // then scales by s = min(|device x| / |extent x|, |device y| / |extent y|).
    virtual void set_viewport_extent(int x, int y) = 0;
    // The logical point that lands on the device origin (top-left corner).
    virtual void set_window_origin(int x, int y) = 0;

    // The chart font: fixed pitch, normal weight, cell height in logical units.
    virtual SurfaceObject create_chart_font(int cell_height) = 0;
    // Makes the font current and returns the one it replaces.
    virtual SurfaceObject select_font(SurfaceObject font) = 0;
    virtual void delete_font(SurfaceObject font) = 0;
    // tmHeight of the current font, in logical units.
    virtual int text_cell_height() = 0;
    // The cell height, in device units, of text set for reading on this device
    // whatever the chart's size: the platform's usual text at the display's
    // scale (16 on a plain 96 dots-per-inch screen, 32 at 200 %, 100 on a 600
    // dots-per-inch printer).
    virtual double reading_cell_height() { return READING_CELL_AT_96_DPI; }
    static constexpr double READING_CELL_AT_96_DPI = 16.0;

    // A solid pen one device unit wide.
    virtual SurfaceObject create_pen(Colour colour) = 0;
    // Makes the pen current and returns the one it replaces.
    virtual SurfaceObject select_pen(SurfaceObject pen) = 0;
    virtual void delete_pen(SurfaceObject pen) = 0;

    virtual void move_to(int x, int y) = 0;
    // Line from the current position with the current pen; the end point is not
    // painted and becomes the current position.
    virtual void line_to(int x, int y) = 0;
    // Black text on an opaque white cell, reference point at its top-left corner.
    virtual void text_out(int x, int y, const char* text, int length) = 0;
    // The rectangle between the two corners, edges included, filled with the
    // colour; no outline, the current pen and position stay.
    virtual void fill_rectangle(int left, int top, int right, int bottom, Colour colour) = 0;

    // A dashed pen one device unit wide; a surface without dashes draws solid.
    virtual SurfaceObject create_dashed_pen(Colour colour) { return create_pen(colour); }
};

}  // namespace morbilex
