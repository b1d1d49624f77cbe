#include "shell/commands.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "model/simulation.h"
#include "shell/menu.h"
#include "shell/messages.h"
#include "shell/scenario_files.h"
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
    const int result = run_simulation(context.records, context.records.mode, context.trace_path,
                                      &non_finite, context.run_observer);
    context.trace_error = result == RUN_TRACE_NOT_WRITTEN ? errno : 0;
    context.trace_complete = result == RUN_COMPLETED || result == RUN_NOT_FINITE;
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
    if (context.front_end.ending()) return;
    context.records.mode = mode;
    run_current_mode(context);
}

void save_scenario_as(CommandContext& context) {
    std::string path = context.front_end.choose_scenario_file(true);
    std::string error;
    if (path.empty()) return;
    if (!save_scenario_file(path, context.records, error)) {
        context.front_end.show_file_message(SAVE_SCENARIO_CAPTION, error, true);
        return;
    }
    std::error_code failure;
    const std::filesystem::path full = std::filesystem::absolute(path, failure);
    context.records.scenario_file = failure ? path : full.string();
}

// The trace of the last run copied where the user says; refused with a note
// while there is no complete trace to copy.
void save_trace_as(CommandContext& context) {
    FrontEnd& front_end = context.front_end;
    if (!context.trace_complete) {
        front_end.show_file_message(SAVE_TRACE_CAPTION,
                                    context.trace_written ? TRACE_NOT_WRITTEN_TEXT : NO_TRACE_TEXT,
                                    false);
        return;
    }
    std::string target;
    int type = 0;
    if (!front_end.choose_save_file(SAVE_TRACE_CAPTION, TRACE_COPY_NAME, trace_file_types(), target,
                                    type)) {
        return;
    }
    std::string error;
    if (!copy_trace(context.trace_path, target, error))
        front_end.show_file_message(SAVE_TRACE_CAPTION, error, true);
}

void export_chart(FrontEnd& front_end) {
    const std::span<const FileType> types = front_end.chart_file_types();
    if (types.empty()) return;
    const std::string name = std::string("chart.") + types[0].extension;
    std::string path;
    int type = 0;
    if (!front_end.choose_save_file(EXPORT_CHART_CAPTION, name.c_str(), types, path, type)) return;
    path = picture_path_with_type(path, types, type);
    std::string error;
    if (!front_end.export_chart(path, type, error))
        front_end.show_file_message(EXPORT_CHART_CAPTION, error, true);
}

}  // namespace

bool open_scenario_file(CommandContext& context, const std::string& path) {
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    std::string error;
    if (!load_scenario_file(path, context.records, mode, error, context.view_switches)) {
        context.front_end.show_file_message(OPEN_SCENARIO_CAPTION, error, true);
        return false;
    }
    context.records.mode = mode >= 0 ? mode : MODE_NO_INTERVENTION;
    run_current_mode(context);
    return true;
}

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
            if (front_end.ending()) break;
            if (records.mode < 0) records.mode = MODE_NO_INTERVENTION;
            run_current_mode(context);
            break;
        case COMMAND_ONE_TIME:
            edit_then_run(context, DialogKind::OneTimePlan, MODE_ONE_TIME);
            break;
        case COMMAND_INTERMITTENT:
            edit_then_run(context, DialogKind::IntermittentPlan, MODE_INTERMITTENT);
            break;
        case COMMAND_OPEN_SCENARIO:
            if (const std::string path = front_end.choose_scenario_file(false); !path.empty())
                open_scenario_file(context, path);
            break;
        case COMMAND_SAVE_SCENARIO_AS:
            save_scenario_as(context);
            break;
        case COMMAND_SAVE_TRACE_AS:
            save_trace_as(context);
            break;
        case COMMAND_EXPORT_CHART:
            export_chart(front_end);
            break;
        case COMMAND_SCALE:
            front_end.open_dialog(DialogKind::AxisScale);
            if (!front_end.ending()) front_end.repaint();
            break;
        default:
            break;
    }
}

void remove_trace_at_exit(const CommandContext& context) {
    if (context.trace_written) std::remove(context.trace_path);
}

}  // namespace morbilex
