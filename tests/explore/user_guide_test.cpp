// The user's guide the explorer shows.
#include <gtest/gtest.h>

#include <string_view>

#include "explore/user_guide.h"

namespace morbilex::testing {
namespace {

TEST(UserGuide, IsTheReadmeSectionWithoutPictures) {
    const std::string_view guide = user_guide_markdown();
    EXPECT_EQ(guide.rfind("## User's guide\n", 0), 0u);
    EXPECT_NE(guide.find("### Keys"), std::string_view::npos);
    EXPECT_EQ(guide.find("\n## "), std::string_view::npos);
    EXPECT_EQ(guide.find("!["), std::string_view::npos);
}

}  // namespace
}  // namespace morbilex::testing
