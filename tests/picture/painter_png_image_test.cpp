// The PNG files of the Windows program's encoder, read back by Qt's decoder.
#include <QImage>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "chart/png_image.h"

namespace morbilex {
namespace {

using Pixels = std::vector<std::uint8_t>;

// Draws like a chart: white, a few long lines and runs, some noise.
Pixels chart_like(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    Pixels rgb(static_cast<std::size_t>(width) * height * 3, 0xFF);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            if (y % 7 == 3 || x % 11 == 5) pixel[0] = pixel[1] = pixel[2] = 0x40;
            if (random() % 13 == 0) {
                pixel[0] = static_cast<std::uint8_t>(random());
                pixel[1] = static_cast<std::uint8_t>(random());
                pixel[2] = static_cast<std::uint8_t>(random());
            }
        }
    }
    return rgb;
}

Pixels noise(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    Pixels rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::uint8_t& byte : rgb)
        byte = static_cast<std::uint8_t>(random() % 3);  // short runs of every length
    return rgb;
}

void expect_decodes_to(int width, int height, const Pixels& rgb) {
    const std::string png = encode_png(width, height, rgb);
    ASSERT_FALSE(png.empty());
    QImage image;
    ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                                   static_cast<int>(png.size()), "PNG"))
        << width << "x" << height;
    ASSERT_EQ(image.width(), width);
    ASSERT_EQ(image.height(), height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* pixel = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            ASSERT_EQ(image.pixel(x, y), qRgb(pixel[0], pixel[1], pixel[2]))
                << width << "x" << height << " at " << x << "," << y;
        }
    }
}

TEST(PngImage, QtReadsBackEveryPixel) {
    expect_decodes_to(1, 1, {0x12, 0x34, 0x56});
    expect_decodes_to(3, 2, noise(3, 2, 1));
    expect_decodes_to(257, 31, noise(257, 31, 2));
    expect_decodes_to(800, 450, chart_like(800, 450, 3));
    // Rows longer than the window of repeats: only runs along a row are used.
    expect_decodes_to(11000, 3, chart_like(11000, 3, 4));
    // All white: runs of the longest length, and the row above.
    expect_decodes_to(1024, 64, Pixels(1024 * 64 * 3, 0xFF));
}

TEST(PngImage, AWhiteChartIsSmall) {
    const std::string png = encode_png(1000, 600, chart_like(1000, 600, 5));
    EXPECT_LT(png.size(), 1000u * 600 * 3 / 4);
}

TEST(PngImage, SizesThatDoNotMatchAreRefused) {
    EXPECT_EQ(encode_png(2, 2, Pixels(11)), "");
    EXPECT_EQ(encode_png(0, 1, Pixels()), "");
    EXPECT_EQ(encode_png(32768, 1, Pixels(32768 * 3)), "");
}

}  // namespace
}  // namespace morbilex
