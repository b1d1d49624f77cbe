// Closes the next dialog box of this process, so that tests of code that shows
// message boxes do not wait for a user.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace morbilex {

inline BOOL CALLBACK remember_static_text(HWND child, LPARAM parameter) {
    char class_name[32] = {}, text[128] = {};
    GetClassNameA(child, class_name, sizeof class_name);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(class_name, "Static") == 0 && text[0] != '\0') {
        *reinterpret_cast<std::string*>(parameter) = text;
    }
    return TRUE;
}

struct DialogSearch {
    const char* caption;
    HWND found;
};

inline BOOL CALLBACK match_own_dialog(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<DialogSearch*>(parameter);
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    char class_name[32] = {}, caption[128] = {};
    GetClassNameA(window, class_name, sizeof class_name);
    GetWindowTextA(window, caption, sizeof caption);
    if (process_id == GetCurrentProcessId() && IsWindowVisible(window) &&
        lstrcmpA(class_name, "#32770") == 0 &&
        (search.caption == nullptr || lstrcmpA(caption, search.caption) == 0)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

inline HWND find_own_dialog(const char* caption) {
    DialogSearch search{caption, nullptr};
    EnumWindows(match_own_dialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Closes the next dialog box of this process with this caption (any caption
// when null) and keeps the text it showed.
class MessageBoxCloser {
public:
    explicit MessageBoxCloser(const char* caption)
        : thread_([this, caption] {
              for (int attempt = 0; attempt < 200 && !stop_; ++attempt) {
                  HWND box = find_own_dialog(caption);
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

}  // namespace morbilex
