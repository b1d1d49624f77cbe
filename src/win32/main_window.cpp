#include <windowsx.h>

#include <cstring>

#include "explore/explorer_view.h"
#include "explore/view_commands.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "win32/explorer_window.h"
#include "win32/gdi_surface.h"
#include "win32/plan_windows.h"
#include "win32/program.h"

namespace morbilex {

namespace {

// The print dialogs have no owner window; the main window takes no commands
// while one is open, so that no second print can start on the same record.
class CommandsBlocked {
public:
    explicit CommandsBlocked(HWND window) : window_(window) { EnableWindow(window_, FALSE); }
    ~CommandsBlocked() { EnableWindow(window_, TRUE); }
    CommandsBlocked(const CommandsBlocked&) = delete;
    CommandsBlocked& operator=(const CommandsBlocked&) = delete;

private:
    HWND window_;
};

// What the shared commands ask of the Windows program, for one main window.
class Win32FrontEnd final : public FrontEnd {
public:
    explicit Win32FrontEnd(HWND window) : window_(window) {}

    int open_dialog(DialogKind kind) override { return morbilex::open_dialog(kind, window_); }
    void run_both(const std::function<void()>& first,
                  const std::function<void()>& second) override {
        run_both_on_threads(first, second);
    }
    void repaint() override {
        InvalidateRect(window_, nullptr, TRUE);
        if (MainWindowState* state = main_window_state(window_))
            refresh_explorer_panel(window_, *state, program_records());
    }
    void print() override {
        CommandsBlocked blocked(window_);
        print_view(window_);
    }
    void printer_setup() override {
        CommandsBlocked blocked(window_);
        morbilex::printer_setup();
    }
    void show_help() override {
        MessageBoxA(window_, HELP_TEXT, HELP_CAPTION, MB_OK | MB_ICONINFORMATION);
    }
    void exit_program() override { DestroyWindow(window_); }
    void report_run_failure(int, const std::string& text) override {
        MessageBoxA(window_, text.c_str(), RUN_FAILURE_CAPTION, MB_OK | MB_ICONERROR);
    }
    bool choose_save_file(const char* caption, const char* name, std::span<const FileType> types,
                          std::string& path, int& type) override {
        return morbilex::choose_save_file(window_, caption, name, types, path, type);
    }
    void show_file_message(const char* caption, const std::string& text, bool error) override {
        MessageBoxA(window_, text.c_str(), caption,
                    MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
    }
    std::span<const FileType> chart_file_types() override { return morbilex::chart_file_types(); }
    bool export_chart(const std::string& path, int type, std::string& error) override {
        return export_window_view(window_, path, type, error);
    }
    std::string choose_scenario_file(bool saving) override {
        return morbilex::choose_scenario_file(window_, saving);
    }

private:
    HWND window_;
};

// What the explorer's commands ask of the window besides the FrontEnd.
class Win32ExplorerHost final : public ExplorerHost {
public:
    Win32ExplorerHost(HWND window, MainWindowState& state) : window_(window), state_(state) {}
    void copy_text(const std::string& text) override { copy_to_clipboard(window_, text); }
    void show_user_guide() override { show_user_guide_window(window_, state_); }
    void show_sweep() override { show_sweep_window(window_); }
    void view_options_changed() override {
        lay_out_explorer_panel(window_, state_, program_records());
        refresh_explorer_panel(window_, state_, program_records());
        InvalidateRect(window_, nullptr, TRUE);
    }
    bool plan_found() override {
        state_.plan_window =
            show_plan_window(window_, state_.plan_window, state_.explorer.plan_finding);
        return state_.plan_window != nullptr;
    }
    bool ask_capacity(CapacitySetting& capacity) override {
        return ask_capacity_dialog(window_, capacity);
    }
    std::string choose_counts_file() override { return morbilex::choose_counts_file(window_); }
    Asked ask_fit_choice(FitChoice& choice) override {
        return ask_fit_choice_dialog(window_, choice);
    }
    Asked ask_counts_choice(CountsChoice& choice) override {
        return ask_counts_choice_dialog(window_, choice);
    }

private:
    HWND window_;
    MainWindowState& state_;
};

// The class brush has erased the background.
void paint_window(HWND window) {
    PAINTSTRUCT paint = {};
    HDC device_context = BeginPaint(window, &paint);
    RECT client = {};
    GetClientRect(window, &client);
    GdiSurface surface(device_context, display_scale(window));
    Records& records = program_records();
    if (MainWindowState* state = main_window_state(window)) {
        // The explorer's curves of up to 40000 steps as polylines; the classic
        // view draws segment by segment, as it always has.
        surface.join_lines(!user_interface_state().view.classic);
        paint_explorer_view(surface, records, user_interface_state().series_colours,
                            state->explorer, chart_width(window, records), client.bottom, false);
    } else {
        paint_view(surface, records, user_interface_state().series_colours, client.right,
                   client.bottom);
    }
    EndPaint(window, &paint);
}

// Runs f with the command context of the window, and keeps what it learnt
// about the trace.
template <typename Action>
void with_command_context(HWND window, Action action) {
    UserInterfaceState& state = user_interface_state();
    Win32FrontEnd front_end(window);
    CommandContext context{program_records(), front_end};
    const auto switches = view_switches(state.view);
    context.view_switches = switches;
    context.trace_written = state.trace_written;
    context.trace_complete = state.trace_complete;
    action(context);
    state.trace_written = context.trace_written;
    state.trace_complete = context.trace_complete;
}

// The title names the scenario file (explorer view).
void follow_scenario_file(HWND window) {
    SetWindowTextA(window, window_title(program_records(), user_interface_state().view).c_str());
}

void carry_out_command(HWND window, int command_id) {
    MainWindowState* window_state = main_window_state(window);
    with_command_context(window, [&](CommandContext& context) {
        if (window_state == nullptr) {
            execute_command(context, command_id);
            return;
        }
        Win32ExplorerHost host(window, *window_state);
        ExplorerContext explorer{context, window_state->explorer, host};
        execute_explorer_command(explorer, command_id);
    });
    follow_scenario_file(window);
}

// A plan of the last search's front, chosen in the plan window.
void load_plan_of_front(HWND window, int index) {
    MainWindowState* window_state = main_window_state(window);
    if (window_state == nullptr || !window_state->explorer.has_plan_finding) return;
    with_command_context(window, [&](CommandContext& context) {
        Win32ExplorerHost host(window, *window_state);
        ExplorerContext explorer{context, window_state->explorer, host};
        load_found_plan(explorer, index);
        refresh_explorer_panel(window, *window_state, program_records());
    });
    // The plan loaded is marked on the front.
    if (window_state->plan_window != nullptr)
        RedrawWindow(window_state->plan_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    follow_scenario_file(window);
}

// The View menu's checks and greyed items as the view options stand.
void update_view_menu(HMENU menu) {
    const ViewOptions& view = user_interface_state().view;
    for (const MenuItem& item : view_menu_items()) {
        if (item.label == nullptr) continue;
        if (view_item_checkable(item.command)) {
            CheckMenuItem(menu, item.command,
                          MF_BYCOMMAND | (view_item_checked(view, item.command) ? MF_CHECKED : 0));
        }
        EnableMenuItem(
            menu, item.command,
            MF_BYCOMMAND | (view_item_enabled(view, item.command) ? MF_ENABLED : MF_GRAYED));
    }
}

}  // namespace

void open_scenario_at_start(HWND window, const std::string& path) {
    UserInterfaceState& state = user_interface_state();
    Win32FrontEnd front_end(window);
    CommandContext context{program_records(), front_end};
    const auto switches = view_switches(state.view);
    context.view_switches = switches;
    context.trace_written = state.trace_written;
    open_scenario_file(context, path);
    state.trace_written = context.trace_written;
    follow_scenario_file(window);
}

void run_loaded_scenario(HWND window) {
    MainWindowState* window_state = main_window_state(window);
    if (window_state == nullptr) return;
    with_command_context(window, [&](CommandContext& context) {
        Win32ExplorerHost host(window, *window_state);
        ExplorerContext explorer{context, window_state->explorer, host};
        run_records_in_view(explorer);
    });
    refresh_explorer_panel(window, *window_state, program_records());
    InvalidateRect(window, nullptr, TRUE);
}

void reopen_run_at_start(HWND window, InterventionMode mode) {
    MainWindowState* window_state = main_window_state(window);
    if (window_state == nullptr) return;
    with_command_context(window, [&](CommandContext& context) {
        Win32ExplorerHost host(window, *window_state);
        ExplorerContext explorer{context, window_state->explorer, host};
        if (reopen_remembered_run(explorer, mode))
            refresh_explorer_panel(window, *window_state, program_records());
    });
    follow_scenario_file(window);
}

UserInterfaceState& user_interface_state() {
    static UserInterfaceState state;
    return state;
}

void reset_print_dialog_record(PRINTDLGA& record) {
    std::memset(&record, 0, sizeof record);
    record.lStructSize = sizeof(PRINTDLGA);
    record.Flags = PRINT_DIALOG_FLAGS;
    record.hwndOwner = nullptr;
}

void prepare_user_interface(UserInterfaceState& state, HINSTANCE instance) {
    state.instance_handle = instance;
    state.wait_cursor = LoadCursorA(nullptr, IDC_WAIT);
    reset_print_dialog_record(state.print_dialog_record);
    init_series_colours(state.series_colours);
}

bool register_main_window_class(HINSTANCE instance) {
    WNDCLASSA window_class = {};
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    register_guide_window_class(instance);
    register_tornado_window_class(instance);
    register_plan_window_classes(instance);
    register_sweep_window_class(instance);
    window_class.lpfnWndProc = main_window_proc;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, ICON_NAME);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszMenuName = nullptr;  // create_main_menu() at the window's creation
    window_class.lpszClassName = WINDOW_CLASS_NAME;
    return RegisterClassA(&window_class) != 0;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            auto* state = new MainWindowState;
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
            create_explorer_panel(window, *state);
            refresh_explorer_panel(window, *state, program_records());
            follow_scenario_file(window);
            return 0;
        }
        case WM_NCDESTROY:
            delete main_window_state(window);
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            if (MainWindowState* state = main_window_state(window))
                lay_out_explorer_panel(window, *state, program_records());
            return 0;
        case WM_HSCROLL:
            if (MainWindowState* state = main_window_state(window); state && lParam != 0) {
                with_command_context(window, [&](CommandContext& context) {
                    slider_scrolled(window, *state, context, reinterpret_cast<HWND>(lParam),
                                    LOWORD(wParam));
                });
            }
            return 0;
        case WM_MOUSEMOVE:
            if (MainWindowState* state = main_window_state(window);
                state && read_out_at(window, *state, program_records(), GET_X_LPARAM(lParam))) {
                InvalidateRect(window, nullptr, FALSE);
            }
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window);  // the keys of the read-out come here again
            // A compartment's line in the legend shows or hides it.
            if (MainWindowState* state = main_window_state(window);
                state && !user_interface_state().view.classic) {
                const int compartment = state->explorer.legend_compartment_at(GET_X_LPARAM(lParam),
                                                                              GET_Y_LPARAM(lParam));
                if (compartment >= 0)
                    carry_out_command(window, COMMAND_SHOW_SUSCEPTIBLE + compartment);
            }
            return 0;
        case WM_KEYDOWN:
            if (MainWindowState* state = main_window_state(window);
                state && read_out_key(window, *state, program_records(), wParam)) {
                InvalidateRect(window, nullptr, FALSE);
            }
            return 0;
        case WM_INITMENUPOPUP:
            update_view_menu(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_PAINT:
            paint_window(window);
            return 0;
        case WM_DPICHANGED: {
            // Moved to a screen of another scale: the size the system suggests,
            // and pens and fonts of the new scale at the next paint.
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        }
        case WM_COMMAND:
            if (MainWindowState* state = main_window_state(window);
                state && lParam != 0 && HIWORD(wParam) == BN_CLICKED &&
                range_button_clicked(window, *state, program_records(),
                                     reinterpret_cast<HWND>(lParam)))
                return 0;
            carry_out_command(window, LOWORD(wParam));
            return 0;
        case LOAD_FOUND_PLAN_MESSAGE:
            load_plan_of_front(window, static_cast<int>(wParam));
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

namespace {

DWORD WINAPI run_task(LPVOID task) {
    (*static_cast<const std::function<void()>*>(task))();
    return 0;
}

}  // namespace

void run_both_on_threads(const std::function<void()>& first, const std::function<void()>& second) {
    HANDLE beside =
        CreateThread(nullptr, 0, run_task, const_cast<std::function<void()>*>(&second), 0, nullptr);
    if (beside == nullptr) {
        first();
        second();
        return;
    }
    // The second task's data lives in the caller's frame: wait for it
    // whatever the first does.
    struct Wait {
        HANDLE thread;
        ~Wait() {
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
    } wait{beside};
    first();
}

double display_scale(HWND window) {
    const UINT dots_per_inch = window != nullptr ? GetDpiForWindow(window) : 0;
    return dots_per_inch > 0 ? dots_per_inch / 96.0 : 1.0;
}

void remove_trace_of_this_process(const UserInterfaceState& state) {
    Win32FrontEnd no_window(nullptr);
    CommandContext context{program_records(), no_window};
    context.trace_written = state.trace_written;
    remove_trace_at_exit(context);
}

}  // namespace morbilex
