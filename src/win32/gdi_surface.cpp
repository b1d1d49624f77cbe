#include "win32/gdi_surface.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "chart/readable_font.h"

namespace morbilex {

namespace {

HGDIOBJ to_gdi(SurfaceObject object) {
    return reinterpret_cast<HGDIOBJ>(object);
}
SurfaceObject from_gdi(HGDIOBJ object) {
    return reinterpret_cast<SurfaceObject>(object);
}

}  // namespace

int GdiSurface::readable_cell_height(int cell_height) {
    SIZE window = {1, 1};
    SIZE viewport = {1, 1};
    GetWindowExtEx(device_context_, &window);
    GetViewportExtEx(device_context_, &viewport);
    if (window.cy == 0) return cell_height;
    const double scale = std::fabs(static_cast<double>(viewport.cy) / window.cy);
    const HGDIOBJ kept = SelectObject(device_context_, GetStockObject(DEVICE_DEFAULT_FONT));
    TEXTMETRICA metrics = {};
    GetTextMetricsA(device_context_, &metrics);
    SelectObject(device_context_, kept);
    const double requested = std::fabs(cell_height * scale);
    const double pixels =
        readable_chart_font_pixels(requested, metrics.tmHeight * scale, viewport.cx, viewport.cy);
    // Below half a pixel the font mapper takes the default size by itself.
    if (pixels == requested || requested < 0.5 || scale <= 0) return cell_height;
    const double logical = std::ceil(pixels / scale);
    return logical < INT_MAX ? static_cast<int>(logical) : INT_MAX;
}

void GdiSurface::select_device_default_font() {
    SelectObject(device_context_, GetStockObject(DEVICE_DEFAULT_FONT));
}

void GdiSurface::set_isotropic_mode() {
    SetMapMode(device_context_, MM_ISOTROPIC);
}

void GdiSurface::set_window_extent(int x, int y) {
    flush_lines();
    SetWindowExtEx(device_context_, x, y, nullptr);
}

void GdiSurface::set_viewport_extent(int x, int y) {
    flush_lines();
    SetViewportExtEx(device_context_, x, y, nullptr);
    keep_units_equal(x, y);
}

// Isotropic mode shrinks one viewport extent so that a logical unit has the
// same size on both axes. Some GDI implementations work that out in 32-bit
// integers and distort window extents of millions of units (the chart's at
// 10000 persons); where the units came out unequal, the same extents are set
// in anisotropic mode.
void GdiSurface::keep_units_equal(int x, int y) {
    if (GetMapMode(device_context_) != MM_ISOTROPIC || x == 0 || y == 0) return;
    SIZE window = {1, 1};
    SIZE viewport = {1, 1};
    GetWindowExtEx(device_context_, &window);
    GetViewportExtEx(device_context_, &viewport);
    if (window.cx == 0 || window.cy == 0) return;
    const double scale = std::min(std::fabs(static_cast<double>(x) / window.cx),
                                  std::fabs(static_cast<double>(y) / window.cy));
    const auto extent = [scale](LONG window_extent, int requested) {
        const double size = std::floor(std::fabs(static_cast<double>(window_extent)) * scale + 0.5);
        return static_cast<int>(std::max(size, 1.0)) * (requested < 0 ? -1 : 1);
    };
    const int equal_x = extent(window.cx, x);
    const int equal_y = extent(window.cy, y);
    if (std::abs(viewport.cx - equal_x) <= 1 && std::abs(viewport.cy - equal_y) <= 1) return;
    SetMapMode(device_context_, MM_ANISOTROPIC);
    SetWindowExtEx(device_context_, window.cx, window.cy, nullptr);
    SetViewportExtEx(device_context_, equal_x, equal_y, nullptr);
}

void GdiSurface::set_window_origin(int x, int y) {
    flush_lines();
    SetWindowOrgEx(device_context_, x, y, nullptr);
}

SurfaceObject GdiSurface::create_chart_font(int cell_height) {
    return from_gdi(CreateFontA(readable_cell_height(cell_height), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                PROOF_QUALITY, FIXED_PITCH | FF_MODERN, nullptr));
}

SurfaceObject GdiSurface::select_font(SurfaceObject font) {
    return from_gdi(SelectObject(device_context_, to_gdi(font)));
}

void GdiSurface::delete_font(SurfaceObject font) {
    DeleteObject(to_gdi(font));
}

int GdiSurface::text_cell_height() {
    TEXTMETRICA metrics = {};
    GetTextMetricsA(device_context_, &metrics);
    return metrics.tmHeight;
}

// A printer's text is set for its dots per inch; a display's (and a picture's
// made for one) for its scale.
double GdiSurface::reading_cell_height() {
    const int dots_per_inch = GetDeviceCaps(device_context_, LOGPIXELSY);
    const double scale =
        GetDeviceCaps(device_context_, TECHNOLOGY) == DT_RASPRINTER && dots_per_inch > 0
            ? dots_per_inch / 96.0
            : display_scale_;
    return READING_CELL_AT_96_DPI * scale;
}

int GdiSurface::scaled_pen_width() {
    const double pixels = std::floor(display_scale_ + 0.5);
    if (!(pixels >= 2)) return 0;
    SIZE window = {1, 1};
    SIZE viewport = {1, 1};
    GetWindowExtEx(device_context_, &window);
    GetViewportExtEx(device_context_, &viewport);
    if (viewport.cx == 0 || GetMapMode(device_context_) == MM_TEXT) return static_cast<int>(pixels);
    const double logical =
        std::ceil(pixels * std::fabs(static_cast<double>(window.cx) / viewport.cx));
    return logical < INT_MAX ? static_cast<int>(logical) : 0;
}

GdiSurface::~GdiSurface() {
    flush_lines();
    const HGDIOBJ current = GetCurrentObject(device_context_, OBJ_PEN);
    for (const MadePen& made : pens_) {
        if (made.pen == current) SelectObject(device_context_, GetStockObject(BLACK_PEN));
        DeleteObject(made.pen);
    }
}

SurfaceObject GdiSurface::create_pen(Colour colour) {
    return made_pen(colour, false);
}

SurfaceObject GdiSurface::create_dashed_pen(Colour colour) {
    return made_pen(colour, true);
}

SurfaceObject GdiSurface::made_pen(Colour colour, bool dashed) {
    const int width = scaled_pen_width();
    for (const MadePen& made : pens_) {
        if (made.colour == colour && made.width == width && made.dashed == dashed)
            return from_gdi(made.pen);
    }
    HPEN pen = nullptr;
    const DWORD style = dashed ? PS_DASH : PS_SOLID;
    if (width == 0) {
        pen = CreatePen(static_cast<int>(style), 0, static_cast<COLORREF>(colour));
    } else {
        // Flat ends, so that a wide line too leaves out its end point.
        LOGBRUSH brush = {BS_SOLID, static_cast<COLORREF>(colour), 0};
        pen = ExtCreatePen(PS_GEOMETRIC | style | PS_ENDCAP_FLAT | PS_JOIN_MITER,
                           static_cast<DWORD>(width), &brush, 0, nullptr);
    }
    if (pen != nullptr) pens_.push_back({colour, width, pen, dashed});
    return from_gdi(pen);
}

SurfaceObject GdiSurface::select_pen(SurfaceObject pen) {
    if (join_lines_) {
        // The device's pen changes when the joined lines are drawn.
        const HGDIOBJ replaced = current_pen_;
        current_pen_ = to_gdi(pen);
        return from_gdi(replaced);
    }
    return from_gdi(SelectObject(device_context_, to_gdi(pen)));
}

void GdiSurface::join_lines(bool joined) {
    flush_lines();
    if (joined && !join_lines_) {
        current_pen_ = GetCurrentObject(device_context_, OBJ_PEN);
        GetCurrentPositionEx(device_context_, &position_);
    } else if (!joined && join_lines_) {
        SelectObject(device_context_, current_pen_);
    }
    join_lines_ = joined;
}

void GdiSurface::flush_lines() {
    if (joined_.empty()) return;
    for (const JoinedLine& line : joined_) {
        SelectObject(device_context_, line.pen);
        Polyline(device_context_, line.points.data(), static_cast<int>(line.points.size()));
    }
    joined_.clear();
    SelectObject(device_context_, current_pen_);
    MoveToEx(device_context_, position_.x, position_.y, nullptr);
}

void GdiSurface::delete_pen(SurfaceObject) {
    // Kept for the next segment of the colour; deleted with the surface.
}

void GdiSurface::move_to(int x, int y) {
    if (join_lines_) {
        position_ = {x, y};
        return;
    }
    MoveToEx(device_context_, x, y, nullptr);
}

void GdiSurface::line_to(int x, int y) {
    if (!join_lines_) {
        LineTo(device_context_, x, y);
        return;
    }
    const POINT from = position_;
    position_ = {x, y};
    auto same_pen = std::find_if(joined_.begin(), joined_.end(), [this](const JoinedLine& line) {
        return line.pen == current_pen_;
    });
    if (same_pen != joined_.end() && same_pen->points.back().x == from.x &&
        same_pen->points.back().y == from.y) {
        same_pen->points.push_back(position_);
        return;
    }
    if (same_pen != joined_.end()) {
        const POINT end = position_;
        position_ = from;
        flush_lines();
        position_ = end;
    }
    joined_.push_back({current_pen_, {from, position_}});
}

void GdiSurface::text_out(int x, int y, const char* text, int length) {
    flush_lines();  // text cells cover the lines drawn before them
    TextOutA(device_context_, x, y, text, length);
}

void GdiSurface::fill_rectangle(int left, int top, int right, int bottom, Colour colour) {
    flush_lines();
    // Edges included under any mapping: the corners in device pixels, filled
    // there one pixel past the far ones (GDI's fills stop short of them).
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(colour));
    if (brush == nullptr) return;
    POINT corners[2] = {{left, top}, {right, bottom}};
    LPtoDP(device_context_, corners, 2);
    const RECT box = {std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
                      std::max(corners[0].x, corners[1].x) + 1,
                      std::max(corners[0].y, corners[1].y) + 1};
    // The mapping, pen and position come back with the saved state.
    const int saved = SaveDC(device_context_);
    SetMapMode(device_context_, MM_TEXT);
    SetWindowOrgEx(device_context_, 0, 0, nullptr);
    SetViewportOrgEx(device_context_, 0, 0, nullptr);
    FillRect(device_context_, &box, brush);
    RestoreDC(device_context_, saved);
    DeleteObject(brush);
}

}  // namespace morbilex
