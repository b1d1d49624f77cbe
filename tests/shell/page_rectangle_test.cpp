#include <gtest/gtest.h>

#include <climits>

#include "shell/printing.h"

namespace morbilex {
namespace {

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
