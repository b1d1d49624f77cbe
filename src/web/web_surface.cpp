#include "web_surface.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "chart/readable_font.h"

namespace morbilex::web {
namespace {

constexpr double SMALLEST_CELL_PIXELS = 1.0;

}  // namespace

WebSurface::WebSurface(double default_font_pixels) : default_font_pixels_(default_font_pixels) {
    fonts_.push_back({true, false, default_font_pixels, 0});
    pens_.push_back({true, 0});
}

void WebSurface::select_device_default_font() {
    current_font_ = 1;
}

void WebSurface::set_isotropic_mode() {
    mapping_.set_isotropic_mode();
}

void WebSurface::set_window_extent(int x, int y) {
    mapping_.set_window_extent(x, y);
}

void WebSurface::set_viewport_extent(int x, int y) {
    mapping_.set_viewport_extent(x, y);
}

void WebSurface::set_window_origin(int x, int y) {
    mapping_.set_window_origin(x, y);
}

bool WebSurface::device_pixel(double x, double y, std::int32_t& px, std::int32_t& py) const {
    constexpr double LIMIT = 1 << 30;
    const double dx = mapping_.device_x(x);
    const double dy = mapping_.device_y(y);
    if (!(std::fabs(dx) < LIMIT && std::fabs(dy) < LIMIT)) return false;
    px = static_cast<std::int32_t>(std::floor(dx + 0.5));
    py = static_cast<std::int32_t>(std::floor(dy + 0.5));
    return true;
}

SurfaceObject WebSurface::create_chart_font(int cell_height) {
    const double requested = std::fabs(cell_height * mapping_.scale_y());
    const double pixels = readable_chart_font_pixels(requested, default_font_pixels_,
                                                     mapping_.viewport_x(), mapping_.viewport_y());
    const SurfaceObject font = take_slot(fonts_);
    Font& slot = fonts_[font - 1];
    slot.monospace = true;
    slot.cell_pixels = std::max(pixels, SMALLEST_CELL_PIXELS);
    // A font made at another height than requested has its cell height in
    // logical units follow from the font actually made.
    slot.logical_height = pixels == requested ? cell_height : 0;
    return font;
}

SurfaceObject WebSurface::select_font(SurfaceObject font) {
    return select_slot(fonts_, current_font_, font);
}

void WebSurface::delete_font(SurfaceObject font) {
    if (deletable_slot(fonts_, current_font_, font)) fonts_[font - 1] = Font{};
}

int WebSurface::text_cell_height() {
    const Font& font = fonts_[current_font_ - 1];
    return logical_cell_height(font.logical_height, font.cell_pixels, mapping_.scale_y());
}

// The page's own text size, at the display's scale already.
double WebSurface::reading_cell_height() {
    return default_font_pixels_;
}

SurfaceObject WebSurface::create_pen(Colour colour) {
    const SurfaceObject pen = take_slot(pens_);
    pens_[pen - 1].colour = colour;
    return pen;
}

SurfaceObject WebSurface::select_pen(SurfaceObject pen) {
    return select_slot(pens_, current_pen_, pen);
}

void WebSurface::delete_pen(SurfaceObject pen) {
    if (deletable_slot(pens_, current_pen_, pen)) pens_[pen - 1].in_use = false;
}

void WebSurface::move_to(int x, int y) {
    position_x_ = x;
    position_y_ = y;
}

void WebSurface::line_to(int x, int y) {
    std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    const bool drawable =
        device_pixel(position_x_, position_y_, x0, y0) && device_pixel(x, y, x1, y1);
    position_x_ = x;
    position_y_ = y;
    if (!drawable || (x0 == x1 && y0 == y1)) return;
    const Colour colour = pens_[current_pen_ - 1].colour;
    if (colour != drawn_colour_) {
        commands_.insert(commands_.end(), {PEN, static_cast<std::int32_t>(colour)});
        drawn_colour_ = colour;
    }
    commands_.insert(commands_.end(), {LINE, x0, y0, x1, y1});
}

void WebSurface::text_out(int x, int y, const char* text, int length) {
    if (length <= 0) return;
    std::int32_t px = 0, py = 0;
    if (!device_pixel(x, y, px, py)) return;
    const Font& font = fonts_[current_font_ - 1];
    const double size16 = std::min(font.cell_pixels * 16.0, static_cast<double>(INT_MAX / 2));
    commands_.insert(commands_.end(),
                     {TEXT, px, py, static_cast<std::int32_t>(std::lround(size16)),
                      font.monospace ? 1 : 0, static_cast<std::int32_t>(text_.size()), length});
    text_.append(text, static_cast<std::size_t>(length));
}

void WebSurface::fill_rectangle(int left, int top, int right, int bottom, Colour colour) {
    std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!device_pixel(left, top, x0, y0) || !device_pixel(right, bottom, x1, y1)) return;
    commands_.insert(commands_.end(), {FILL, std::min(x0, x1), std::min(y0, y1), std::max(x0, x1),
                                       std::max(y0, y1), static_cast<std::int32_t>(colour)});
}

}  // namespace morbilex::web
