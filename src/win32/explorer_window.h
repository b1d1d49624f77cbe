// The explorer view in the Windows program: the panel beside the chart with
// the run's figures and the sliders, the read-out, the user's guide window
// and the tooltips of the fields.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "explore/explorer.h"
#include "explore/sliders.h"
#include "shell/commands.h"
#include "win32/program.h"

namespace morbilex {

struct SliderControls {
    const SliderField* field;
    HWND label;
    HWND trackbar;
    HWND value;
    // A field that takes a range: the button that turns the slider into one,
    // and the range's low and high ends with their values (shown while on).
    HWND range = nullptr;  // else a blank where it would stand
    HWND no_range = nullptr;
    HWND low = nullptr, low_value = nullptr;
    HWND high = nullptr, high_value = nullptr;
};

// What the main window keeps besides the program's records; it lives from
// WM_CREATE to WM_NCDESTROY (the window's user data).
struct MainWindowState {
    Explorer explorer{user_interface_state().view};
    HWND figures = nullptr;        // a list view: figure, this run, no intervention, change
    HWND figures_title = nullptr;  // its heading, also its name for assistive technology
    HWND tooltip = nullptr;
    HWND tornado = nullptr;  // the ranges' tornado under the figures, shown with ranges
    std::vector<SliderControls> sliders;
    InterventionMode sliders_mode = MODE_NOTHING_CALCULATED;
    bool sliders_care = false;  // the care layer's sliders are among them
    bool sliders_made = false;
    HWND guide = nullptr;
    HWND plan_window = nullptr;  // the last plan search's finding
};

MainWindowState* main_window_state(HWND window);

// The panel's width in device pixels: 0 in the classic view.
int explorer_panel_width(HWND window, const Records& records);
// The width the chart is drawn in: the client area left of the panel.
int chart_width(HWND window, const Records& records);

// Makes the panel's controls; WM_CREATE.
void create_explorer_panel(HWND window, MainWindowState& state);
// Puts the panel at the right of the client area, or hides it in the classic view.
void lay_out_explorer_panel(HWND window, MainWindowState& state, const Records& records);
// The figures and the sliders of the records' run and mode brought up to date.
void refresh_explorer_panel(HWND window, MainWindowState& state, Records& records);

// WM_HSCROLL from a slider: sets its field and runs, live while dragging.
void slider_scrolled(HWND window, MainWindowState& state, CommandContext& context, HWND trackbar,
                     int scroll_code);
// A slider's range button clicked: the field gets a range about its value,
// or loses it. False when control is no range button.
bool range_button_clicked(HWND window, MainWindowState& state, Records& records, HWND control);

// The read-out follows the pointer over the chart; false when its step stays.
bool read_out_at(HWND window, MainWindowState& state, const Records& records, int x);
// The read-out's keys (the arrows, with Shift too, Page Up and Down, Home and
// End) move it over the steps the chart shows; false when it stays.
bool read_out_key(HWND window, MainWindowState& state, const Records& records, WPARAM virtual_key);

// The user's guide in a window of its own (one at a time), rendered; at the
// section with this heading when one is given.
void show_user_guide_window(HWND owner, MainWindowState& state, std::string_view section = {});
bool register_guide_window_class(HINSTANCE instance);
// The class of the tornado's child window, painted by the core.
bool register_tornado_window_class(HINSTANCE instance);

// A tooltip window for the controls of parent, and one control's tip.
HWND create_tooltip(HWND parent);
void add_tooltip(HWND tooltip, HWND parent, HWND control, const std::string& text);
// The tip of a dialog field or slider by the field's name: its meaning and unit.
std::string field_tip(const char* name);

// The name assistive technology gives a control (through the system's
// accessibility property service; nothing where it is missing).
void set_accessible_name(HWND control, const std::string& name);

// Puts text on the clipboard.
void copy_to_clipboard(HWND window, const std::string& text);

}  // namespace morbilex
