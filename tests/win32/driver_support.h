// What the end-to-end driver does to the running program: start it, find its
// windows, send commands and keys, read and set control texts, take pictures.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace morbilex::driver {

// Records one expectation; the driver's exit status counts the failed ones.
void check(bool condition, const std::string& what);
int failures();

struct RunningProgram {
    PROCESS_INFORMATION process = {};
    HWND main_window = nullptr;
    std::string folder;  // its current directory, with a trailing backslash
};

// How long a wait for a state may last before the test calls it a hang: long
// enough for any machine, since every wait below ends on its state.
constexpr DWORD HANG_GUARD_MILLISECONDS = 120000;

// Starts the program with the folder as its current directory and waits for
// its main window (class "Morbilex") to be shown.
bool start_program(const std::string& program_path, const std::string& folder,
                   RunningProgram& program);
// Waits for the process to end; its exit code, or -1 after the timeout (the
// process is then terminated).
int wait_for_exit(RunningProgram& program, DWORD timeout_milliseconds = HANG_GUARD_MILLISECONDS);

// A visible top-level window of the program with this caption, or null after the timeout.
HWND wait_for_window(const RunningProgram& program, const char* caption,
                     DWORD timeout_milliseconds = HANG_GUARD_MILLISECONDS);
// True when the window has gone within the timeout.
bool wait_until_gone(HWND window, DWORD timeout_milliseconds = HANG_GUARD_MILLISECONDS);
// The visible top-level windows of the program besides the main window.
std::vector<HWND> other_windows(const RunningProgram& program);

// Returns once the window's thread has handled everything sent before.
void settle(HWND window);
void post_command(HWND window, int command_id);
// Key presses as a user types them, into the window made the foreground one.
void press_keys(HWND window, std::initializer_list<WORD> keys);
void press_control_key(HWND window, char letter);

std::string control_text(HWND dialog, int control_id);
void set_control_text(HWND dialog, int control_id, const std::string& text);
void press_button(HWND dialog, int control_id);
// The message text of a message box.
std::string message_box_text(HWND box);
std::string window_caption(HWND window);
// The text on the clipboard, with "\n" line ends ("" when there is none).
std::string clipboard_text(HWND owner);

// The window as it stands on the screen, saved as a 24-bit BMP file.
void save_picture(HWND window, const std::string& path);

bool file_exists(const std::string& path);
std::string read_file(const std::string& path);
// The lines of the text file, without their line ends.
std::vector<std::string> read_lines(const std::string& path);
// Waits until the file holds this many lines.
bool wait_for_lines(const std::string& path, size_t count,
                    DWORD timeout_milliseconds = HANG_GUARD_MILLISECONDS);

}  // namespace morbilex::driver

namespace morbilex::driver {

// Under wine only: a PostScript printer whose jobs stay in the spool folder.
// Returns false (and installs nothing) elsewhere.
bool install_test_printer();
void remove_test_printer();
// The spooled jobs, oldest first, as paths.
std::vector<std::string> spooled_jobs();

}  // namespace morbilex::driver
