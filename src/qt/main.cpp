// Morbilex for the Linux desktop: one main window, run until it is closed.
#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "explore/kept_ranges.h"
#include "model/records.h"
#include "qt/main_window.h"
#include "qt/program_start.h"
#include "qt/termination_signals.h"
#include "shell/scenario_files.h"

int main(int argc, char* argv[]) {
    using namespace morbilex;
    StartOptions options;
    if (std::optional<int> answered = read_command_line(argc, argv, options)) return *answered;
    if (!display_available()) return 1;
    std::string error;
    const std::string trace_path = trace_path_for(options, error);
    if (trace_path.empty()) {
        std::fprintf(stderr, "morbilex: cannot keep the trace: %s\n", error.c_str());
        return 1;
    }

    end_quietly_without_display(true);
    QApplication application(argc, argv);
    end_quietly_without_display(false);
    QApplication::setApplicationName(QStringLiteral("morbilex"));
    QApplication::setApplicationVersion(QStringLiteral(MORBILEX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.morbilex.Morbilex"));
    QApplication::setWindowIcon(program_icon());
    int exit_code = 0;
    {
        // The window removes the trace it wrote when it goes. The end of a
        // session or Ctrl+C in the terminal ends the program as Exit does, also
        // from inside a dialog, whose command then runs nothing, and from the
        // box about the scenario file given on the command line.
        // The last session's scenario, scale and view come back; the values
        // as they stand at the end are kept for the next one.
        Records& records = program_records();
        std::string settings_path = settings_file_path(settings_folder());
        ViewOptions view;
        const auto switches = view_switches(view);
        InterventionMode remembered_mode = MODE_NOTHING_CALCULATED;
        const std::string settings_note =
            load_remembered_settings(settings_path, records, &remembered_mode, switches);
        if (!settings_note.empty()) std::fprintf(stderr, "morbilex: %s\n", settings_note.c_str());
        MainWindow window(records, trace_path);
        window.explorer().view = view;
        window.follow_view_options();
        const TerminationSignals termination([&window] { window.end_by_signal(); });
        window.show();
        window.activateWindow();  // keys reach it even without a window manager
        if (!options.scenario_path.empty()) {
            window.open_scenario(options.scenario_path);
        } else {
            window.reopen_run(remembered_mode);  // the last session's run, as it was left
        }
        if (!window.ending()) exit_code = application.exec();
        keep_ranges(window.explorer().uncertainty.ranges, records);
        save_remembered_settings(settings_path, records, window.explorer().view_switches());
    }
    return exit_code;
}
