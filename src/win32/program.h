// The Windows program: its process-wide user-interface records, the main
// window, the four editing dialogs and printing.
#pragma once

#include <windows.h>
// After windows.h, which they build on:
#include <commdlg.h>
#include <winspool.h>

#include <functional>
#include <span>
#include <string>

#include "chart/chart.h"
#include "explore/view_options.h"
#include "model/records.h"
#include "shell/dialogs.h"
#include "shell/result_saving.h"

namespace morbilex {

inline constexpr const char* WINDOW_CLASS_NAME = "Morbilex";
inline constexpr const char* ICON_NAME = "Morbilex";
// PD_NOSELECTION | PD_NOPAGENUMS | PD_RETURNDC | PD_SHOWHELP
inline constexpr DWORD PRINT_DIALOG_FLAGS = 0x90C;

// What the entry point sets up once and the window, the dialogs and printing use.
struct UserInterfaceState {
    HINSTANCE instance_handle = nullptr;
    HCURSOR wait_cursor = nullptr;
    PRINTDLGA print_dialog_record = {};
    SeriesColours series_colours;
    // Whether a run of this process has written the trace file.
    bool trace_written = false;
    // Whether the last run wrote its trace completely.
    bool trace_complete = false;
    // How the window presents a run (the explorer of the window's state
    // works over these).
    ViewOptions view;
};

UserInterfaceState& user_interface_state();

// Start-up steps 2 to 5: instance, wait cursor, print dialog record, colours.
void prepare_user_interface(UserInterfaceState& state, HINSTANCE instance);
// The print dialog record as it stands at start.
void reset_print_dialog_record(PRINTDLGA& record);

bool register_main_window_class(HINSTANCE instance);
// The menu bar and the accelerators of the shared tables; the menu items show
// their keys.
HMENU create_main_menu();
HACCEL create_main_accelerators();
// The window's display scale: its dots per inch over 96.
double display_scale(HWND window);
// Two independent tasks side by side: the second on a thread of its own, the
// first on the caller's; one after the other where no thread can be made.
void run_both_on_threads(const std::function<void()>& first, const std::function<void()>& second);
LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Open Scenario and Save Scenario As: the common file dialogs; the chosen
// path, or empty when the user cancelled.
std::string choose_scenario_file(HWND owner, bool saving);
// The scenario file named on the command line, opened once the window is up.
void open_scenario_at_start(HWND window, const std::string& path);
// Without one, the last session's run in its remembered mode (explorer view).
void reopen_run_at_start(HWND window, InterventionMode mode);

// The sweep window (one at a time), owned by the main window.
bool register_sweep_window_class(HINSTANCE instance);
void show_sweep_window(HWND owner);
// The records' mode run in the main window's view, as after a typed OK, and
// the panel brought up to it: a scenario the sweep window loaded.
void run_loaded_scenario(HWND window);

// Deletes the trace file at exit when, and only when, this process wrote it.
void remove_trace_of_this_process(const UserInterfaceState& state);

// Dialog openers: 0 after OK, 1 after Cancel or when the dialog cannot be shown.
int edit_model_parameters(HWND owner);
int edit_one_time_plan(HWND owner);
int edit_intermittent_plan(HWND owner);
int edit_axis_scale(HWND owner);
int open_dialog(DialogKind kind, HWND owner);

INT_PTR CALLBACK model_parameters_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK one_time_plan_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK intermittent_plan_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK axis_scale_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// How the print dialog ended: with a printer to draw on, by the user's choice,
// or in a failure the user is told about. Some platforms end the dialog without
// an error code when no printer is installed; that is a failure too.
enum class PrintDialogOutcome { Printer, Cancelled, Failed };
PrintDialogOutcome print_dialog_outcome(BOOL dialog_result, DWORD extended_error, HDC printer,
                                        bool any_printer_installed);
// Whether the system knows any printer at all.
bool printer_installed();
// The document record of a print job: "Morbilex", output to the device.
DOCINFOA document_record();

// Saving: the save dialog (false when cancelled), the picture types and the
// view of the window's client area written as one of them.
bool choose_save_file(HWND owner, const char* caption, const char* name,
                      std::span<const FileType> types, std::string& path, int& type);
std::span<const FileType> chart_file_types();
bool export_window_view(HWND window, const std::string& path, int type, std::string& error);

// Prints the current view on one page of the printer the user picks.
void print_view(HWND window);
// The printer set-up dialog; non-zero when the user confirmed it.
BOOL printer_setup();

}  // namespace morbilex
