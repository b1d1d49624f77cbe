// Keeping the results of the Windows program: the save dialog, and the view
// as a PNG picture or an enhanced metafile, drawn as the window draws it.
#include <cstring>
#include <string>
#include <vector>

#include "chart/png_image.h"
#include "explore/explorer_view.h"
#include "shell/file_messages.h"
#include "win32/explorer_window.h"
#include "win32/gdi_surface.h"
#include "win32/program.h"

namespace morbilex {

namespace {

constexpr FileType CHART_TYPES[] = {{"PNG picture", "png"}, {"Enhanced metafile", "emf"}};
constexpr int PNG_TYPE = 0;

// The system's words for the calling thread's last error.
std::string last_error_text() {
    const DWORD code = GetLastError();
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
    std::string reason = text;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason.empty() ? "error " + std::to_string(code) : reason;
}

// The picture's size in device pixels: the client area's, at least one pixel
// each way, and in the explorer view wider by the figures beside the chart.
SIZE client_size(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    SIZE size = {std::max<LONG>(1, client.right - client.left),
                 std::max<LONG>(1, client.bottom - client.top)};
    if (main_window_state(window) != nullptr)
        size.cx = exported_view_width(size.cx, user_interface_state().view);
    return size;
}

void draw_window_view(HDC device_context, HWND window, SIZE size) {
    RECT area = {0, 0, size.cx, size.cy};
    FillRect(device_context, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    GdiSurface surface(device_context, display_scale(window));
    Records& records = program_records();
    MainWindowState* state = main_window_state(window);
    if (state == nullptr) {
        paint_view(surface, records, user_interface_state().series_colours, size.cx, size.cy);
        return;
    }
    // The figures the panel shows stand beside the chart in the picture; the
    // explorer's long curves are drawn as polylines, as in the window.
    surface.join_lines(!user_interface_state().view.classic);
    paint_explorer_view(surface, records, user_interface_state().series_colours, state->explorer,
                        size.cx, size.cy, !user_interface_state().view.classic);
}

// The view's pixels, rows top to bottom, red, green and blue bytes each.
bool view_pixels(HWND window, SIZE size, std::vector<std::uint8_t>& rgb, std::string& error) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(window, screen);
    if (memory == nullptr || bitmap == nullptr) {
        error = "the picture could not be made: " + last_error_text();
        if (bitmap != nullptr) DeleteObject(bitmap);
        if (memory != nullptr) DeleteDC(memory);
        return false;
    }
    const HGDIOBJ kept = SelectObject(memory, bitmap);
    draw_window_view(memory, window, size);
    GdiFlush();
    const std::size_t stride = (static_cast<std::size_t>(size.cx) * 3 + 3) / 4 * 4;
    rgb.resize(static_cast<std::size_t>(size.cx) * size.cy * 3);
    const auto* rows = static_cast<const std::uint8_t*>(bits);
    for (LONG y = 0; y < size.cy; ++y) {
        const std::uint8_t* from = rows + y * stride;
        std::uint8_t* to = rgb.data() + static_cast<std::size_t>(y) * size.cx * 3;
        for (LONG x = 0; x < size.cx; ++x) {  // the bitmap holds blue, green, red
            to[3 * x] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }
    SelectObject(memory, kept);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return true;
}

bool png_bytes(HWND window, std::string& bytes, std::string& error) {
    const SIZE size = client_size(window);
    std::vector<std::uint8_t> rgb;
    if (!view_pixels(window, size, rgb, error)) return false;
    bytes = encode_png(size.cx, size.cy, rgb);
    if (!bytes.empty()) return true;
    error = "the picture is too large for a PNG file";
    return false;
}

// The view recorded as drawing operations, its frame the client area's size
// on the window's screen.
bool metafile_bytes(HWND window, std::string& bytes, std::string& error) {
    const SIZE size = client_size(window);
    HDC screen = GetDC(window);
    const int dots_x = GetDeviceCaps(screen, LOGPIXELSX);
    const int dots_y = GetDeviceCaps(screen, LOGPIXELSY);
    // The frame in hundredths of a millimetre.
    RECT frame = {0, 0, MulDiv(size.cx, 2540, dots_x > 0 ? dots_x : 96),
                  MulDiv(size.cy, 2540, dots_y > 0 ? dots_y : 96)};
    HDC recorder = CreateEnhMetaFileA(screen, nullptr, &frame, "Morbilex\0Chart\0");
    ReleaseDC(window, screen);
    if (recorder == nullptr) {
        error = "the metafile could not be started: " + last_error_text();
        return false;
    }
    draw_window_view(recorder, window, size);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    const UINT length = metafile != nullptr ? GetEnhMetaFileBits(metafile, 0, nullptr) : 0;
    if (length == 0) {
        error = "the metafile could not be finished: " + last_error_text();
        if (metafile != nullptr) DeleteEnhMetaFile(metafile);
        return false;
    }
    bytes.resize(length);
    GetEnhMetaFileBits(metafile, length, reinterpret_cast<BYTE*>(bytes.data()));
    DeleteEnhMetaFile(metafile);
    return true;
}

}  // namespace

std::span<const FileType> chart_file_types() {
    return CHART_TYPES;
}

bool choose_save_file(HWND owner, const char* caption, const char* name,
                      std::span<const FileType> types, std::string& path, int& type) {
    std::string filter;
    for (const FileType& file_type : types) {
        const std::string pattern = std::strcmp(file_type.extension, "*") == 0
                                        ? "*.*"
                                        : "*." + std::string(file_type.extension);
        filter += std::string(file_type.description) + " (" + pattern + ")";
        filter.push_back('\0');
        filter += pattern;
        filter.push_back('\0');
    }
    char chosen[MAX_PATH] = {};
    std::strncpy(chosen, name, MAX_PATH - 1);
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = caption;
    dialog.lpstrDefExt = types.empty() ? nullptr : types[0].extension;
    // The current folder stays: the trace of the runs is written there.
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&dialog)) return false;
    path = chosen;
    type = dialog.nFilterIndex > 0 ? static_cast<int>(dialog.nFilterIndex) - 1 : 0;
    return true;
}

bool export_window_view(HWND window, const std::string& path, int type, std::string& error) {
    std::string bytes;
    const bool drawn =
        type == PNG_TYPE ? png_bytes(window, bytes, error) : metafile_bytes(window, bytes, error);
    if (!drawn) {
        error = file_problem_text(path, 0) + ": " + error;
        return false;
    }
    return write_whole_file(path, bytes, error);
}

}  // namespace morbilex
