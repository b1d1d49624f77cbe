#include "win32/explorer_window.h"

#include <commctrl.h>
#include <oleacc.h>
#include <richedit.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "explore/field_help.h"
#include "explore/figures.h"
#include "explore/user_guide.h"
#include "explore/view_figures.h"
#include "win32/gdi_surface.h"
#include "win32/program.h"

namespace morbilex {

namespace {

constexpr const char* GUIDE_CLASS_NAME = "Morbilex_guide";
constexpr const char* TORNADO_CLASS_NAME = "Morbilex_tornado";
constexpr int PANEL_WIDTH_AT_96_DPI = 300;
constexpr int MARGIN_AT_96_DPI = 8;
constexpr int ROW_AT_96_DPI = 20;
constexpr int TRACKBAR_AT_96_DPI = 26;
constexpr int VALUE_WIDTH_AT_96_DPI = 56;
// Control ids of the panel: the figures, then one trackbar per slider.
constexpr int FIGURES_ID = 300;
constexpr int FIRST_SLIDER_ID = 310;
constexpr int TORNADO_ID = 301;
// A range button a slider, by the slider's place: 400 for the first.
constexpr int FIRST_RANGE_ID = 400;
constexpr int RANGE_BUTTON_AT_96_DPI = 22;

int scaled(HWND window, int pixels) {
    return static_cast<int>(pixels * display_scale(window) + 0.5);
}

// Text with the CR LF line ends a multi-line edit wants.
std::string windows_lines(const std::string& text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') lines += '\r';
        if (c != '\r') lines += c;
    }
    return lines;
}

constexpr const char* FIGURE_COLUMNS[] = {"Figure", "This run", "No intervention", "Change"};

void set_list_text(HWND list, int row, int column, const std::string& text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

int add_list_row(HWND list, const std::string& first) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(first.c_str());
    return static_cast<int>(
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

// "Label: value" as a row: the label in the first column, the value in the
// second; a value's "(median M)" on a row of its own below it, and a line
// without a label split before its parenthesis, so that the columns stay narrow.
void add_labelled_row(HWND list, const std::string& line) {
    std::size_t colon = line.find(": ");
    std::size_t skip = 2;
    if (colon == std::string::npos) {
        colon = line.find(" (");
        skip = 1;
    }
    if (colon == std::string::npos) {
        add_list_row(list, line);
        return;
    }
    std::string value = line.substr(colon + skip);
    const std::size_t median = value.find(" (median ");
    std::string median_value;
    if (median != std::string::npos && value.back() == ')') {
        median_value = value.substr(median + 9, value.size() - median - 10);
        value.erase(median);
        // The unit goes with the median: "836.12 to 1497.83", "1196.10 persons".
        const std::size_t unit = value.rfind(' ');
        if (unit != std::string::npos &&
            std::isalpha(static_cast<unsigned char>(value[unit + 1]))) {
            median_value += value.substr(unit);
            value.erase(unit);
        }
    }
    const int row = add_list_row(list, "  " + line.substr(0, colon));
    set_list_text(list, row, 1, value);
    if (!median_value.empty()) {
        const int below = add_list_row(list, "    median");
        set_list_text(list, below, 1, median_value);
    }
}

// The figures as a table, as the Linux program shows them: a row a figure,
// the columns of the run without intervention only after an intervention.
void show_figures(HWND list, const ViewFigures& figures, const std::vector<FigureLine>& lines,
                  const ExplorerUncertainty& uncertainty) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    if (!figures.available) {
        add_list_row(list, "Calculate a run (Ctrl+N).");
    } else {
        for (const FigureLine& line : lines) {
            const int row = add_list_row(list, line.label);
            set_list_text(list, row, 1, line.value);
            if (figures.has_baseline) {
                set_list_text(list, row, 2, line.baseline);
                set_list_text(list, row, 3, line.difference);
            }
        }
        const std::string change = peak_change_text(figures);
        if (!change.empty()) {
            const int row = add_list_row(list, "Against no intervention");
            set_list_text(list, row, 1, change);
        }
        // Over the ranges: each figure's interval, then the fields by effect.
        if (uncertainty.available()) {
            const int row = add_list_row(list, "Over the ranges");
            set_list_text(list, row, 1, "5th to 95th percentile");
            const int samples = add_list_row(list, "  samples");
            set_list_text(list, samples, 1, std::to_string(uncertainty.ensemble().samples));
            for (const std::string& line : interval_lines(uncertainty.ensemble()))
                add_labelled_row(list, line);
            for (const std::string& line : tornado_lines(uncertainty.tornado(), uncertainty.ranges))
                add_labelled_row(list, line);
        } else if (!uncertainty.refusal().empty()) {
            add_labelled_row(list, "Ranges: " + uncertainty.refusal());
        }
    }
    const int columns = figures.available && figures.has_baseline ? 4 : 2;
    for (int column = 0; column < 4; ++column) {
        SendMessageA(list, LVM_SETCOLUMNWIDTH, column,
                     column < columns ? LVSCW_AUTOSIZE_USEHEADER : 0);
    }
    // Two columns wider than the table: the labels give way (their tips show
    // them whole), never the values.
    RECT client = {};
    GetClientRect(list, &client);
    const int labels = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    const int values = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0));
    if (columns == 2 && labels + values > client.right)
        SendMessageA(list, LVM_SETCOLUMNWIDTH, 0,
                     std::max(static_cast<int>(client.right) - values, labels / 2));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// The width of text in the control's font, in pixels.
int text_width(HWND control, const char* text) {
    HDC device = GetDC(control);
    if (device == nullptr) return 0;
    const HGDIOBJ previous =
        SelectObject(device, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32A(device, text, static_cast<int>(std::strlen(text)), &size);
    SelectObject(device, previous);
    ReleaseDC(control, device);
    return size.cx;
}

HWND make_child(HWND parent, const char* window_class, const char* text, DWORD style, int id) {
    HWND child = CreateWindowExA(0, window_class, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 user_interface_state().instance_handle, nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return child;
}

void destroy_sliders(MainWindowState& state) {
    for (const SliderControls& slider : state.sliders) {
        for (HWND control :
             {slider.label, slider.trackbar, slider.value, slider.range, slider.no_range,
              slider.low, slider.low_value, slider.high, slider.high_value}) {
            if (control != nullptr) DestroyWindow(control);
        }
    }
    state.sliders.clear();
}

// A trackbar over the slider's positions.
HWND make_trackbar(HWND window, const SliderField& field, int id) {
    HWND trackbar = make_child(window, TRACKBAR_CLASSA, "",
                               WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS, id);
    SendMessageA(trackbar, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageA(trackbar, TBM_SETRANGEMAX, FALSE, slider_positions(field) - 1);
    SendMessageA(trackbar, TBM_SETPAGESIZE, 0, std::max(1, slider_positions(field) / 20));
    return trackbar;
}

bool has_range(const MainWindowState& state, const SliderControls& slider) {
    return slider.range != nullptr &&
           state.explorer.uncertainty.ranges.find(slider.field->name) != nullptr;
}

// The range's ends where the explorer's range has them, with their values.
void show_range_ends(const MainWindowState& state, const SliderControls& slider) {
    const ParameterRange* range = state.explorer.uncertainty.ranges.find(slider.field->name);
    if (range == nullptr) return;
    const std::pair<HWND, HWND> ends[] = {{slider.low, slider.low_value},
                                          {slider.high, slider.high_value}};
    const double values[] = {range->low, range->high};
    for (int k = 0; k < 2; ++k) {
        if (GetCapture() != ends[k].first)
            SendMessageA(ends[k].first, TBM_SETPOS, TRUE,
                         slider_position_of(*slider.field, values[k]));
        SetWindowTextA(ends[k].second, slider_value_text(*slider.field, values[k]).c_str());
    }
}

// The button beside the slider and the range's two ends, as a range button
// and two trackbars below the slider, shown while the field has a range.
void make_range_controls(HWND window, MainWindowState& state, SliderControls& controls) {
    const int place = static_cast<int>(state.sliders.size());
    controls.range =
        make_child(window, "Button", "\xB1",
                   WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE, FIRST_RANGE_ID + place);
    const std::string label = controls.field->label;
    set_accessible_name(controls.range, label + " as a range");
    add_tooltip(state.tooltip, window, controls.range,
                "Give this field a range: bands and intervals");
    controls.low = make_trackbar(window, *controls.field, -1);
    controls.high = make_trackbar(window, *controls.field, -1);
    set_accessible_name(controls.low, label + " range, low end");
    set_accessible_name(controls.high, label + " range, high end");
    add_tooltip(state.tooltip, window, controls.low, "The range's low end");
    add_tooltip(state.tooltip, window, controls.high, "The range's high end");
    controls.low_value =
        make_child(window, "Static", "", WS_VISIBLE | SS_RIGHT | SS_CENTERIMAGE, -1);
    controls.high_value =
        make_child(window, "Static", "", WS_VISIBLE | SS_RIGHT | SS_CENTERIMAGE, -1);
    const bool on = has_range(state, controls);
    SendMessageA(controls.range, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    show_range_ends(state, controls);
}

void make_sliders(HWND window, MainWindowState& state, const Records& records) {
    destroy_sliders(state);
    int id = FIRST_SLIDER_ID;
    for (const SliderField* field : sliders_shown(records)) {
        SliderControls controls{field, nullptr, nullptr, nullptr};
        // The label just before its trackbar names it for assistive technology.
        controls.label = make_child(window, "Static", field->label, WS_VISIBLE, -1);
        controls.trackbar = make_trackbar(window, *field, id++);
        controls.value = make_child(window, "Static", "", WS_VISIBLE | SS_RIGHT, -1);
        set_accessible_name(controls.trackbar, field->label);
        add_tooltip(state.tooltip, window, controls.trackbar, field_tip(field->name));
        if (rangeable_field(field->name))
            make_range_controls(window, state, controls);
        else
            controls.no_range = make_child(window, "Static", "", WS_VISIBLE, -1);
        state.sliders.push_back(controls);
    }
    state.sliders_mode = std::max(records.mode, MODE_NO_INTERVENTION);
    state.sliders_care = records.care.enabled;
    state.sliders_made = true;
}

void show_slider_value(const SliderControls& slider, const Records& records) {
    const double value = slider_value(records, *slider.field);
    SetWindowTextA(slider.value, slider_value_text(*slider.field, value).c_str());
}

// The rich edit control's class: the newest there is (msftedit.dll's, else
// riched20.dll's); nullptr when neither loads.
const char* rich_edit_class() {
    static const char* const found = []() -> const char* {
        if (LoadLibraryA("msftedit.dll") != nullptr) return "RICHEDIT50W";
        if (LoadLibraryA("riched20.dll") != nullptr) return "RichEdit20A";
        return nullptr;
    }();
    return found;
}

// A picture of the guide: the resource of its file's name, or "" when none.
std::string guide_picture(std::string_view name) {
    HINSTANCE instance = user_interface_state().instance_handle;
    std::string resource(name);
    std::replace(resource.begin(), resource.end(), '.', '_');
    HRSRC found = FindResourceA(instance, resource.c_str(), RT_RCDATA);
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return {};
    return std::string(static_cast<const char*>(bytes), SizeofResource(instance, found));
}

// Scrolls the guide so that the heading's paragraph is the first line shown.
void scroll_guide_to(HWND text, std::string_view heading) {
    if (text == nullptr || heading.empty()) return;
    std::wstring wide(heading.begin(), heading.end());  // headings are plain ASCII
    FINDTEXTEXW find = {};
    find.chrg.cpMin = 0;
    find.chrg.cpMax = -1;
    find.lpstrText = wide.c_str();
    LRESULT at = -1;
    // The heading is a paragraph of its own: the first match that starts one.
    while (true) {
        at = SendMessageW(text, EM_FINDTEXTEXW, FR_DOWN | FR_MATCHCASE,
                          reinterpret_cast<LPARAM>(&find));
        if (at < 0) return;
        const LRESULT line = SendMessageW(text, EM_LINEFROMCHAR, at, 0);
        if (SendMessageW(text, EM_LINEINDEX, line, 0) == at) break;
        find.chrg.cpMin = static_cast<LONG>(at + 1);
    }
    CHARRANGE caret = {static_cast<LONG>(at), static_cast<LONG>(at)};
    SendMessageW(text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    const LRESULT first = SendMessageW(text, EM_GETFIRSTVISIBLELINE, 0, 0);
    const LRESULT line = SendMessageW(text, EM_LINEFROMCHAR, at, 0);
    SendMessageW(text, EM_LINESCROLL, 0, line - first);
}

LRESULT CALLBACK guide_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: {
            HWND text = GetWindow(window, GW_CHILD);
            if (text != nullptr) MoveWindow(text, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            if (HWND owner = GetWindow(window, GW_OWNER)) {
                if (MainWindowState* state = main_window_state(owner)) state->guide = nullptr;
            }
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The tornado's child window: the core paints the ranges' effect on the peak
// through the GDI surface, as pictures and prints show it.
LRESULT CALLBACK tornado_proc(HWND tornado, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcA(tornado, message, wParam, lParam);
    PAINTSTRUCT paint = {};
    HDC device_context = BeginPaint(tornado, &paint);
    RECT client = {};
    GetClientRect(tornado, &client);
    FillRect(device_context, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (const MainWindowState* state = main_window_state(GetParent(tornado))) {
        GdiSurface surface(device_context, display_scale(tornado));
        paint_tornado_panel(surface, state->explorer.uncertainty, client.right, client.bottom);
    }
    EndPaint(tornado, &paint);
    return 0;
}

// The height the tornado wants in its panel's font: 0 without ranges.
int tornado_height(HWND tornado, const ExplorerUncertainty& uncertainty) {
    if (tornado_panel_height(uncertainty, 1) == 0) return 0;
    HDC device_context = GetDC(tornado);
    if (device_context == nullptr) return 0;
    int step = 0;
    {
        GdiSurface surface(device_context, display_scale(tornado));
        step = tornado_line_step(surface);
    }
    ReleaseDC(tornado, device_context);
    return tornado_panel_height(uncertainty, step);
}

}  // namespace

MainWindowState* main_window_state(HWND window) {
    return reinterpret_cast<MainWindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

int explorer_panel_width(HWND window, const Records&) {
    if (user_interface_state().view.classic) return 0;
    RECT client = {};
    GetClientRect(window, &client);
    // Never more than half the window: the chart keeps the larger part.
    return std::min(scaled(window, PANEL_WIDTH_AT_96_DPI), static_cast<int>(client.right / 2));
}

int chart_width(HWND window, const Records& records) {
    RECT client = {};
    GetClientRect(window, &client);
    return std::max(1, static_cast<int>(client.right) - explorer_panel_width(window, records));
}

void create_explorer_panel(HWND window, MainWindowState& state) {
    state.tooltip = create_tooltip(window);
    state.figures_title = make_child(window, "Static", "Figures of the run", 0, -1);
    state.figures = make_child(
        window, WC_LISTVIEWA, "",
        WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
        FIGURES_ID);
    set_accessible_name(state.figures, "Figures of the run");
    state.tornado = make_child(window, TORNADO_CLASS_NAME, "", 0, TORNADO_ID);
    set_accessible_name(state.tornado, "Effect of each range on the peak");
    SendMessageA(state.figures, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    for (int column = 0; column < 4; ++column) {
        LVCOLUMNA column_format = {};
        column_format.mask = LVCF_TEXT | LVCF_SUBITEM | LVCF_FMT;
        column_format.fmt = column == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        column_format.pszText = const_cast<char*>(FIGURE_COLUMNS[column]);
        column_format.iSubItem = column;
        SendMessageA(state.figures, LVM_INSERTCOLUMNA, column,
                     reinterpret_cast<LPARAM>(&column_format));
    }
}

void lay_out_explorer_panel(HWND window, MainWindowState& state, const Records& records) {
    const int panel = explorer_panel_width(window, records);
    const bool shown = panel > 0;
    ShowWindow(state.figures, shown ? SW_SHOWNA : SW_HIDE);
    ShowWindow(state.figures_title, shown ? SW_SHOWNA : SW_HIDE);
    const int tornado = shown ? tornado_height(state.tornado, state.explorer.uncertainty) : 0;
    ShowWindow(state.tornado, tornado > 0 ? SW_SHOWNA : SW_HIDE);
    for (const SliderControls& slider : state.sliders) {
        for (HWND control :
             {slider.label, slider.trackbar, slider.value, slider.range, slider.no_range})
            if (control != nullptr) ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
        const bool ends = shown && has_range(state, slider);
        for (HWND control : {slider.low, slider.low_value, slider.high, slider.high_value})
            if (control != nullptr) ShowWindow(control, ends ? SW_SHOWNA : SW_HIDE);
    }
    if (!shown) return;
    RECT client = {};
    GetClientRect(window, &client);
    const int margin = scaled(window, MARGIN_AT_96_DPI);
    const int left = client.right - panel + margin;
    const int width = panel - 2 * margin;
    const int row = scaled(window, TRACKBAR_AT_96_DPI);
    const int value_width = scaled(window, VALUE_WIDTH_AT_96_DPI);
    const int text_row = scaled(window, ROW_AT_96_DPI);
    const int button = scaled(window, RANGE_BUTTON_AT_96_DPI);
    // One row a slider: its label, the trackbar, its value, its range
    // button; the labels as wide as the widest needs. When that leaves the
    // trackbars too little room, each label takes a row of its own above its
    // trackbar. A range adds a row for each end below its slider.
    int widest = 0;
    for (const SliderControls& slider : state.sliders)
        widest = std::max(widest, text_width(slider.label, slider.field->label));
    const int label_width = widest + scaled(window, 6);
    const int values_width = value_width + button;
    const bool label_rows = width - label_width - values_width < scaled(window, 90);
    const int slider_height = label_rows ? row + text_row : row;
    int sliders_height = 0;
    for (const SliderControls& slider : state.sliders)
        sliders_height += slider_height + (has_range(state, slider) ? 2 * row : 0);
    const int figures_height = std::max(3 * row, static_cast<int>(client.bottom) - sliders_height -
                                                     3 * margin - text_row - tornado);
    MoveWindow(state.figures_title, left, margin, width, text_row, TRUE);
    MoveWindow(state.figures, left, margin + text_row, width, figures_height, TRUE);
    // The tornado under the figures, while the ranges give one.
    MoveWindow(state.tornado, left, margin + text_row + figures_height, width, tornado, TRUE);
    int y = 2 * margin + text_row + figures_height + tornado;
    const int label_offset = (row - text_row) / 2 + 1;
    const int value_left = left + width - values_width;
    for (const SliderControls& slider : state.sliders) {
        if (label_rows) {
            MoveWindow(slider.label, left, y, width - values_width, text_row, TRUE);
            MoveWindow(slider.value, value_left, y, value_width, text_row, TRUE);
            for (HWND beside : {slider.range, slider.no_range})
                if (beside != nullptr)
                    MoveWindow(beside, left + width - button, y, button, text_row, TRUE);
            MoveWindow(slider.trackbar, left, y + text_row, width, row, TRUE);
        } else {
            MoveWindow(slider.label, left, y + label_offset, label_width, row - label_offset, TRUE);
            MoveWindow(slider.trackbar, left + label_width, y, width - label_width - values_width,
                       row, TRUE);
            MoveWindow(slider.value, value_left, y + label_offset, value_width, row - label_offset,
                       TRUE);
            if (slider.range != nullptr)
                MoveWindow(slider.range, left + width - button, y + 2, button, row - 4, TRUE);
            if (slider.no_range != nullptr)
                MoveWindow(slider.no_range, left + width - button, y, button, row, TRUE);
        }
        y += slider_height;
        if (has_range(state, slider)) {
            // The ends under the slider's trackbar, their values at the right.
            const int track_left = label_rows ? left : left + label_width;
            const int track_width = value_left - track_left;
            for (const auto& [end, end_value] :
                 {std::pair{slider.low, slider.low_value}, {slider.high, slider.high_value}}) {
                MoveWindow(end, track_left, y, track_width, row, TRUE);
                MoveWindow(end_value, value_left, y, values_width, row, TRUE);
                y += row;
            }
        }
    }
    // The strip between chart and panel belongs to neither: the chart's paint
    // leaves it, the class brush clears it.
    RECT strip = {client.right - panel, 0, client.right, client.bottom};
    InvalidateRect(window, &strip, TRUE);
}

void refresh_explorer_panel(HWND window, MainWindowState& state, Records& records) {
    if (user_interface_state().view.classic) return;
    state.explorer.sync(records);
    state.explorer.uncertainty.sync(records);
    show_figures(state.figures, state.explorer.figures(),
                 view_figure_lines(records, state.explorer), state.explorer.uncertainty);
    const InterventionMode mode = records.mode < 0 ? MODE_NO_INTERVENTION : records.mode;
    if (!state.sliders_made || mode != state.sliders_mode ||
        records.care.enabled != state.sliders_care) {
        make_sliders(window, state, records);
        lay_out_explorer_panel(window, state, records);
    }
    for (const SliderControls& slider : state.sliders) {
        // A slider being dragged keeps its place under the pointer.
        if (GetCapture() != slider.trackbar) {
            SendMessageA(slider.trackbar, TBM_SETPOS, TRUE,
                         slider_position_of(*slider.field, slider_value(records, *slider.field)));
        }
        show_slider_value(slider, records);
        if (has_range(state, slider)) show_range_ends(state, slider);
    }
    // Ranges that came with an opened scenario or the remembered settings.
    bool turned = false;
    for (const SliderControls& slider : state.sliders) {
        if (slider.range == nullptr) continue;
        const bool on = has_range(state, slider);
        if ((SendMessageA(slider.range, BM_GETCHECK, 0, 0) == BST_CHECKED) == on) continue;
        SendMessageA(slider.range, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        if (on) show_range_ends(state, slider);
        turned = true;
    }
    // The tornado comes, goes or changes its bars with the ranges.
    RECT tornado = {};
    GetClientRect(state.tornado, &tornado);
    const int wanted = tornado_height(state.tornado, state.explorer.uncertainty);
    if (turned || wanted != (IsWindowVisible(state.tornado) ? tornado.bottom : 0))
        lay_out_explorer_panel(window, state, records);
    InvalidateRect(state.tornado, nullptr, FALSE);
}

void slider_scrolled(HWND window, MainWindowState& state, CommandContext& context, HWND trackbar,
                     int scroll_code) {
    // A range's end: the range between the two ends, its bands and intervals
    // recomputed live as the end moves.
    for (const SliderControls& slider : state.sliders) {
        if (slider.range == nullptr || (trackbar != slider.low && trackbar != slider.high))
            continue;
        if (scroll_code == TB_ENDTRACK) return;
        const double low = slider_value_at(
            *slider.field, static_cast<int>(SendMessageA(slider.low, TBM_GETPOS, 0, 0)));
        const double high = slider_value_at(
            *slider.field, static_cast<int>(SendMessageA(slider.high, TBM_GETPOS, 0, 0)));
        state.explorer.uncertainty.ranges.set(slider.field->name, std::min(low, high),
                                              std::max(low, high));
        refresh_explorer_panel(window, state, context.records);
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        return;
    }
    auto slider =
        std::find_if(state.sliders.begin(), state.sliders.end(),
                     [trackbar](const SliderControls& s) { return s.trackbar == trackbar; });
    if (slider == state.sliders.end() || scroll_code == TB_ENDTRACK) return;
    const int position = static_cast<int>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
    const double value = slider_value_at(*slider->field, position);
    // While the thumb is dragged, runs without a trace; its release (and every
    // key or click step) runs with the trace and its reports.
    const bool released = scroll_code != TB_THUMBTRACK;
    if (!released && value == slider_value(context.records, *slider->field)) return;
    slider_moved(context, state.explorer, *slider->field, value, released);
    refresh_explorer_panel(window, state, context.records);
    UpdateWindow(window);
}

bool range_button_clicked(HWND window, MainWindowState& state, Records& records, HWND control) {
    auto slider = std::find_if(state.sliders.begin(), state.sliders.end(),
                               [control](const SliderControls& s) { return s.range == control; });
    if (control == nullptr || slider == state.sliders.end()) return false;
    ExplorerRanges& ranges = state.explorer.uncertainty.ranges;
    if (SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        ranges.set_about(slider->field->name, slider_value(records, *slider->field),
                         slider->field->minimum, slider->field->maximum);
    } else {
        ranges.remove(slider->field->name);
    }
    SendMessageA(control, BM_SETCHECK, has_range(state, *slider) ? BST_CHECKED : BST_UNCHECKED, 0);
    lay_out_explorer_panel(window, state, records);
    refresh_explorer_panel(window, state, records);
    InvalidateRect(window, nullptr, TRUE);
    return true;
}

bool read_out_at(HWND window, MainWindowState& state, const Records& records, int x) {
    if (user_interface_state().view.classic) return false;
    RECT client = {};
    GetClientRect(window, &client);
    const int width = chart_width(window, records);
    const double cell = Surface::READING_CELL_AT_96_DPI * display_scale(window);
    const int step = x < width ? step_at_device_x(records, x, width, client.bottom, cell,
                                                  state.explorer.chart_text)
                               : -1;
    if (step == state.explorer.read_out_step) return false;
    state.explorer.read_out_step = step;
    return true;
}

bool read_out_key(HWND window, MainWindowState& state, const Records& records, WPARAM virtual_key) {
    if (user_interface_state().view.classic || records.mode < 0) return false;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    ReadOutKey key;
    switch (virtual_key) {
        case VK_LEFT:
            key = shift ? ReadOutKey::ShiftLeft : ReadOutKey::Left;
            break;
        case VK_RIGHT:
            key = shift ? ReadOutKey::ShiftRight : ReadOutKey::Right;
            break;
        case VK_PRIOR:
            key = ReadOutKey::PageUp;
            break;
        case VK_NEXT:
            key = ReadOutKey::PageDown;
            break;
        case VK_HOME:
            key = ReadOutKey::Home;
            break;
        case VK_END:
            key = ReadOutKey::End;
            break;
        default:
            return false;
    }
    RECT client = {};
    GetClientRect(window, &client);
    const double cell = Surface::READING_CELL_AT_96_DPI * display_scale(window);
    const ReadOutSteps steps = read_out_steps(records, chart_width(window, records), client.bottom,
                                              cell, state.explorer.chart_text);
    const int step = read_out_step_after_key(state.explorer.read_out_step, key, steps);
    if (step == state.explorer.read_out_step) return false;
    state.explorer.read_out_step = step;
    return true;
}

bool register_tornado_window_class(HINSTANCE instance) {
    WNDCLASSA window_class = {};
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = tornado_proc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszClassName = TORNADO_CLASS_NAME;
    return RegisterClassA(&window_class) != 0;
}

bool register_guide_window_class(HINSTANCE instance) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = guide_window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, ICON_NAME);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = GUIDE_CLASS_NAME;
    return RegisterClassA(&window_class) != 0;
}

void show_user_guide_window(HWND owner, MainWindowState& state, std::string_view section) {
    if (state.guide != nullptr) {
        scroll_guide_to(GetWindow(state.guide, GW_CHILD), section);
        SetForegroundWindow(state.guide);
        return;
    }
    const int width = scaled(owner, 640);
    const int height = scaled(owner, 560);
    state.guide =
        CreateWindowExA(0, GUIDE_CLASS_NAME, "Morbilex: user's guide",
                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, width,
                        height, owner, nullptr, user_interface_state().instance_handle, nullptr);
    if (state.guide == nullptr) return;
    const std::string guide = user_guide_for(GuideReader::Desktop);
    HWND text = nullptr;
    if (const char* rich = rich_edit_class()) {
        // The guide rendered: headings, lists and tables from its RTF.
        text = CreateWindowExA(0, rich, "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                   ES_AUTOVSCROLL | ES_NOHIDESEL,
                               0, 0, 0, 0, state.guide, nullptr,
                               user_interface_state().instance_handle, nullptr);
        if (text != nullptr) {
            const std::string rtf = guide_rtf(guide, guide_picture);
            SETTEXTEX how = {ST_DEFAULT, CP_ACP};
            SendMessageA(text, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                         reinterpret_cast<LPARAM>(rtf.c_str()));
            const int margin = scaled(owner, 12);
            SendMessageA(text, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                         MAKELPARAM(margin, margin));
        }
    }
    if (text == nullptr) {
        // Without a rich edit control, the text as it is written.
        text = CreateWindowExA(
            0, "Edit", windows_lines(guide).c_str(),
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
            0, 0, state.guide, nullptr, user_interface_state().instance_handle, nullptr);
        SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
    }
    set_accessible_name(text, "User's guide");
    RECT client = {};
    GetClientRect(state.guide, &client);
    MoveWindow(text, 0, 0, client.right, client.bottom, TRUE);
    SetFocus(text);
    scroll_guide_to(text, section);
}

HWND create_tooltip(HWND parent) {
    HWND tooltip =
        CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, parent,
                        nullptr, user_interface_state().instance_handle, nullptr);
    if (tooltip != nullptr) SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    return tooltip;
}

void add_tooltip(HWND tooltip, HWND parent, HWND control, const std::string& text) {
    if (tooltip == nullptr || control == nullptr || text.empty()) return;
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text.c_str());  // the tooltip keeps a copy
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string field_tip(const char* name) {
    const FieldHelp* help = name != nullptr ? field_help(name) : nullptr;
    if (help == nullptr) return "";
    std::string tip = help->meaning;
    if (std::strcmp(help->unit, "-") != 0) tip += std::string(" (") + help->unit + ")";
    return tip;
}

void set_accessible_name(HWND control, const std::string& name) {
    // The service and the name's property, as the accessibility headers define them.
    static constexpr CLSID SERVICE = {
        0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
    static constexpr IID SERVICE_INTERFACE = {
        0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
    static constexpr GUID NAME_PROPERTY = {
        0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
    static IAccPropServices* const services = [] {
        void* found = nullptr;
        if (FAILED(CoCreateInstance(SERVICE, nullptr, CLSCTX_INPROC_SERVER, SERVICE_INTERFACE,
                                    &found)))
            return static_cast<IAccPropServices*>(nullptr);
        return static_cast<IAccPropServices*>(found);
    }();
    if (services == nullptr || control == nullptr || name.empty()) return;
    const std::wstring wide(name.begin(), name.end());  // the names are plain ASCII
    services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, NAME_PROPERTY, wide.c_str());
}

void copy_to_clipboard(HWND window, const std::string& text) {
    if (text.empty() || !OpenClipboard(window)) return;
    EmptyClipboard();
    const std::string lines = windows_lines(text);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, lines.size() + 1)) {
        std::memcpy(GlobalLock(memory), lines.c_str(), lines.size() + 1);
        GlobalUnlock(memory);
        if (SetClipboardData(CF_TEXT, memory) == nullptr) GlobalFree(memory);
    }
    CloseClipboard();
}

}  // namespace morbilex
