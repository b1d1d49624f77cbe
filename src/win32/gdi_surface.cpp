#include "win32/gdi_surface.h"

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
    SetWindowExtEx(device_context_, x, y, nullptr);
}

void GdiSurface::set_viewport_extent(int x, int y) {
    SetViewportExtEx(device_context_, x, y, nullptr);
}

void GdiSurface::set_window_origin(int x, int y) {
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

SurfaceObject GdiSurface::create_pen(Colour colour) {
    return from_gdi(CreatePen(PS_SOLID, 0, static_cast<COLORREF>(colour)));
}

SurfaceObject GdiSurface::select_pen(SurfaceObject pen) {
    return from_gdi(SelectObject(device_context_, to_gdi(pen)));
}

void GdiSurface::delete_pen(SurfaceObject pen) {
    DeleteObject(to_gdi(pen));
}

void GdiSurface::move_to(int x, int y) {
    MoveToEx(device_context_, x, y, nullptr);
}

void GdiSurface::line_to(int x, int y) {
    LineTo(device_context_, x, y);
}

void GdiSurface::text_out(int x, int y, const char* text, int length) {
    TextOutA(device_context_, x, y, text, length);
}

void GdiSurface::fill_rectangle(int left, int top, int right, int bottom, Colour colour) {
    // Rectangle with no pen fills the inside in logical units under any
    // mapping; the current pen and position stay.
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(colour));
    if (brush == nullptr) return;
    HGDIOBJ kept_pen = SelectObject(device_context_, GetStockObject(NULL_PEN));
    HGDIOBJ kept_brush = SelectObject(device_context_, brush);
    Rectangle(device_context_, left, top, right, bottom);
    SelectObject(device_context_, kept_brush);
    SelectObject(device_context_, kept_pen);
    DeleteObject(brush);
}

}  // namespace morbilex
