#include "shell/commands.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "model/simulation.h"
#include "shell/menu.h"
#include "shell/messages.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

bool file_exists(const char* path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

}  // namespace

// One run in the current mode, then a repaint whatever its outcome.
void run_current_mode(CommandContext& context) {
    const bool existed_before = file_exists(context.trace_path);
    NonFiniteRow non_finite;
    errno = 0;
    const int result =
        run_simulation(context.records, context.records.mode, context.trace_path, &non_finite);
    context.trace_error = result == RUN_TRACE_NOT_WRITTEN ? errno : 0;
    // A refused run opens nothing; a failed write may or may not have left a
    // file: it is ours only if it was not there before.
    if (result == RUN_COMPLETED || result == RUN_NOT_FINITE ||
        (result == RUN_TRACE_NOT_WRITTEN && !existed_before && file_exists(context.trace_path))) {
        context.trace_written = true;
    }
    if (result != RUN_COMPLETED) {
        context.front_end.report_run_failure(
            result, run_report_text(result, non_finite, context.trace_path, context.trace_error));
    }
    context.front_end.repaint();
}

namespace {

void edit_then_run(CommandContext& context, DialogKind dialog, InterventionMode mode) {
    context.front_end.open_dialog(dialog);
    context.records.mode = mode;
    run_current_mode(context);
}

}  // namespace

void execute_command(CommandContext& context, int command_id) {
    FrontEnd& front_end = context.front_end;
    Records& records = context.records;
    switch (command_id) {
        case COMMAND_PRINT:
            front_end.print();
            break;
        case COMMAND_PRINTER_SETUP:
            front_end.printer_setup();
            break;
        case COMMAND_EXIT:
            front_end.exit_program();
            break;
        case COMMAND_HELP:
            front_end.show_help();
            break;
        case COMMAND_CALCULATE:
            records.mode = MODE_NO_INTERVENTION;
            run_current_mode(context);
            break;
        case COMMAND_MAIN_PARAMETERS:
            front_end.open_dialog(DialogKind::ModelParameters);
            if (records.mode < 0) records.mode = MODE_NO_INTERVENTION;
            run_current_mode(context);
            break;
        case COMMAND_ONE_TIME:
            edit_then_run(context, DialogKind::OneTimePlan, MODE_ONE_TIME);
            break;
        case COMMAND_INTERMITTENT:
            edit_then_run(context, DialogKind::IntermittentPlan, MODE_INTERMITTENT);
            break;
        case COMMAND_SCALE:
            front_end.open_dialog(DialogKind::AxisScale);
            front_end.repaint();
            break;
        default:
            break;
    }
}

void remove_trace_at_exit(const CommandContext& context) {
    if (context.trace_written) std::remove(context.trace_path);
}

}  // namespace morbilex
