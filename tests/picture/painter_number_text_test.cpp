// The sweep pictures' number texts, held to Qt's own formatting of the same numbers.
#include <gtest/gtest.h>

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "picture/axis_scale.h"

namespace morbilex {
namespace {

// value_text as Qt would write it.
QString qt_value_text(double value) {
    if (!std::isfinite(value)) return QStringLiteral("n/a");
    const double magnitude = std::abs(value);
    if (magnitude >= 100000.0 || (magnitude < 0.001 && magnitude > 0.0))
        return QString::number(value, 'g', 3);
    const int decimals = magnitude >= 100.0 ? 0 : magnitude >= 10.0 ? 1 : magnitude >= 1.0 ? 2 : 3;
    return QString::number(value, 'f', decimals);
}

TEST(NumberTexts, AsQtWritesThem) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<long> whole(-2000000, 2000000);
    std::uniform_int_distribution<int> shift(-30, 10);  // many values exactly halfway
    for (int k = 0; k < 600000; ++k) {
        double value = std::ldexp(static_cast<double>(whole(random)), shift(random));
        if (k % 3 == 0) {
            const std::uint64_t bits = random();
            std::memcpy(&value, &bits, sizeof value);
        }
        ASSERT_EQ(QString::fromStdString(axis_text(value)), QString::number(value, 'g', 6))
            << value;
        ASSERT_EQ(QString::fromStdString(value_text(value)), qt_value_text(value)) << value;
    }
}

}  // namespace
}  // namespace morbilex
