// Morbilex for the Linux desktop: one main window, run until it is closed.
#include <QApplication>

#include "model/records.h"
#include "qt/main_window.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    int exit_code = 0;
    {
        // The window removes the trace it wrote when it goes.
        morbilex::MainWindow window(morbilex::program_records());
        window.show();
        window.activateWindow();  // keys reach it even without a window manager
        exit_code = application.exec();
    }
    return exit_code;
}
