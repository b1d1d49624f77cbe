#include "qt/program_start.h"

#include <sys/stat.h>

#include <QString>
#include <QtGlobal>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "shell/file_messages.h"
#include "trace/trace_writer.h"

namespace morbilex {
namespace {

constexpr const char* NO_DISPLAY_TEXT =
    "morbilex: no display to open the window on (set DISPLAY or WAYLAND_DISPLAY); "
    "morbilex-batch runs the model without one\n";

std::string help_text() {
    const std::string trace = TRACE_FILE_NAME;
    return "Usage: morbilex [--state-folder] [--help] [--version] [FILE.morbilex]\n"
           "\n"
           "Morbilex explores how an infectious disease spreads under a deterministic SEIR\n"
           "model and how reductions of transmission change the epidemic curve. It opens\n"
           "one window; Ctrl+N calculates, Ctrl+S sets the axis scale, F1 is help.\n"
           "\n"
           "Every run writes its step-by-step trace to " +
           trace +
           " in the current folder,\n"
           "deleted when the program ends. FILE.morbilex, a scenario saved by the\n"
           "program, is opened and calculated at start.\n"
           "\n"
           "  --state-folder  keep " +
           trace +
           " in $XDG_STATE_HOME/morbilex\n"
           "                  (by default ~/.local/state/morbilex) instead\n"
           "  --help          print this text and exit\n"
           "  --version       print the version and exit\n";
}

bool has_value(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// While the platform starts: its own notes about the display are left out, so
// that a missing display is told in one line.
void print_no_display_and_exit_on_fatal(QtMsgType type, const QMessageLogContext& context,
                                        const QString& text) {
    if (type != QtFatalMsg) {
        const std::string_view category = context.category ? context.category : "";
        if (category.substr(0, 6) != "qt.qpa") std::fprintf(stderr, "%s\n", qPrintable(text));
        return;
    }
    std::fputs(NO_DISPLAY_TEXT, stderr);
    std::_Exit(1);
}

// mkdir -p with the folders made private to the user.
bool make_folders(const std::string& path, std::string& error) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            error = file_problem_text(part, errno);
            return false;
        }
        if (slash == std::string::npos) return true;
    }
}

// What --help and --version print: exit status 0, or 1 when standard output
// cannot take it.
int print_text(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
    std::fputs("morbilex: standard output could not be written\n", stderr);
    return 1;
}

}  // namespace

std::optional<int> read_command_line(int argc, char* argv[], StartOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return print_text(help_text());
        if (argument == "--version") {
            return print_text(std::string("morbilex ") + MORBILEX_VERSION + "\n");
        }
        if (argument == "--state-folder") {
            options.state_folder = true;
            continue;
        }
        if (argument.empty() || argument[0] != '-' || argument == "-") {
            if (options.scenario_path.empty()) {
                options.scenario_path = argument;
                continue;
            }
            std::fprintf(stderr, "morbilex: one scenario file at a time (%s)\n", argv[i]);
            return 2;
        }
        std::fprintf(stderr, "morbilex: unknown option %s (see morbilex --help)\n", argv[i]);
        return 2;
    }
    return std::nullopt;
}

bool display_available() {
    if (has_value("QT_QPA_PLATFORM") || has_value("DISPLAY") || has_value("WAYLAND_DISPLAY"))
        return true;
    std::fputs(NO_DISPLAY_TEXT, stderr);
    return false;
}

void end_quietly_without_display(bool platform_starting) {
    qInstallMessageHandler(platform_starting ? &print_no_display_and_exit_on_fatal : nullptr);
}

std::string trace_path_for(const StartOptions& options, std::string& error) {
    if (!options.state_folder) return TRACE_FILE_NAME;
    std::string folder;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/') {
        folder = state;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        folder = std::string(home) + "/.local/state";
    } else {
        error = "morbilex: neither XDG_STATE_HOME nor HOME names a folder for the trace";
        return {};
    }
    folder += "/morbilex";
    if (!make_folders(folder, error)) return {};
    return folder + "/" + TRACE_FILE_NAME;
}

std::string settings_folder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        return std::string(config) + "/morbilex";
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return std::string(home) + "/.config/morbilex";
    return {};
}

}  // namespace morbilex
