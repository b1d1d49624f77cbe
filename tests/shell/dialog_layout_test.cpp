#include "shell/dialog_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace morbilex {
namespace {

int right_end(std::vector<ControlArea> fields, int gap = 0) {
    return label_right_before_fields({10, 20, 110, 32}, fields, gap);
}

TEST(LabelBesideFields, EndsBeforeTheNearestFieldItReachesUnder) {
    EXPECT_EQ(right_end({{80, 31, 150, 40}}), 80);  // one row pixel in common
    EXPECT_EQ(right_end({{80, 18, 150, 34}}, 1), 79);
    EXPECT_EQ(right_end({{90, 20, 150, 32}, {60, 20, 80, 32}, {100, 20, 120, 32}}), 60);
    // Each field against the label as shortened so far.
    EXPECT_EQ(right_end({{80, 20, 150, 32}, {79, 20, 150, 32}}, 1), 79);
}

TEST(LabelBesideFields, KeepsItsEndBesideFieldsItDoesNotReachUnder) {
    EXPECT_EQ(right_end({{110, 20, 150, 32}, {10, 20, 150, 32}, {0, 20, 50, 32}}), 110);
    EXPECT_EQ(right_end({{80, 32, 150, 44}, {80, 8, 150, 20}}), 110);  // rows below and above
}

}  // namespace
}  // namespace morbilex
