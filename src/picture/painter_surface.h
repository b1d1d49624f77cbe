// The chart's drawing operations over a QPainter, for any paint device.
// The device may be a widget, an image, a PDF writer, a printer or an SVG generator.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPolygon>
#include <vector>

#include "chart/isotropic_mapping.h"
#include "chart/surface.h"
#include "chart/surface_slots.h"

namespace morbilex {

class PainterSurface : public Surface {
public:
    // Default font cell height, in pixels of a 96 dots-per-inch device; it
    // grows with the resolution so that it keeps its size on paper.
    static constexpr int DEFAULT_FONT_PIXELS_AT_96_DPI = 16;

    // dots_per_inch 0 takes the painter's device resolution. Lines are as many
    // device pixels wide as the device's pixel ratio, rounded (2 on a display
    // scaled to 200 %), and never less than one.
    explicit PainterSurface(QPainter& painter, int dots_per_inch = 0);
    // Draws the lines still held for joining.
    ~PainterSurface() override;
    PainterSurface(const PainterSurface&) = delete;
    PainterSurface& operator=(const PainterSurface&) = delete;

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

    // Device point of a logical point under the current mapping.
    QPointF device_point(double x, double y) const;

    // For vector output (SVG, PDF), where each line would be an element of its
    // own: a line that starts where the last line of its colour ended
    // continues that colour's polyline. The polylines are drawn before the next
    // text and at the end, so where curves of two colours cross, the one drawn
    // on top may differ; every other pixel is the same.
    void join_lines(bool joined);

private:
    struct FontSlot {
        bool in_use = false;
        QFont font;
        double cell_pixels = 0;      // ascent + descent on the device
        double ascent_pixels = 0;    // of the font as drawn, before magnification
        double magnification = 1.0;  // drawn font to requested cell
        int logical_height = 0;      // 0 for the device default font
    };
    struct PenSlot {
        bool in_use = false;
        QColor colour;
        bool dashed = false;
    };

    FontSlot make_font(QFont font, double cell_pixels) const;
    // Sets the painter's pen only when its colour changes.
    void use_painter_pen(const QColor& colour, bool dashed = false);
    // Draws the polylines being joined, in the order they were begun.
    void flush_lines();
    void join_line(const QColor& colour, bool dashed, QPoint from, QPoint to);

    QPainter& painter_;
    int dots_per_inch_;
    // The painter's pen width in device pixels; 0 is one pixel, cosmetic.
    double line_pixels_ = 0;
    IsotropicMapping mapping_;
    // Slot 0 of each table is the device default (font, black pen); object
    // ids are slot index + 1.
    std::vector<FontSlot> fonts_;
    std::vector<PenSlot> pens_;
    SurfaceObject current_font_ = 1;
    SurfaceObject current_pen_ = 1;
    int position_x_ = 0, position_y_ = 0;
    QColor painter_pen_colour_;
    bool painter_pen_dashed_ = false;
    bool painter_pen_set_ = false;
    bool join_lines_ = false;
    struct JoinedLine {
        QColor colour;
        bool dashed;
        QPolygon points;  // device pixels
    };
    std::vector<JoinedLine> joined_;  // at most one per colour
};

// The cell height of reading text on a device of these dots per inch: the
// device default font's (a widget's logical dots per inch stay 96 at any
// display scale; the painter scales).
double reading_cell_pixels(int dots_per_inch);

}  // namespace morbilex
