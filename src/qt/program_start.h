// What the Linux program settles before its window opens: the command line,
// whether there is a display to open it on, and where the trace goes.
#pragma once

#include <optional>
#include <string>

namespace morbilex {

struct StartOptions {
    // The trace goes to the per-user state folder instead of the current one
    // (the desktop entry starts the program so).
    bool state_folder = false;
    // A scenario file to open once the window is up; empty for none.
    std::string scenario_path;
};

// Reads the command line. --help and --version print to standard output and
// give 0; an unknown option or a second file prints one line to standard
// error and gives 2.
// Otherwise nothing is printed and the options are set.
std::optional<int> read_command_line(int argc, char* argv[], StartOptions& options);

// False, having printed one line to standard error, when the program has no
// display to open its window on. Platforms chosen through QT_QPA_PLATFORM
// (offscreen, a virtual frame buffer, ...) are taken as given.
bool display_available();

// While platform_starting, a display that cannot be opened after all ends the
// program with that one line and 1 instead of an abort; false restores the
// usual messages.
void end_quietly_without_display(bool platform_starting);

// Where this run keeps its trace: TRACE_FILE_NAME in the current folder, or in
// $XDG_STATE_HOME/morbilex (by default ~/.local/state/morbilex), made when
// missing. Empty, with the reason in error, when the folder cannot be made.
std::string trace_path_for(const StartOptions& options, std::string& error);

// The folder of the remembered settings: $XDG_CONFIG_HOME/morbilex (by
// default ~/.config/morbilex); empty when neither names a folder.
std::string settings_folder();

}  // namespace morbilex
