// The main window's commands, written once for both programs.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "model/records.h"
#include "model/run_loop.h"
#include "shell/dialogs.h"
#include "shell/result_saving.h"
#include "shell/scenario_document.h"
#include "trace/trace_writer.h"

namespace morbilex {

// What a command needs from the program it runs in.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    // Runs the dialog modally; 0 after OK, 1 after Cancel or when it cannot be shown.
    virtual int open_dialog(DialogKind kind) = 0;
    // True once the program has been told to end (a termination signal) while
    // a command was under way: what the command would do next is left undone.
    virtual bool ending() { return false; }
    // The file dialog of Open Scenario (saving false) or Save Scenario As:
    // the chosen path, or empty when the user cancelled.
    virtual std::string choose_scenario_file(bool saving) {
        static_cast<void>(saving);
        return {};
    }
    // The whole view is drawn anew at the next paint.
    virtual void repaint() = 0;
    // Runs two independent tasks and returns once both are done: side by side
    // where the platform gives a second thread, else one after the other.
    virtual void run_both(const std::function<void()>& first, const std::function<void()>& second) {
        first();
        second();
    }
    virtual void print() = 0;
    virtual void printer_setup() = 0;
    // "Help menu is selected!" titled "Message", information icon.
    virtual void show_help() = 0;
    // Closes the main window; the program then ends.
    virtual void exit_program() = 0;
    // A run returned anything but 0: show text (run_report_text) in an error box.
    virtual void report_run_failure(int run_result, const std::string& text) = 0;

    // Saving the trace and exporting the chart; a program without files
    // (a test's) keeps the defaults, which save nothing.
    // The platform's save dialog, titled caption, offering name and the types
    // (the first one chosen). False when the user cancels; else the path and
    // the index of the type chosen in the dialog.
    virtual bool choose_save_file(const char* caption, const char* name,
                                  std::span<const FileType> types, std::string& path, int& type) {
        static_cast<void>(caption), static_cast<void>(name), static_cast<void>(types);
        static_cast<void>(path), static_cast<void>(type);
        return false;
    }
    // A box titled caption: an error, or a note when error is false.
    virtual void show_file_message(const char* caption, const std::string& text, bool error) {
        static_cast<void>(caption), static_cast<void>(text), static_cast<void>(error);
    }
    // The picture types the program writes, the default one first.
    virtual std::span<const FileType> chart_file_types() { return {}; }
    // The view as the window shows it, written to path as a picture of the
    // type with this index. False with the full path and the reason in error.
    virtual bool export_chart(const std::string& path, int type, std::string& error) {
        static_cast<void>(path), static_cast<void>(type), static_cast<void>(error);
        return false;
    }
};

// The program's command state besides the records: where the trace goes and
// whether this process has written it.
struct CommandContext {
    Records& records;
    FrontEnd& front_end;
    const char* trace_path = TRACE_FILE_NAME;
    bool trace_written = false;
    // The system's error number of the last run whose trace failed, else 0.
    int trace_error = 0;
    // Whether the last run wrote its trace completely, so that it can be saved.
    bool trace_complete = false;
    // Who else sees the rows of the runs the commands make (the explorer), or null.
    RunObserver* run_observer = nullptr;
    // The view's switches an opened scenario file may set.
    ViewSwitches view_switches = {};
};

// Carries out the command with this id (104 to 114, the scenario files, Save
// Trace As and Export Chart; any other id does nothing).
void execute_command(CommandContext& context, int command_id);

// Opens the scenario file: its values and mode taken (a file without a mode
// runs without intervention), then calculated and drawn. A file that cannot
// be read, or that holds a bad line, is reported and changes nothing.
bool open_scenario_file(CommandContext& context, const std::string& path);

// One run in records.mode with its trace, the failure report of a run that
// did not complete, and a repaint: what every calculating command ends with.
void run_current_mode(CommandContext& context);

// At exit: deletes the trace file if, and only if, this process wrote it.
void remove_trace_at_exit(const CommandContext& context);

}  // namespace morbilex
