// The entry point of the Windows program.
#include "shell/messages.h"
#include "win32/program.h"
// After windows.h:
#include <commctrl.h>

namespace {

// Shows the main window and runs the message loop; the result is the quit code.
int run_main_window(int show_command) {
    using namespace morbilex;
    HWND window =
        CreateWindowExA(0, WINDOW_CLASS_NAME, PROGRAM_TITLE, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, create_main_menu(),
                        user_interface_state().instance_handle, nullptr);
    if (window == nullptr) return 0;
    ShowWindow(window, show_command);
    UpdateWindow(window);

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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR /*command_line*/,
                   int show_command) {
    using namespace morbilex;
    int exit_code = 0;
    // The sliders and tooltips of the explorer view.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    UserInterfaceState& state = user_interface_state();
    prepare_user_interface(state, instance);
    if (previous_instance != nullptr || register_main_window_class(instance)) {
        exit_code = run_main_window(show_command);
    }
    remove_trace_of_this_process(state);
    return exit_code;
}
