// Scenario documents on disk: opening and saving one the user names, and the
// settings the programs remember between sessions (the last scenario, the
// scale and the view options) in the user's own configuration folder.
#pragma once

#include <string>

#include "model/records.h"

namespace morbilex {

// Reads the file and takes its scenario into records, all or nothing; mode
// is the file's (MODE_NOTHING_CALCULATED without a mode line). False with a
// message naming the file (and the line and field) otherwise. Only a regular
// file is opened: a folder, a pipe or a device is refused as it is.
bool load_scenario_file(const std::string& path, Records& records, InterventionMode& mode,
                        std::string& error);

// Writes the scenario of records to path (".morbilex" added to a name
// without an extension), in full or not at all; path is the name written.
// A symbolic link stays a link: the file it points to gets the new text.
bool save_scenario_file(std::string& path, const Records& records, std::string& error);

// The remembered settings' file: $XDG_CONFIG_HOME/morbilex (by default
// ~/.config/morbilex) on Linux, %APPDATA%\Morbilex on Windows, then
// settings.morbilex. Empty when the environment names no such folder, and
// when MORBILEX_NO_SETTINGS is set (not empty): nothing is remembered then.
std::string settings_file_path();

// Takes the remembered scenario, scale and view options into records; a
// missing or bad file changes nothing.
void load_remembered_settings(Records& records);

// Writes them, the folder made when missing. False when it cannot.
bool save_remembered_settings(const Records& records);

}  // namespace morbilex
