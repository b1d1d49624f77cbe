#include "shell/commands.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "model/simulation.h"
#include "shell/dialog_test_support.h"
#include "shell/file_messages.h"
#include "shell/menu.h"
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

    std::vector<std::string> calls;
    std::string report;
    bool ending() override { return told_to_end; }
    std::function<void(DialogKind)> on_dialog;
    int dialog_result = DIALOG_RESULT_CANCEL;
    bool told_to_end = false;
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

}  // namespace
}  // namespace morbilex
