// A graphical application for drawing without a window, quiet about the session it lacks.
#include "picture/offscreen_application.h"

namespace morbilex {

std::unique_ptr<QGuiApplication> graphical_application(std::string& error) {
    if (QCoreApplication::instance() != nullptr) {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
            error = "drawing needs a graphical application";
        }
        return nullptr;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argument_count = 1;
    static char program_name[] = "morbilex";
    static char* arguments[] = {program_name, nullptr};
    return std::make_unique<QGuiApplication>(argument_count, arguments);
}

QuietRuntimeFolderNote::QuietRuntimeFolderNote() : previous_(qInstallMessageHandler(&filter)) {
    previous() = previous_;
}

QuietRuntimeFolderNote::~QuietRuntimeFolderNote() {
    qInstallMessageHandler(previous_);
}

QtMessageHandler& QuietRuntimeFolderNote::previous() {
    static QtMessageHandler handler = nullptr;
    return handler;
}

void QuietRuntimeFolderNote::filter(QtMsgType type, const QMessageLogContext& context,
                                    const QString& text) {
    if (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    if (previous() != nullptr) previous()(type, context, text);
}

}  // namespace morbilex
