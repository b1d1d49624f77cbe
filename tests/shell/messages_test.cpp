#include "shell/messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "shell/file_messages.h"

namespace morbilex {
namespace {

const std::string FULL_RUN = "; the chart shows the full run.";

TEST(RunReport, TraceFailureNamesTheFullPathAndTheReason) {
    const std::string full = (std::filesystem::current_path() / "temp.dat").string();
    EXPECT_EQ(trace_failure_text("runs/../temp.dat", EACCES),
              "The trace file " + full + " could not be written (" + std::strerror(EACCES) + ")" +
                  FULL_RUN);
    EXPECT_EQ(trace_failure_text("temp.dat", 0),
              "The trace file " + full + " could not be written" + FULL_RUN);
}

TEST(RunReport, EachResultHasItsOwnText) {
    const NonFiniteRow row{3, 0.75};
    EXPECT_EQ(run_report_text(RUN_COMPLETED, row, "temp.dat", 0), "");
    EXPECT_EQ(run_report_text(RUN_TRACE_NOT_WRITTEN, row, "temp.dat", ENOENT),
              trace_failure_text("temp.dat", ENOENT));
    EXPECT_EQ(run_report_text(RUN_REFUSED, row, "temp.dat", 0), run_failure_text(RUN_REFUSED));
    EXPECT_EQ(run_report_text(RUN_NOT_FINITE, row, "temp.dat", 0), non_finite_run_text(row));
    EXPECT_EQ(run_failure_text(RUN_TRACE_NOT_WRITTEN), nullptr);
}

}  // namespace
}  // namespace morbilex
