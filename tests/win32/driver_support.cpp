#include "driver_support.h"

#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace morbilex::driver {

namespace {

int failure_count = 0;
constexpr DWORD POLL_MILLISECONDS = 50;

DWORD process_of(HWND window) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    return process_id;
}

struct WindowSearch {
    DWORD process_id;
    const char* caption;  // null: any caption
    HWND main_window;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_window(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    if (process_of(window) != search.process_id || !IsWindowVisible(window)) return TRUE;
    if (window == search.main_window) return TRUE;
    if (search.caption != nullptr && window_caption(window) != search.caption) return TRUE;
    search.found.push_back(window);
    return TRUE;
}

std::vector<HWND> find_windows(const RunningProgram& program, const char* caption) {
    WindowSearch search{program.process.dwProcessId, caption, program.main_window, {}};
    EnumWindows(collect_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK collect_static_text(HWND child, LPARAM parameter) {
    char class_name[32] = {};
    GetClassNameA(child, class_name, sizeof class_name);
    if (lstrcmpiA(class_name, "Static") == 0) {
        std::string text = window_caption(child);
        if (!text.empty()) *reinterpret_cast<std::string*>(parameter) = text;
    }
    return TRUE;
}

INPUT key_event(WORD key, bool release) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

void bring_to_front(HWND window) {
    for (int attempt = 0; attempt < 40 && GetForegroundWindow() != window; ++attempt) {
        SetForegroundWindow(window);
        Sleep(POLL_MILLISECONDS);
    }
}

}  // namespace

void check(bool condition, const std::string& what) {
    std::printf("%s %s\n", condition ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!condition) ++failure_count;
}

int failures() {
    return failure_count;
}

bool start_program(const std::string& program_path, const std::string& folder,
                   RunningProgram& program) {
    CreateDirectoryA(folder.c_str(), nullptr);
    program.folder = folder + "\\";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string command_line = "\"" + program_path + "\"";
    if (!CreateProcessA(program_path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, folder.c_str(), &startup, &program.process)) {
        return false;
    }
    WaitForInputIdle(program.process.hProcess, HANG_GUARD_MILLISECONDS);
    for (DWORD waited = 0; waited < HANG_GUARD_MILLISECONDS; waited += POLL_MILLISECONDS) {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "Morbilex", nullptr)) != nullptr) {
            if (process_of(window) == program.process.dwProcessId && IsWindowVisible(window)) {
                program.main_window = window;
                settle(window);
                return true;
            }
        }
        Sleep(POLL_MILLISECONDS);
    }
    return false;
}

int wait_for_exit(RunningProgram& program, DWORD timeout_milliseconds) {
    DWORD exit_code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(program.process.hProcess, timeout_milliseconds) == WAIT_OBJECT_0) {
        GetExitCodeProcess(program.process.hProcess, &exit_code);
    } else {
        TerminateProcess(program.process.hProcess, 99);
        WaitForSingleObject(program.process.hProcess, 5000);
    }
    CloseHandle(program.process.hThread);
    CloseHandle(program.process.hProcess);
    program.process = {};
    return static_cast<int>(exit_code);
}

HWND wait_for_window(const RunningProgram& program, const char* caption,
                     DWORD timeout_milliseconds) {
    for (DWORD waited = 0; waited <= timeout_milliseconds; waited += POLL_MILLISECONDS) {
        std::vector<HWND> found = find_windows(program, caption);
        if (!found.empty()) {
            settle(found.front());
            return found.front();
        }
        Sleep(POLL_MILLISECONDS);
    }
    return nullptr;
}

bool wait_until_gone(HWND window, DWORD timeout_milliseconds) {
    for (DWORD waited = 0; waited <= timeout_milliseconds; waited += POLL_MILLISECONDS) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(POLL_MILLISECONDS);
    }
    return false;
}

std::vector<HWND> other_windows(const RunningProgram& program) {
    return find_windows(program, nullptr);
}

void settle(HWND window) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, HANG_GUARD_MILLISECONDS, &result);
}

void post_command(HWND window, int command_id) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(command_id, 0), 0);
}

void press_keys(HWND window, std::initializer_list<WORD> keys) {
    bring_to_front(window);
    std::vector<INPUT> inputs;
    for (WORD key : keys)
        inputs.push_back(key_event(key, false));
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        inputs.push_back(key_event(*key, true));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::string clipboard_text(HWND owner) {
    std::string text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* locked = static_cast<const char*>(GlobalLock(data))) {
            for (const char* c = locked; *c != '\0'; ++c) {
                if (*c != '\r') text += *c;
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void press_control_key(HWND window, char letter) {
    press_keys(window, {VK_CONTROL, static_cast<WORD>(letter)});
}

std::string control_text(HWND dialog, int control_id) {
    char buffer[256] = {};
    GetDlgItemTextA(dialog, control_id, buffer, sizeof buffer);
    return buffer;
}

void set_control_text(HWND dialog, int control_id, const std::string& text) {
    SetDlgItemTextA(dialog, control_id, text.c_str());
}

void press_button(HWND dialog, int control_id) {
    // Sent, not posted: it returns once the dialog has handled the click.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(control_id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, control_id)), SMTO_NORMAL,
                        10000, &result);
}

std::string message_box_text(HWND box) {
    std::string text;
    EnumChildWindows(box, collect_static_text, reinterpret_cast<LPARAM>(&text));
    return text;
}

std::string window_caption(HWND window) {
    char buffer[256] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

void save_picture(HWND window, const std::string& path) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    settle(window);
    Sleep(300);
    RECT frame = {};
    GetWindowRect(window, &frame);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    GdiFlush();
    DWORD row_bytes = ((width * 3) + 3) & ~3u;
    DWORD image_bytes = row_bytes * height;
    BITMAPFILEHEADER file_header = {};
    file_header.bfType = 0x4D42;
    file_header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file_header.bfSize = file_header.bfOffBits + image_bytes;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file_header), sizeof file_header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(pixels), image_bytes);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

bool file_exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> read_lines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream text(read_file(path));
    std::string line;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool wait_for_lines(const std::string& path, size_t count, DWORD timeout_milliseconds) {
    for (DWORD waited = 0; waited <= timeout_milliseconds; waited += POLL_MILLISECONDS) {
        if (read_lines(path).size() == count) return true;
        Sleep(POLL_MILLISECONDS);
    }
    return false;
}

namespace {

constexpr const char* TEST_PRINTER = "Morbilex Test Printer";
// A port no program reads: the jobs stay in the spool folder.
constexpr const char* TEST_PORT = "MORBILEXTEST:";

bool running_under_wine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// wine's generic PostScript description, which its spooler keeps as a resource.
std::string write_generic_ppd() {
    HMODULE spooler = LoadLibraryExA("winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC resource = FindResourceW(spooler, MAKEINTRESOURCEW(1), L"PPDFILE");
    if (resource == nullptr) return "";
    auto text = static_cast<const char*>(LockResource(LoadResource(spooler, resource)));
    DWORD size = SizeofResource(spooler, resource);
    size = static_cast<DWORD>(std::find(text, text + size, '\0') - text);
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + "morbilex_test_printer.ppd";
    std::ofstream(path, std::ios::binary).write(text, size);
    return path;
}

}  // namespace

bool install_test_printer() {
    if (!running_under_wine()) return false;
    std::string ppd = write_generic_ppd();
    if (ppd.empty()) return false;
    HKEY ports = nullptr;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports",
                      &ports) == ERROR_SUCCESS) {
        RegSetValueExA(ports, TEST_PORT, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
        RegCloseKey(ports);
    }
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(TEST_PRINTER);
    driver.pDriverPath = const_cast<char*>("wineps.drv");
    driver.pDataFile = ppd.data();
    driver.pConfigFile = const_cast<char*>("wineps.drv");
    driver.pDefaultDataType = const_cast<char*>("RAW");
    AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                        APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY);
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = const_cast<char*>(TEST_PRINTER);
    printer.pPortName = const_cast<char*>(TEST_PORT);
    printer.pDriverName = const_cast<char*>(TEST_PRINTER);
    printer.pPrintProcessor = const_cast<char*>("wineps");
    printer.pDatatype = const_cast<char*>("RAW");
    HANDLE added = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
    if (added == nullptr) return false;
    ClosePrinter(added);
    return SetDefaultPrinterA(TEST_PRINTER) != 0;
}

void remove_test_printer() {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterA(const_cast<char*>(TEST_PRINTER), &printer, &access)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
}

std::vector<std::string> spooled_jobs() {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    std::string spool = std::string(folder) + "\\spool\\printers\\";
    std::vector<std::string> jobs;
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((spool + "*.SPL").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return jobs;
    do {
        jobs.push_back(spool + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(jobs.begin(), jobs.end());
    return jobs;
}

}  // namespace morbilex::driver
