// Scenario documents on disk: opening and saving one the user names, and the
// settings the programs remember between sessions (the last scenario, the
// scale and the view options) in the user's own configuration folder.
#pragma once

#include <string>

#include "model/records.h"
#include "shell/scenario_document.h"

namespace morbilex {

// Reads the file and takes its scenario into records, all or nothing; mode
// is the file's (MODE_NOTHING_CALCULATED without a mode line). False with a
// message naming the file (and the line and field) otherwise. Only a regular
// file is opened: a folder, a pipe or a device is refused as it is.
// The view's switches given are read too.
bool load_scenario_file(const std::string& path, Records& records, InterventionMode& mode,
                        std::string& error, ViewSwitches view = {});

// Writes the scenario of records to path (".morbilex" added to a name
// without an extension), in full or not at all; path is the name written.
// A symbolic link stays a link: the file it points to gets the new text.
bool save_scenario_file(std::string& path, const Records& records, std::string& error);

// The name of a scenario file without its folders ("" for an empty path).
std::string scenario_file_name(const std::string& path);

// The remembered settings' file in the folder the front end keeps its
// settings in (on Linux $XDG_CONFIG_HOME/morbilex, on Windows
// %APPDATA%\Morbilex): folder/settings.morbilex. Empty when folder is empty
// and when MORBILEX_NO_SETTINGS is set (not empty): nothing is remembered then.
std::string settings_file_path(const std::string& folder);

// Takes the remembered scenario, scale and view options from the settings
// file at path into records; a missing file (or an empty path) changes
// nothing and gives an empty text. A file that cannot be read, or that the
// reader refuses (a newer version's, one edited by hand), changes nothing
// either: it is moved aside to path.bad (path.bad.2, ... when that is taken),
// so that the settings saved at exit do not replace it, and the text
// returned says so, for the front end to show once. When it cannot be moved,
// path is emptied: the settings are not saved over it.
// The remembered run's mode goes to remembered_mode when given
// (MODE_NOTHING_CALCULATED when none was remembered).
std::string load_remembered_settings(std::string& path, Records& records,
                                     InterventionMode* remembered_mode = nullptr,
                                     ViewSwitches view = {});
// The caption of a box that shows that text.
inline constexpr const char* SETTINGS_CAPTION = "Remembered Settings";

// Writes them to path, the folder made when missing. False when it cannot or
// when path is empty.
bool save_remembered_settings(const std::string& path, const Records& records,
                              ViewSwitches view = {});

}  // namespace morbilex
