// A graphical application for drawing without a window, quiet about the session it lacks.
#pragma once

#include <QGuiApplication>
#include <QString>
#include <memory>
#include <string>

namespace morbilex {

// An offscreen application for a tool without a window, for the time of an
// export; nullptr when an application exists already (error set when it
// cannot draw).
std::unique_ptr<QGuiApplication> graphical_application(std::string& error);

// A headless export has no session: the platform's note that it made up a
// runtime folder is not for the user of a command-line tool.
class QuietRuntimeFolderNote {
public:
    QuietRuntimeFolderNote();
    ~QuietRuntimeFolderNote();
    QuietRuntimeFolderNote(const QuietRuntimeFolderNote&) = delete;
    QuietRuntimeFolderNote& operator=(const QuietRuntimeFolderNote&) = delete;

private:
    static QtMessageHandler& previous();
    static void filter(QtMsgType type, const QMessageLogContext& context, const QString& text);
    QtMessageHandler previous_;
};

}  // namespace morbilex
