// The entry point of the Windows program.
#include <cstdlib>
#include <string>

#include "shell/messages.h"
#include "shell/scenario_files.h"
#include "win32/program.h"
// After windows.h:
#include <commctrl.h>
#include <objbase.h>

namespace {

// The command line's one argument, a scenario file, without its quotes.
std::string scenario_argument(const char* command_line) {
    std::string path = command_line != nullptr ? command_line : "";
    while (!path.empty() && (path.back() == ' ' || path.back() == '\t'))
        path.pop_back();
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    return path;
}

// The folder of the remembered settings: %APPDATA%\Morbilex; empty without
// APPDATA.
std::string settings_folder() {
    const char* application_data = std::getenv("APPDATA");
    if (application_data == nullptr || application_data[0] == '\0') return {};
    return std::string(application_data) + "\\Morbilex";
}

// Shows the main window and runs the message loop; the result is the quit code.
// settings_note, when not empty, tells why the remembered settings were not taken.
int run_main_window(int show_command, const std::string& scenario, const std::string& settings_note,
                    morbilex::InterventionMode remembered_mode) {
    using namespace morbilex;
    HWND window =
        CreateWindowExA(0, WINDOW_CLASS_NAME, PROGRAM_TITLE, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, create_main_menu(),
                        user_interface_state().instance_handle, nullptr);
    if (window == nullptr) return 0;
    ShowWindow(window, show_command);
    UpdateWindow(window);
    if (!settings_note.empty())
        MessageBoxA(window, settings_note.c_str(), SETTINGS_CAPTION, MB_OK | MB_ICONWARNING);
    if (!scenario.empty()) {
        morbilex::open_scenario_at_start(window, scenario);
    } else {
        morbilex::reopen_run_at_start(window, remembered_mode);
    }

    HACCEL accelerators = create_main_accelerators();
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(window, accelerators, &message) == 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DestroyAcceleratorTable(accelerators);
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line,
                   int show_command) {
    using namespace morbilex;
    int exit_code = 0;
    // The sliders and tooltips of the explorer view.
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    UserInterfaceState& state = user_interface_state();
    prepare_user_interface(state, instance);
    // The accessibility property service that names the controls is a COM object.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // The last session's scenario, scale and view come back, and the values
    // as they stand at the end are kept for the next one.
    std::string settings_path = settings_file_path(settings_folder());
    const auto switches = view_switches(state.view);
    InterventionMode remembered_mode = MODE_NOTHING_CALCULATED;
    const std::string settings_note =
        load_remembered_settings(settings_path, program_records(), &remembered_mode, switches);
    if (previous_instance != nullptr || register_main_window_class(instance)) {
        exit_code = run_main_window(show_command, scenario_argument(command_line), settings_note,
                                    remembered_mode);
    }
    save_remembered_settings(settings_path, program_records(), switches);
    remove_trace_of_this_process(state);
    if (SUCCEEDED(com)) CoUninitialize();
    return exit_code;
}
