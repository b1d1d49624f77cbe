#include <gtest/gtest.h>

#include <climits>

#include "chart_test_support.h"

namespace morbilex {
namespace {

using testing::PlacedText;
using testing::RecordingSurface;

const std::vector<PlacedText> TITLE_AT_16 = {
    {48, 96, "--- Simulation for Transmission Dynamics of Morbilex (v.2b) ---"},
    {48, 144, "       Simple SEIR model"},
    {48, 192, "       2020.05.14   by Orvanto"},
};

TEST(View, TitleScreenBeforeTheFirstRun) {
    auto records = testing::default_records();
    ASSERT_EQ(records->mode, MODE_NOTHING_CALCULATED);
    for (const auto& [width, height] : {std::pair{1200, 700}, std::pair{300, 2000}}) {
        RecordingSurface surface(16);
        draw_view(*records, testing::series_colours(), surface, 0, 0, width, height);
        EXPECT_EQ(surface.texts(), TITLE_AT_16);
        // Only the current font's metrics and the three lines.
        EXPECT_EQ(surface.calls.size(), 4u);
        EXPECT_EQ(surface.calls[0].operation, "text_cell_height");
    }
}

TEST(View, TitleFollowsTheCurrentFont) {
    RecordingSurface surface(50);
    draw_title_screen(surface, 0, 0, 4920, -6960);
    EXPECT_EQ(surface.texts()[2], (PlacedText{150, 600, TITLE_AT_16[2].text}));
    RecordingSurface absurd(INT_MAX / 3);
    draw_title_screen(absurd, 0, 0, 10, 10);
    EXPECT_TRUE(absurd.texts().empty());
}

TEST(View, EveryModeFromZeroShowsTheChart) {
    for (InterventionMode mode : {MODE_NO_INTERVENTION, MODE_ONE_TIME, MODE_INTERMITTENT}) {
        auto records = testing::records_after_run(mode);
        RecordingSurface surface;
        draw_view(*records, testing::series_colours(), surface, 0, 0, 1200, 700);
        EXPECT_EQ(surface.count("set_isotropic_mode"), 1);
        EXPECT_EQ(surface.texts()[0].text.substr(0, 8), "MORBILEX");
    }
}

}  // namespace
}  // namespace morbilex
