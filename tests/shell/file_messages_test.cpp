#include "shell/file_messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace morbilex {
namespace {

TEST(TraceFailureText, NamesTheFullPathAndTheReasonWhenThereIsOne) {
    const std::string full = (std::filesystem::current_path() / "temp.dat").string();
    EXPECT_EQ(trace_failure_text("runs/../temp.dat", EACCES),
              "The trace file " + full + " could not be written (" + std::strerror(EACCES) +
                  "); the chart shows the full run.");
    EXPECT_EQ(trace_failure_text("temp.dat", 0),
              "The trace file " + full + " could not be written; the chart shows the full run.");
}

}  // namespace
}  // namespace morbilex
