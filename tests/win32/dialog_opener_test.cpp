// A dialog that cannot be shown is reported, asks the program to end, and
// counts as cancelled.
#include <gtest/gtest.h>

#include <string>

#include "message_box_closer.h"
#include "shell/messages.h"
#include "win32/program.h"

namespace morbilex {
namespace {

TEST(DialogOpener, AMissingTemplateIsReportedAndEndsTheProgram) {
    using Opener = int (*)(HWND);
    const Opener openers[] = {edit_model_parameters, edit_one_time_plan, edit_intermittent_plan,
                              edit_axis_scale};
    UserInterfaceState& state = user_interface_state();
    HINSTANCE saved = state.instance_handle;
    state.instance_handle = GetModuleHandleA("kernel32.dll");  // holds none of our templates
    for (Opener open : openers) {
        MessageBoxCloser closer(DIALOG_FAILURE_CAPTION);
        EXPECT_EQ(open(nullptr), 1);
        EXPECT_EQ(closer.text(), DIALOG_FAILURE_TEXT);
        MSG quit = {};
        EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(quit.wParam, 0u);
    }
    state.instance_handle = saved;
}

}  // namespace
}  // namespace morbilex
