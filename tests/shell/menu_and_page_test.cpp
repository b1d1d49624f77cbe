#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "shell/menu.h"
#include "shell/printing.h"

namespace morbilex {
namespace {

std::string describe(const MenuBarEntry& entry) {
    std::string text = std::string(entry.label) + ":";
    for (const MenuItem& item : entry.items) {
        text += item.label ? std::string(" ") + item.label + "=" + std::to_string(item.command)
                           : std::string(" ---");
    }
    if (entry.items.empty()) text += " =" + std::to_string(entry.command);
    if (entry.right_aligned) text += " (right)";
    return text;
}

TEST(MainMenu, BarEntriesItemsAndCommands) {
    const auto bar = main_menu_bar();
    ASSERT_EQ(bar.size(), 5u);
    EXPECT_EQ(describe(bar[0]), "&File: &Print=104 p&Rinter setup=105 --- e&Xit=106");
    EXPECT_EQ(describe(bar[1]), "&No intervention: &Calculate=108 &Main parameters=110");
    EXPECT_EQ(describe(bar[2]),
              "&Intervention: &One-time    =111 &Intermittent=112 &Main parameters=110");
    EXPECT_EQ(describe(bar[3]), "&Scale: =114");
    EXPECT_EQ(describe(bar[4]), "&Help: =107 (right)");
}

TEST(MainMenu, TenAcceleratorsInTableOrder) {
    const auto keys = main_accelerators();
    ASSERT_EQ(keys.size(), 10u);
    const std::string letters = "PRXNCMOIS";
    const int commands[] = {104, 105, 106, 108, 108, 110, 111, 112, 114};
    for (std::size_t i = 0; i < letters.size(); ++i) {
        EXPECT_EQ(keys[i].kind, AcceleratorKey::Letter) << i;
        EXPECT_EQ(keys[i].letter, letters[i]) << i;
        EXPECT_TRUE(keys[i].control) << i;
        EXPECT_EQ(keys[i].command, commands[i]) << i;
    }
    EXPECT_EQ(keys[9].kind, AcceleratorKey::F1);
    EXPECT_FALSE(keys[9].control);
    EXPECT_EQ(keys[9].command, 107);
}

TEST(PageRectangle, EightPointTwoByElevenPointSixInches) {
    struct Case {
        int dpi_x, dpi_y, right, bottom;
    };
    const Case cases[] = {
        {96, 96, 787, -1113},    {300, 300, 2460, -3480}, {360, 360, 2952, -4176},
        {600, 600, 4920, -6960}, {300, 600, 2460, -6960}, {600, 300, 4920, -3480},
        {97, 97, 795, -1125},    {1, 1, 8, -11},          {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const PageRectangle page = page_rectangle(c.dpi_x, c.dpi_y);
        EXPECT_EQ(page.left, 0);
        EXPECT_EQ(page.top, 0);
        EXPECT_EQ(page.right, c.right) << c.dpi_x;
        EXPECT_EQ(page.bottom, c.bottom) << c.dpi_y;
    }
}

TEST(PageRectangle, ResolutionsBeyondReasonStayInRange) {
    const PageRectangle page = page_rectangle(INT_MAX, INT_MAX);
    EXPECT_EQ(page.right, INT_MAX);
    EXPECT_EQ(page.bottom, INT_MIN);
    EXPECT_EQ(page_rectangle(-96, -96).right, -787);
}

}  // namespace
}  // namespace morbilex
