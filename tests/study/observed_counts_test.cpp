#include "study/observed_counts.h"

#include <gtest/gtest.h>

namespace morbilex {
namespace {

TEST(ObservedCounts, DatesNamedColumnsAndEmptyCounts) {
    ObservedCounts counts;
    std::string reason;
    const char* text =
        "\xEF\xBB\xBF"
        "date, beds ,other\r\n2024-02-27,5,x\n\n2024-02-28,,y\n2024-03-01,7.5,z\n";
    ASSERT_TRUE(read_observed_counts(text, {"beds", ""}, counts, reason)) << reason;
    ASSERT_EQ(counts.points.size(), 2u);
    EXPECT_EQ(counts.column, "beds");
    EXPECT_EQ(counts.points[1].day, 3.0);  // 2024 is a leap year
    EXPECT_EQ(counts.points[1].count, 7.5);
    EXPECT_EQ(counts.points[1].line, 5);
    // A date for day 0 moves every day.
    ASSERT_TRUE(read_observed_counts(text, {"beds", "2024-02-20"}, counts, reason));
    EXPECT_EQ(counts.points[0].day, 7.0);
}

// A spreadsheet's other ways of writing the same file read the same counts:
// quoted cells (a separator or a quote inside), semicolons, tabs.
TEST(ObservedCounts, QuotedCellsAndOtherSeparatorsReadTheSameCounts) {
    ObservedCounts plain;
    std::string reason;
    ASSERT_TRUE(read_observed_counts("date,beds,note\n2024-02-27,5,a\n2024-03-01,7.5,b\n",
                                     {"beds", ""}, plain, reason));
    for (const char* text : {"\"date\",\"beds\",\"note\"\r\n\"2024-02-27\", \"5\" ,\"a, "
                             "\"\"b\"\"\"\n2024-03-01,7.5,\"\"\n",
                             "date;beds;note\n2024-02-27;5;a\n2024-03-01;7.5;b,c\n",
                             "date\tbeds\tnote\n2024-02-27\t5\t\n2024-03-01\t 7.5 \tb\n"}) {
        SCOPED_TRACE(text);
        ObservedCounts counts;
        ASSERT_TRUE(read_observed_counts(text, {"beds", ""}, counts, reason)) << reason;
        EXPECT_EQ(counts.column, "beds");
        ASSERT_EQ(counts.points.size(), plain.points.size());
        for (std::size_t i = 0; i < counts.points.size(); ++i) {
            EXPECT_EQ(counts.points[i].day, plain.points[i].day);
            EXPECT_EQ(counts.points[i].count, plain.points[i].count);
        }
    }
}

// Each bad file is refused at its line, and what was read before stays.
TEST(ObservedCounts, BadFilesAreRefusedWithTheirLine) {
    ObservedCounts counts;
    std::string reason;
    ASSERT_TRUE(read_observed_counts("day,cases\n0,1\n", {}, counts, reason));
    const struct {
        const char* text;
        const char* reading_column;
        const char* reason;
    } bad[] = {
        {"", "", "the file is empty"},
        {"when,cases\n0,1\n", "", "line 1: the header names no column day or date"},
        {"day,a,b\n0,1,2\n", "", "line 1: more than one count column: name the one to read"},
        {"day,a\n0,1\n", "b", "line 1: the header has no column b"},
        {"day,cases\n0,1\n1,2,3\n", "", "line 3: 3 cells where the header has 2"},
        {"day,cases\n0,1\n-1,2\n", "", "line 3: a day before day 0"},
        {"day,cases\n3,1\n2,2\n", "", "line 3: the day is not after the day of the row before"},
        {"day,cases\nthree,1\n", "", "line 2: the day is not a number: three"},
        {"day,cases\n0,-4\n", "", "line 2: the count is not a number at or above 0: -4"},
        {"date,cases\n2023-02-29,1\n", "", "line 2: not a date YYYY-MM-DD: 2023-02-29"},
        {"day,cases\n0,\n", "", "the file holds no counts"},
    };
    for (const auto& file : bad) {
        EXPECT_FALSE(read_observed_counts(file.text, {file.reading_column, ""}, counts, reason));
        EXPECT_EQ(reason, file.reason) << file.text;
    }
    EXPECT_EQ(counts.points.size(), 1u);
}

}  // namespace
}  // namespace morbilex
