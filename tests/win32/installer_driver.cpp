// Installs morbilex.msi, uses the installed program as a user would, and
// removes it again, once for every user and once for the installing user
// (installer_cycle.sh then compares the wine prefix with what it was).
//   installer_driver <morbilex.msi> <product code> [extra install properties]
// Works in the current directory; the driver's exit status counts the failed checks.
#include <windows.h>
// After windows.h:
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver_support.h"
#include "shell/menu.h"

using namespace morbilex::driver;

namespace {

constexpr size_t TRACE_LINES = 3 + 801;

std::string current_folder() {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

std::string known_folder(int which) {
    char folder[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, which, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

// Runs the command line to its end; its exit code, or -1.
int run(std::string command_line) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    DWORD exit_code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, HANG_GUARD_MILLISECONDS) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exit_code);
}

bool key_exists(HKEY root, const std::string& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

std::string default_value(HKEY root, const std::string& key) {
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return {};
    return value;
}

// The Start menu's shortcut, in the menu of every user or of this one.
std::string start_menu_shortcut() {
    for (int menu : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        std::string shortcut = known_folder(menu) + "\\Morbilex\\Morbilex.lnk";
        if (file_exists(shortcut)) return shortcut;
    }
    return {};
}

// Opens the file as the shell does (a double click), in this folder; the
// program that it starts, found by its main window.
bool open_as_the_shell_does(const std::string& file, const std::string& folder,
                            RunningProgram& program) {
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    execute.lpVerb = "open";
    execute.lpFile = file.c_str();
    execute.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&execute)) return false;
    for (DWORD waited = 0; waited < HANG_GUARD_MILLISECONDS; waited += 50) {
        HWND window = FindWindowA("Morbilex", nullptr);
        if (window != nullptr && IsWindowVisible(window)) {
            DWORD process_id = 0;
            GetWindowThreadProcessId(window, &process_id);
            program.main_window = window;
            program.process.dwProcessId = process_id;
            program.process.hProcess =
                OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
            return program.process.hProcess != nullptr;
        }
        Sleep(50);
    }
    return false;
}

std::string image_of(const RunningProgram& program) {
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    QueryFullProcessImageNameA(program.process.hProcess, 0, path, &size);
    return path;
}

// Ends the program from its menu; its trace goes with it.
void exit_program(RunningProgram& program, const std::string& trace, const std::string& what) {
    post_command(program.main_window, morbilex::COMMAND_EXIT);
    check(wait_for_exit(program) == 0, what + ": the program ends with code 0");
    check(!file_exists(trace), what + ": the trace the program wrote is gone with it");
}

void install_use_remove(const std::string& package, const std::string& product_code,
                        const std::string& scope, const std::string& properties) {
    const std::string what = "(" + scope + ") ";
    check(run("msiexec /i \"" + package + "\" /qn " + properties) == 0,
          what + "msiexec /i installs quietly");

    const std::string open_command =
        default_value(HKEY_CLASSES_ROOT, "Morbilex.Scenario\\shell\\open\\command");
    const size_t program_end = open_command.find('"', 1);
    const std::string program_path =
        program_end == std::string::npos ? "" : open_command.substr(1, program_end - 1);
    const std::string icon = default_value(HKEY_CLASSES_ROOT, "Morbilex.Scenario\\DefaultIcon");
    check(default_value(HKEY_CLASSES_ROOT, ".morbilex") == "Morbilex.Scenario" &&
              open_command == "\"" + program_path + "\" \"%1\"" &&
              icon == "\"" + program_path + "\",0",
          what + ".morbilex opens in the program, with its icon (" + open_command + ")");
    const std::string folder = program_path.substr(0, program_path.rfind('\\') + 1);
    check(file_exists(program_path) && file_exists(folder + "guide.html") &&
              file_exists(folder + "guide-explorer.png"),
          what + "the program and its user's guide are in " + folder);
    const std::string uninstall =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product_code;
    check(key_exists(HKEY_LOCAL_MACHINE, uninstall) || key_exists(HKEY_CURRENT_USER, uninstall),
          what + "an uninstall entry is there");

    // The Start menu's entry starts the program in Documents, where it may write.
    const std::string shortcut = start_menu_shortcut();
    check(!shortcut.empty(), what + "the Start menu has Morbilex\\Morbilex");
    const std::string documents_trace = known_folder(CSIDL_PERSONAL) + "\\temp.dat";
    DeleteFileA(documents_trace.c_str());
    RunningProgram program;
    if (!shortcut.empty() && open_as_the_shell_does(shortcut, "", program)) {
        check(lstrcmpiA(image_of(program).c_str(), program_path.c_str()) == 0,
              what + "the shortcut starts the installed program (" + image_of(program) + ")");
        post_command(program.main_window, morbilex::COMMAND_CALCULATE);
        check(wait_for_lines(documents_trace, TRACE_LINES),
              what + "a calculation writes its trace into Documents");
        exit_program(program, documents_trace, what + "shortcut");
    } else {
        check(false, what + "the shortcut starts the program");
    }

    // A double click on a scenario file opens and calculates it.
    const std::string work = current_folder();
    const std::string scenario = work + "\\intermittent.morbilex";
    FILE* file = std::fopen(scenario.c_str(), "wb");
    if (file != nullptr) {
        std::fputs("mode = 2\n", file);
        std::fclose(file);
    }
    const std::string work_trace = work + "\\temp.dat";
    RunningProgram opened;
    if (open_as_the_shell_does(scenario, work, opened)) {
        check(wait_for_lines(work_trace, TRACE_LINES), what + "the opened scenario is calculated");
        std::vector<std::string> lines = read_lines(work_trace);
        check(lines.size() > 1 && lines[1].rfind("% Intermittent intervention:", 0) == 0,
              what + "with the scenario's intervention: " + (lines.size() > 1 ? lines[1] : ""));
        exit_program(opened, work_trace, what + "scenario file");
    } else {
        check(false, what + "opening a .morbilex file starts the program");
    }
    DeleteFileA(scenario.c_str());

    check(run("msiexec /x \"" + package + "\" /qn") == 0, what + "msiexec /x removes it quietly");
    // What it leaves behind, installed files and keys, installer_cycle.sh finds.
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: installer_driver <morbilex.msi> <product code>\n");
        return 2;
    }
    char package[MAX_PATH] = {};
    GetFullPathNameA(argv[1], MAX_PATH, package, nullptr);
    install_use_remove(package, argv[2], "every user", "");
    // ALLUSERS empty: for this user alone. (MSIINSTALLPERUSER=1 asks the
    // same of Windows' own installer; wine's takes only ALLUSERS.)
    install_use_remove(package, argv[2], "this user", "ALLUSERS=\"\" MSIINSTALLPERUSER=1");
    std::printf("%d failed\n", failures());
    return failures() == 0 ? 0 : 1;
}
