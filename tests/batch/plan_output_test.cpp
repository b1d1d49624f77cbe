// --find-plan from the outside: every row is the summary of its plan run
// alone, and the rows do not depend on the number of threads.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace morbilex {
namespace {

using testing::read_bytes;
using testing::split_lines;
using testing::TemporaryFolder;

std::vector<std::string> cells_of(const std::string& line) {
    std::vector<std::string> cells(1);
    for (char c : line) {
        if (c == ',') {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

class PlanSearchTool : public ::testing::Test {
protected:
    TemporaryFolder folder;

    int run(const std::string& arguments) const {
        const std::string command = "cd '" + folder.path().string() + "' && '" +
                                    MORBILEX_BATCH_PROGRAM + "' " + arguments + " >/dev/null 2>&1";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    // Searches with 1 and 3 threads (the same bytes), then runs each row's
    // plan alone: its --summary=FILE.csv row is the search's row.
    void expect_rows_of_single_runs(const std::string& search, const char* const* fields,
                                    int field_count) {
        ASSERT_EQ(run(search + " --jobs=1 --output=one.csv"), 0);
        ASSERT_EQ(run(search + " --jobs=3 --output=three.csv"), 0);
        const std::string rows = read_bytes(folder.file("one.csv"));
        EXPECT_EQ(rows, read_bytes(folder.file("three.csv")));
        const std::vector<std::string> lines = split_lines(rows);
        ASSERT_GE(lines.size(), 3u);
        const std::vector<std::string> header = cells_of(lines[0]);
        std::string base = search.substr(0, search.find(" --find-plan"));
        for (std::size_t k = 1; k < lines.size(); ++k) {
            const std::vector<std::string> cells = cells_of(lines[k]);
            std::string plan = base + " --mode=" + cells[0];
            for (int f = 0; f < field_count; ++f) {
                for (std::size_t c = 0; c < header.size(); ++c) {
                    if (header[c] == fields[f]) plan += " --" + header[c] + "=" + cells[c];
                }
            }
            ASSERT_EQ(run(plan + " --summary=alone.csv"), 0) << plan;
            const std::vector<std::string> alone =
                split_lines(read_bytes(folder.file("alone.csv")));
            ASSERT_EQ(alone.size(), 2u);
            EXPECT_EQ(alone[0], lines[0]);
            EXPECT_EQ(alone[1], lines[k]) << plan;
        }
    }
};

TEST_F(PlanSearchTool, RowsAreTheirPlansRunAlone) {
    const char* intermittent[] = {"Reduction", "On_threshold", "Off_threshold"};
    expect_rows_of_single_runs("--capacity=300 --find-plan=intermittent", intermittent, 3);
    const char* one_time[] = {"Redct1", "t_srt1", "t_stp1", "Redct2", "t_srt2",
                              "t_stp2", "Redct3", "t_srt3", "t_stp3"};
    expect_rows_of_single_runs(
        "--R_0=2.2 --T_max=300 --capacity=250 --find-plan=one-time --search=reduction=0.4:0.8",
        one_time, 9);
    // Held on the hospital series, with a care field given: the rows gain the care columns.
    expect_rows_of_single_runs(
        "--hospital_stay=6 --capacity=4 --capacity-series=hospital --find-plan=intermittent "
        "--search=on=10:200 --search=off=0:100 --search=reduction=0.7:0.9",
        intermittent, 3);

    // A scenario file's capacity is the search's limit; without one there is none.
    EXPECT_EQ(run("--find-plan=one-time --output=none.csv"), 2);
    std::FILE* file = std::fopen(folder.file("limit.morbilex").c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("capacity = 300\n", file);
    std::fclose(file);
    ASSERT_EQ(run("--scenario=limit.morbilex --find-plan=intermittent --output=file.csv"), 0);
    const std::string rows = read_bytes(folder.file("file.csv"));
    EXPECT_NE(rows.find(",capacity,capacity_series,"), std::string::npos);
    EXPECT_NE(rows.find(",300,infectious,"), std::string::npos);
}

}  // namespace
}  // namespace morbilex
