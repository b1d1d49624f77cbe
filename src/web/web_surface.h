// The chart's drawing operations recorded for a page: the mapping is done
// here, and what reaches the device (lines, text cells, pen colours) goes
// into a compact command buffer that the page replays on a canvas or turns
// into an SVG drawing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chart/isotropic_mapping.h"
#include "chart/surface.h"
#include "chart/surface_slots.h"

namespace morbilex::web {

// The commands, one after another in an array of 32-bit integers:
//   PEN colour                        the colour of the lines that follow
//   LINE x0 y0 x1 y1                  device pixels; the end pixel is not painted
//   TEXT x y size16 monospace at length
//       black text on a white cell whose top-left corner is (x, y); size16 is
//       the cell height in 1/16 pixel; the text is bytes at..at+length of text()
//   FILL left top right bottom colour  a rectangle, edges included
enum Command : std::int32_t { PEN = 1, LINE = 2, TEXT = 3, FILL = 4 };

class WebSurface : public Surface {
public:
    // default_font_pixels: the cell height of the page's own font on the device.
    explicit WebSurface(double default_font_pixels);

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
    SurfaceObject select_pen(SurfaceObject pen) override;
    void delete_pen(SurfaceObject pen) override;

    void move_to(int x, int y) override;
    void line_to(int x, int y) override;
    void text_out(int x, int y, const char* text, int length) override;
    void fill_rectangle(int left, int top, int right, int bottom, Colour colour) override;

    const std::vector<std::int32_t>& commands() const { return commands_; }
    const std::string& text() const { return text_; }

    // The logical point under a device point, by the mapping last set.
    double logical_x(double device_x) const { return mapping_.logical_x(device_x); }
    double logical_y(double device_y) const { return mapping_.logical_y(device_y); }

private:
    struct Font {
        bool in_use = false;
        bool monospace = false;
        double cell_pixels = 0;
        int logical_height = 0;  // 0: follows from cell_pixels
    };
    struct Pen {
        bool in_use = false;
        Colour colour = 0;
    };
    // The device pixel of a logical point; false when no pixel holds it.
    bool device_pixel(double x, double y, std::int32_t& px, std::int32_t& py) const;

    double default_font_pixels_;
    IsotropicMapping mapping_;
    std::vector<Font> fonts_;  // slot 0: the device default font; ids are slot + 1
    std::vector<Pen> pens_;    // slot 0: the black default pen
    SurfaceObject current_font_ = 1;
    SurfaceObject current_pen_ = 1;
    Colour drawn_colour_ = 0xFFFFFFFF;  // none yet
    int position_x_ = 0, position_y_ = 0;
    std::vector<std::int32_t> commands_;
    std::string text_;
};

}  // namespace morbilex::web
