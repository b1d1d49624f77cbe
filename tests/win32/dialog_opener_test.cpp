// A dialog that cannot be shown is reported, asks the program to end, and
// counts as cancelled.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "shell/messages.h"
#include "win32/program.h"

namespace morbilex {
namespace {

BOOL CALLBACK remember_static_text(HWND child, LPARAM parameter) {
    char class_name[32] = {}, text[128] = {};
    GetClassNameA(child, class_name, sizeof class_name);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(class_name, "Static") == 0 && text[0] != '\0') {
        *reinterpret_cast<std::string*>(parameter) = text;
    }
    return TRUE;
}

// Closes the next message box with this caption and keeps what it said.
class MessageBoxCloser {
public:
    explicit MessageBoxCloser(const char* caption)
        : thread_([this, caption] {
              for (int attempt = 0; attempt < 200 && !stop_; ++attempt) {
                  HWND box = FindWindowA("#32770", caption);
                  if (box != nullptr) {
                      EnumChildWindows(box, remember_static_text, reinterpret_cast<LPARAM>(&text_));
                      SendMessageA(box, WM_COMMAND, IDOK, 0);
                      return;
                  }
                  Sleep(50);
              }
          }) {}
    ~MessageBoxCloser() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::string text() {
        if (thread_.joinable()) thread_.join();
        return text_;
    }

private:
    std::atomic<bool> stop_ = false;
    std::string text_;
    std::thread thread_;
};

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
