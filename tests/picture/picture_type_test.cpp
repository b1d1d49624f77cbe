// A picture's type by its file name.
#include "picture/picture_type.h"

#include <gtest/gtest.h>

namespace morbilex {
namespace {

TEST(PictureType, ByExtensionOrPngForStreams) {
    EXPECT_EQ(picture_type_of("out/Chart.PNG"), "png");
    EXPECT_EQ(picture_type_of("a.b.Svg"), "svg");
    EXPECT_EQ(picture_type_of("chart.pdf"), "pdf");
    EXPECT_EQ(picture_type_of("-"), "png");
    EXPECT_EQ(picture_type_of("/dev/null"), "png");
    for (const char* unknown : {"chart.bmp", "chart", "/nonexistent/png", "/tmp", ".png/x"})
        EXPECT_EQ(picture_type_of(unknown), "") << unknown;
}

}  // namespace
}  // namespace morbilex
