// Open Scenario and Save Scenario As: the file dialogs and the error box; the
// reading and writing are the core's.
#include <QFileDialog>

#include "qt/main_window.h"
#include "shell/scenario_document.h"

namespace morbilex {

std::string WindowFrontEnd::choose_scenario_file(bool saving) {
    const QString filter =
        QStringLiteral("Morbilex scenario (*%1);;All files (*)").arg(SCENARIO_FILE_EXTENSION);
    const QString path =
        saving ? QFileDialog::getSaveFileName(
                     &window_, QStringLiteral("Save Scenario As"),
                     QStringLiteral("scenario%1").arg(SCENARIO_FILE_EXTENSION), filter)
               : QFileDialog::getOpenFileName(&window_, QStringLiteral("Open Scenario"), QString(),
                                              filter);
    window_.activateWindow();
    return path.toStdString();
}

}  // namespace morbilex
