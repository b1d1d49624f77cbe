#include <cstring>

#include "shell/commands.h"
#include "shell/messages.h"
#include "win32/gdi_surface.h"
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
    void repaint() override { InvalidateRect(window_, nullptr, TRUE); }
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
    std::string choose_scenario_file(bool saving) override {
        return morbilex::choose_scenario_file(window_, saving);
    }
    void report_file_problem(const char* caption, const std::string& text) override {
        MessageBoxA(window_, text.c_str(), caption, MB_OK | MB_ICONERROR);
    }

private:
    HWND window_;
};

// The class brush has erased the background.
void paint_window(HWND window) {
    PAINTSTRUCT paint = {};
    HDC device_context = BeginPaint(window, &paint);
    RECT client = {};
    GetClientRect(window, &client);
    GdiSurface surface(device_context);
    paint_view(surface, program_records(), user_interface_state().series_colours,
               client.right - client.left, client.bottom - client.top);
    EndPaint(window, &paint);
}

void carry_out_command(HWND window, int command_id) {
    UserInterfaceState& state = user_interface_state();
    Win32FrontEnd front_end(window);
    CommandContext context{program_records(), front_end};
    context.trace_written = state.trace_written;
    execute_command(context, command_id);
    state.trace_written = context.trace_written;
}

}  // namespace

void open_scenario_at_start(HWND window, const std::string& path) {
    UserInterfaceState& state = user_interface_state();
    Win32FrontEnd front_end(window);
    CommandContext context{program_records(), front_end};
    context.trace_written = state.trace_written;
    open_scenario_file(context, path);
    state.trace_written = context.trace_written;
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
    window_class.lpfnWndProc = main_window_proc;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, ICON_NAME);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszMenuName = MENU_NAME;
    window_class.lpszClassName = WINDOW_CLASS_NAME;
    return RegisterClassA(&window_class) != 0;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_PAINT:
            paint_window(window);
            return 0;
        case WM_COMMAND:
            carry_out_command(window, LOWORD(wParam));
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

void remove_trace_of_this_process(const UserInterfaceState& state) {
    Win32FrontEnd no_window(nullptr);
    CommandContext context{program_records(), no_window};
    context.trace_written = state.trace_written;
    remove_trace_at_exit(context);
}

}  // namespace morbilex
