// The heat map's layout and the pictures' number texts, without Qt.
#include "picture/heat_map_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "picture/axis_scale.h"

namespace morbilex {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

SweepHeatMap grid(std::size_t columns, std::size_t rows, std::vector<double> cells) {
    SweepHeatMap map;
    for (std::size_t k = 0; k < columns; ++k)
        map.x_values.push_back(1.0 + 0.25 * k);
    for (std::size_t k = 0; k < rows; ++k)
        map.y_values.push_back(k * 10.0);
    map.cells = std::move(cells);
    return map;
}

double width_of(const std::string& text) {
    return 6.0 * text.size();
}

TEST(HeatMapLayout, ConstantMetricHasOneColourLabelledWithItsValue) {
    for (double value : {0.0, 42.0, -3.5}) {
        const HeatMapLayout layout = lay_out_heat_map(
            grid(3, 2, {value, value, NaN, value, value, value}), 50, 50, 10, width_of);
        EXPECT_TRUE(layout.single_value);
        ASSERT_EQ(layout.scale_labels.size(), 1u);
        EXPECT_EQ(layout.scale_labels[0].position, 0.5);
        EXPECT_EQ(layout.scale_labels[0].text, axis_text(value));
        for (const HeatCell& cell : layout.cells) {
            if (cell.missing) continue;
            EXPECT_EQ(cell.shade, layout.scale_labels[0].position);
            EXPECT_EQ(cell.text, value_text(value));
        }
    }
}

TEST(HeatMapLayout, ShadesTextsAndColourScale) {
    const HeatMapLayout layout =
        lay_out_heat_map(grid(2, 2, {0.0, 10.0, NaN, 7.5}), 50, 50, 10, width_of);
    EXPECT_FALSE(layout.single_value);
    const double shades[] = {0.0, 1.0, 0.0, 0.75};
    const char* texts[] = {"0.000", "10.0", "n/a", "7.50"};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(layout.cells[k].missing, k == 2);
        if (k != 2) {
            EXPECT_EQ(layout.cells[k].shade, shades[k]);
        }
        EXPECT_EQ(layout.cells[k].text, texts[k]);
        EXPECT_EQ(layout.cells[k].light_text, k == 0);  // dark shades only, never n/a
    }
    ASSERT_EQ(layout.scale_labels.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(layout.scale_labels[k].text, std::to_string(2 * k));
        EXPECT_DOUBLE_EQ(layout.scale_labels[k].position, 0.2 * k);
    }
}

TEST(HeatMapLayout, LargeGridsHaveStridedLabelsAndNoCellTexts) {
    const HeatMapLayout large =
        lay_out_heat_map(grid(16, 40, std::vector<double>(640, 1.0)), 10, 5, 10, width_of);
    for (const HeatCell& cell : large.cells)
        EXPECT_TRUE(cell.text.empty());
    // The widest x label, "4.75", is 24 wide: with the text's 10, four cells.
    EXPECT_EQ(large.x_stride, 4u);
    EXPECT_EQ(large.y_stride, 3u);  // 13 over cells 5 high
    ASSERT_EQ(large.x_labels.size(), 4u);
    EXPECT_EQ(large.x_labels[3].index, 12u);
    EXPECT_EQ(large.x_labels[3].text, "4");
    ASSERT_EQ(large.y_labels.size(), 14u);
    EXPECT_EQ(large.y_labels[13].text, "390");
    const HeatMapLayout small =
        lay_out_heat_map(grid(15, 15, std::vector<double>(225, 1.0)), 40, 40, 10, width_of);
    EXPECT_EQ(small.cells[0].text, "1.00");
    EXPECT_EQ(small.x_labels.size(), 15u);
}

TEST(AxisScale, NumberTextsRoundHalfwayAwayFromZero) {
    EXPECT_EQ(value_text(100.5), "101");
    EXPECT_EQ(value_text(-2.125), "-2.13");
    EXPECT_EQ(value_text(0.0005), "0.0005");
    EXPECT_EQ(value_text(123456.0), "1.23e+05");
    EXPECT_EQ(value_text(-0.0), "0.000");
    EXPECT_EQ(axis_text(1.953125), "1.95313");
    EXPECT_EQ(axis_text(1234565.0), "1.23457e+06");
    EXPECT_EQ(axis_text(0.1 + 0.2), "0.3");
}

}  // namespace
}  // namespace morbilex
