#include "shell/commands.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "model/simulation.h"
#include "shell/dialog_test_support.h"
#include "shell/file_messages.h"
#include "shell/menu.h"
#include "shell/result_saving.h"
#include "support/test_support.h"

namespace morbilex {
namespace {

using testing::default_records;
using testing::read_text;
using testing::split_lines;
using testing::TemporaryFolder;

// Writes down every call; a dialog answers with dialog_result after letting
// on_dialog play the user.
class FakeFrontEnd : public FrontEnd {
public:
    int open_dialog(DialogKind kind) override {
        calls.push_back(std::string("dialog ") + dialog_table(kind).template_name);
        if (on_dialog) on_dialog(kind);
        return dialog_result;
    }
    void repaint() override { calls.push_back("repaint"); }
    void print() override { calls.push_back("print"); }
    void printer_setup() override { calls.push_back("printer setup"); }
    void show_help() override { calls.push_back("help"); }
    void exit_program() override { calls.push_back("exit"); }
    void report_run_failure(int run_result, const std::string& text) override {
        calls.push_back("failure " + std::to_string(run_result));
        report = text;
    }
    bool choose_save_file(const char* caption, const char* name, std::span<const FileType> types,
                          std::string& path, int& type) override {
        calls.push_back(std::string("save dialog ") + caption + " " + name + " " +
                        std::to_string(types.size()));
        if (chosen_path.empty()) return false;
        path = chosen_path;
        type = chosen_type;
        return true;
    }
    void show_file_message(const char* caption, const std::string& text, bool error) override {
        calls.push_back(std::string(error ? "error " : "note ") + caption);
        report = text;
    }
    std::span<const FileType> chart_file_types() override { return PICTURE_TYPES; }
    bool export_chart(const std::string& path, int type, std::string& error) override {
        calls.push_back("export " + path + " " + std::to_string(type));
        error = "cannot";
        return export_succeeds;
    }

    std::vector<std::string> calls;
    std::string report;
    bool ending() override { return told_to_end; }
    std::function<void(DialogKind)> on_dialog;
    int dialog_result = DIALOG_RESULT_CANCEL;
    bool told_to_end = false;
    std::string chosen_path;  // "": the save dialog is cancelled
    int chosen_type = 0;
    bool export_succeeds = true;
    static constexpr FileType PICTURE_TYPES[] = {{"PNG picture", "png"}, {"Vectors", "svg"}};
};

using Calls = std::vector<std::string>;

struct CommandFixture : ::testing::Test {
    TemporaryFolder folder;
    std::string trace = folder.file("temp.dat");
    std::unique_ptr<Records> records = default_records();
    FakeFrontEnd front_end;
    CommandContext context{*records, front_end, trace.c_str()};

    Calls run(int command) {
        front_end.calls.clear();
        execute_command(context, command);
        return front_end.calls;
    }
    std::string intervention_line() { return split_lines(read_text(trace)).at(1); }
};

TEST_F(CommandFixture, CommandsWithoutARunReachTheFrontEnd) {
    EXPECT_EQ(run(COMMAND_PRINT), Calls{"print"});
    EXPECT_EQ(run(COMMAND_PRINTER_SETUP), Calls{"printer setup"});
    EXPECT_EQ(run(COMMAND_EXIT), Calls{"exit"});
    EXPECT_EQ(run(COMMAND_HELP), Calls{"help"});
    EXPECT_EQ(run(COMMAND_SCALE), (Calls{"dialog Cng_Scale", "repaint"}));
    EXPECT_EQ(records->mode, MODE_NOTHING_CALCULATED);
    EXPECT_FALSE(std::filesystem::exists(trace));
    EXPECT_FALSE(context.trace_written);
}

TEST_F(CommandFixture, UnknownIdsDoNothing) {
    for (int id : {109, 113, 103, 115, 0, -1, 65535, 104 + 65536}) {
        EXPECT_TRUE(run(id).empty()) << id;
    }
    EXPECT_EQ(records->mode, MODE_NOTHING_CALCULATED);
    EXPECT_FALSE(std::filesystem::exists(trace));
}

TEST_F(CommandFixture, CalculateRunsWithoutIntervention) {
    records->mode = MODE_INTERMITTENT;
    EXPECT_EQ(run(COMMAND_CALCULATE), Calls{"repaint"});
    EXPECT_EQ(records->mode, MODE_NO_INTERVENTION);
    EXPECT_EQ(intervention_line(), "% No intervention.");
    EXPECT_TRUE(context.trace_written);
}

TEST_F(CommandFixture, MainParametersKeepTheModeOfTheLastRun) {
    EXPECT_EQ(run(COMMAND_MAIN_PARAMETERS), (Calls{"dialog Cng_Para0", "repaint"}));
    EXPECT_EQ(records->mode, MODE_NO_INTERVENTION);
    EXPECT_EQ(intervention_line(), "% No intervention.");

    run(COMMAND_INTERMITTENT);
    EXPECT_EQ(records->mode, MODE_INTERMITTENT);
    run(COMMAND_MAIN_PARAMETERS);
    EXPECT_EQ(records->mode, MODE_INTERMITTENT);
    EXPECT_EQ(intervention_line().substr(0, 29), "% Intermittent intervention: ");

    run(COMMAND_ONE_TIME);
    run(COMMAND_MAIN_PARAMETERS);
    EXPECT_EQ(records->mode, MODE_ONE_TIME);
    EXPECT_EQ(intervention_line().substr(0, 25), "% One-time intervention: ");

    run(COMMAND_SCALE);
    EXPECT_EQ(records->mode, MODE_ONE_TIME);
}

TEST_F(CommandFixture, InterventionsSetTheirModeWhateverTheDialogSays) {
    for (int result : {DIALOG_RESULT_OK, DIALOG_RESULT_CANCEL}) {
        front_end.dialog_result = result;
        EXPECT_EQ(run(COMMAND_ONE_TIME), (Calls{"dialog Cng_Para1", "repaint"}));
        EXPECT_EQ(records->mode, MODE_ONE_TIME);
        EXPECT_EQ(run(COMMAND_INTERMITTENT), (Calls{"dialog Cng_Para2", "repaint"}));
        EXPECT_EQ(records->mode, MODE_INTERMITTENT);
    }
}

TEST_F(CommandFixture, TheRunUsesWhatTheDialogStored) {
    front_end.on_dialog = [&](DialogKind kind) {
        testing::OpenDialog dialog(kind, *records);
        dialog.type(208, "10");
        ASSERT_EQ(dialog.press_ok(), AcceptResult::Accepted);
    };
    run(COMMAND_MAIN_PARAMETERS);
    EXPECT_EQ(records->model.n_steps, 40);
    EXPECT_EQ(split_lines(read_text(trace)).size(), 3u + 41u);
}

TEST_F(CommandFixture, RefusedRunIsReportedAndWritesNothing) {
    records->model.latent_period = 0.0;
    EXPECT_EQ(run(COMMAND_CALCULATE), (Calls{"failure 2", "repaint"}));
    EXPECT_FALSE(std::filesystem::exists(trace));
    EXPECT_FALSE(context.trace_written);
}

TEST_F(CommandFixture, OverflowIsReportedAndItsTraceIsOurs) {
    records->model.R_0 = 1e308;
    EXPECT_EQ(run(COMMAND_CALCULATE), (Calls{"failure 3", "repaint"}));
    EXPECT_EQ(split_lines(read_text(trace)).size(), 3u + 801u);
    EXPECT_TRUE(context.trace_written);
}

TEST_F(CommandFixture, UnwritableTraceIsReportedAndTheTableStillFilled) {
    const std::string nowhere = folder.file("missing/temp.dat");
    context.trace_path = nowhere.c_str();
    EXPECT_EQ(run(COMMAND_CALCULATE), (Calls{"failure 1", "repaint"}));
    // The box names the file and the system's reason.
    EXPECT_EQ(context.trace_error, ENOENT);
    EXPECT_EQ(front_end.report, trace_failure_text(nowhere, ENOENT));
    EXPECT_FALSE(context.trace_written);
    EXPECT_GT(records->results[799][3], 8000.0);
}

// Writing through a link that points nowhere would leave its target behind
// when the link is removed at exit.
TEST_F(CommandFixture, ALinkThatPointsNowhereIsNotWrittenThrough) {
    std::error_code unsupported;
    std::filesystem::create_symlink(folder.file("elsewhere.dat"), trace, unsupported);
    if (unsupported) GTEST_SKIP() << "no symbolic links here";
    EXPECT_EQ(run(COMMAND_CALCULATE), (Calls{"failure 1", "repaint"}));
    remove_trace_at_exit(context);
    EXPECT_FALSE(std::filesystem::exists(folder.file("elsewhere.dat")));
    EXPECT_TRUE(std::filesystem::is_symlink(trace));
}

TEST_F(CommandFixture, TraceIsRemovedAtExitOnlyWhenThisProcessWroteIt) {
    std::ofstream(trace) << "someone else's\n";
    run(COMMAND_SCALE);
    run(COMMAND_HELP);
    remove_trace_at_exit(context);
    EXPECT_TRUE(std::filesystem::exists(trace));

    run(COMMAND_CALCULATE);
    EXPECT_TRUE(context.trace_written);
    remove_trace_at_exit(context);
    EXPECT_FALSE(std::filesystem::exists(trace));
    remove_trace_at_exit(context);  // already gone: nothing happens
}

// A termination signal that ends an open dialog ends the command with it: no
// run, so a trace of the user's own is neither overwritten nor removed at exit.
TEST_F(CommandFixture, ASignalDuringADialogRunsNothing) {
    std::ofstream(trace) << "someone else's\n";
    front_end.on_dialog = [this](DialogKind) { front_end.told_to_end = true; };
    for (int command : {COMMAND_MAIN_PARAMETERS, COMMAND_ONE_TIME, COMMAND_INTERMITTENT}) {
        SCOPED_TRACE(command);
        front_end.told_to_end = false;
        EXPECT_EQ(run(command).size(), 1u);
        EXPECT_EQ(records->mode, MODE_NOTHING_CALCULATED);
    }
    EXPECT_EQ(run(COMMAND_SCALE).size(), 1u);
    EXPECT_FALSE(context.trace_written);
    remove_trace_at_exit(context);
    EXPECT_EQ(read_text(trace), "someone else's\n");
}

TEST_F(CommandFixture, SaveTraceAsCopiesOnlyAWholeTrace) {
    EXPECT_EQ(run(COMMAND_SAVE_TRACE_AS), Calls{"note Save Trace As"});
    EXPECT_EQ(front_end.report, NO_TRACE_TEXT);

    run(COMMAND_CALCULATE);
    EXPECT_EQ(run(COMMAND_SAVE_TRACE_AS), Calls{"save dialog Save Trace As trace.dat 2"});
    front_end.chosen_path = folder.file("kept.dat");
    std::ofstream(front_end.chosen_path) << "an older file\n";
    EXPECT_EQ(run(COMMAND_SAVE_TRACE_AS), Calls{"save dialog Save Trace As trace.dat 2"});
    EXPECT_EQ(testing::read_bytes(front_end.chosen_path), testing::read_bytes(trace));

    front_end.chosen_path = trace;  // the trace itself goes at exit
    EXPECT_EQ(run(COMMAND_SAVE_TRACE_AS).back(), "error Save Trace As");
    EXPECT_NE(front_end.report.find("is the trace itself"), std::string::npos);
    front_end.chosen_path = folder.file("missing/kept.dat");
    EXPECT_EQ(run(COMMAND_SAVE_TRACE_AS).back(), "error Save Trace As");
    EXPECT_EQ(front_end.report, file_problem_text(front_end.chosen_path, ENOENT));

    // A later run whose trace failed leaves a stale or partial file behind.
    const std::string nowhere = folder.file("missing/temp.dat");
    context.trace_path = nowhere.c_str();
    run(COMMAND_CALCULATE);
    EXPECT_EQ(run(COMMAND_SAVE_TRACE_AS), Calls{"note Save Trace As"});
    EXPECT_EQ(front_end.report, TRACE_NOT_WRITTEN_TEXT);
}

TEST_F(CommandFixture, ExportChartWritesTheTypeOfTheNameOrTheChosenOne) {
    EXPECT_EQ(run(COMMAND_EXPORT_CHART), Calls{"save dialog Export Chart chart.png 2"});
    front_end.chosen_path = "view";
    front_end.chosen_type = 1;
    EXPECT_EQ(run(COMMAND_EXPORT_CHART).back(), "export view.svg 1");
    front_end.chosen_path = "view.PNG";
    EXPECT_EQ(run(COMMAND_EXPORT_CHART).back(), "export view.PNG 0");
    front_end.chosen_path = "view.png.bak";
    front_end.chosen_type = 0;
    EXPECT_EQ(run(COMMAND_EXPORT_CHART).back(), "export view.png.bak.png 0");
    front_end.export_succeeds = false;
    EXPECT_EQ(run(COMMAND_EXPORT_CHART).back(), "error Export Chart");
    EXPECT_EQ(front_end.report, "cannot");
}

TEST(WholeFile, ReplacesAFileOnlyWhenAllIsWritten) {
    TemporaryFolder folder;
    const std::string path = folder.file("out.bin");
    std::string error;
    const std::string bytes("a\0b\r\n", 5);
    EXPECT_TRUE(write_whole_file(path, "old", error));
    EXPECT_TRUE(write_whole_file(path, bytes, error));
    EXPECT_EQ(testing::read_bytes(path), bytes);
    // Nothing beside it is left over.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
    // A folder in the way is reported by its full path and left alone.
    std::filesystem::create_directory(folder.file("taken"));
    EXPECT_FALSE(write_whole_file(folder.file("taken"), bytes, error));
    EXPECT_EQ(error.rfind(file_problem_text(folder.file("taken"), 0) + ": ", 0), 0u) << error;
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("taken")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST(MenuKeys, ItemsShowTheirFirstAccelerator) {
    EXPECT_EQ(accelerator_text(COMMAND_PRINT), "Ctrl+P");
    EXPECT_EQ(accelerator_text(COMMAND_CALCULATE), "Ctrl+N");
    EXPECT_EQ(accelerator_text(COMMAND_HELP), "F1");
    EXPECT_EQ(accelerator_text(COMMAND_SAVE_TRACE_AS), "");
}

}  // namespace
}  // namespace morbilex
