#include "shell/dialog_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace morbilex {
namespace {

constexpr ControlArea LABEL = {10, 20, 110, 32};

int right_end(std::vector<ControlArea> fields, int gap = 0) {
    return label_right_before_fields(LABEL, fields, gap);
}

TEST(LabelBesideFields, EndsBeforeAFieldItReachesUnder) {
    EXPECT_EQ(right_end({{80, 18, 150, 34}}), 80);
    EXPECT_EQ(right_end({{80, 18, 150, 34}}, 1), 79);
    // A field that overlaps the row by a single pixel, above or below.
    EXPECT_EQ(right_end({{80, 31, 150, 40}}), 80);
    EXPECT_EQ(right_end({{80, 5, 150, 21}}), 80);
    // One pixel after the label's left edge: nothing of it is left.
    EXPECT_EQ(right_end({{11, 20, 150, 32}}, 1), 10);
}

TEST(LabelBesideFields, KeepsItsEndBesideFieldsItDoesNotReachUnder) {
    EXPECT_EQ(right_end({}), 110);
    EXPECT_EQ(right_end({{110, 20, 150, 32}}), 110);  // begins where the label ends
    EXPECT_EQ(right_end({{10, 20, 150, 32}}), 110);   // begins with the label
    EXPECT_EQ(right_end({{0, 20, 50, 32}}), 110);     // begins before it
    EXPECT_EQ(right_end({{80, 32, 150, 44}}), 110);   // the row below
    EXPECT_EQ(right_end({{80, 8, 150, 20}}), 110);    // the row above
}

TEST(LabelBesideFields, TakesFieldsInTurnAgainstTheShortenedLabel) {
    EXPECT_EQ(right_end({{90, 20, 150, 32}, {60, 20, 80, 32}, {100, 20, 120, 32}}), 60);
    EXPECT_EQ(right_end({{60, 20, 80, 32}, {90, 20, 150, 32}}), 60);
    // With a gap a field at the shortened end no longer counts.
    EXPECT_EQ(right_end({{80, 20, 150, 32}, {79, 20, 150, 32}}, 1), 79);
    EXPECT_EQ(right_end({{79, 20, 150, 32}, {80, 20, 150, 32}}, 1), 78);
}

}  // namespace
}  // namespace morbilex
