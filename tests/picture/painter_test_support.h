// A graphical application for the painter tests and helpers over images.
#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <memory>

namespace morbilex::testing {

class GraphicalEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argument_count = 1;
        static char program_name[] = "painter_tests";
        static char* arguments[] = {program_name, nullptr};
        application_ = std::make_unique<QGuiApplication>(argument_count, arguments);
    }
    void TearDown() override { application_.reset(); }

private:
    std::unique_ptr<QGuiApplication> application_;
};

inline QImage white_image(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// True when a pixel within radius of (x, y) has exactly the colour.
inline bool colour_near(const QImage& image, int x, int y, QRgb colour, int radius = 1) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p(x + dx, y + dy);
            if (image.valid(p) && (image.pixel(p) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
        }
    }
    return false;
}

// True when every pixel of the rectangle is white.
inline bool all_white(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return false;
        }
    }
    return true;
}

}  // namespace morbilex::testing
