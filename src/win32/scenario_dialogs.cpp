// The common file dialogs of Open Scenario and Save Scenario As.
#include "shell/scenario_document.h"
#include "win32/program.h"

namespace morbilex {

std::string choose_scenario_file(HWND owner, bool saving) {
    char path[MAX_PATH] = {};
    if (saving) lstrcpynA(path, "scenario.morbilex", MAX_PATH);
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "Morbilex scenario (*.morbilex)\0*.morbilex\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = SCENARIO_FILE_EXTENSION + 1;  // without the point
    dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (saving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const BOOL chosen = saving ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    return chosen ? std::string(path) : std::string();
}

}  // namespace morbilex
