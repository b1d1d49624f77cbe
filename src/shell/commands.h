// The main window's commands, written once for both programs.
#pragma once

#include <string>

#include "model/records.h"
#include "shell/dialogs.h"
#include "trace/trace_writer.h"

namespace morbilex {

// What a command needs from the program it runs in.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    // Runs the dialog modally; 0 after OK, 1 after Cancel or when it cannot be shown.
    virtual int open_dialog(DialogKind kind) = 0;
    // The whole view is drawn anew at the next paint.
    virtual void repaint() = 0;
    virtual void print() = 0;
    virtual void printer_setup() = 0;
    // "Help menu is selected!" titled "Message", information icon.
    virtual void show_help() = 0;
    // Closes the main window; the program then ends.
    virtual void exit_program() = 0;
    // A run returned anything but 0: show text (run_report_text) in an error box.
    virtual void report_run_failure(int run_result, const std::string& text) = 0;
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
};

// Carries out the command with this id (104 to 114; any other id does nothing).
void execute_command(CommandContext& context, int command_id);

// One run in records.mode with its trace, the failure report of a run that
// did not complete, and a repaint: what every calculating command ends with.
void run_current_mode(CommandContext& context);

// At exit: deletes the trace file if, and only if, this process wrote it.
void remove_trace_at_exit(const CommandContext& context);

}  // namespace morbilex
