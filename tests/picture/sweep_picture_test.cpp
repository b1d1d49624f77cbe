// The sweep pictures on a Surface: what is drawn where is what the
// read-out finds there.
#include "picture/sweep_picture.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <iterator>
#include <limits>
#include <set>
#include <string>

#include "chart/recording_surface.h"

namespace morbilex {
namespace {

using testing::RecordingSurface;
using testing::SurfaceCall;

struct Fill {
    int left, top, right, bottom;
    Colour colour;
};

std::vector<Fill> fills(const RecordingSurface& surface) {
    std::vector<Fill> out;
    for (const SurfaceCall& call : surface.calls) {
        if (call.operation != "fill_rectangle") continue;
        const std::size_t comma = call.text.find(',');
        out.push_back({call.x, call.y, std::stoi(call.text.substr(0, comma)),
                       std::stoi(call.text.substr(comma + 1)), call.colour});
    }
    return out;
}

// A Surface's colour: red in the low byte.
Colour bgr(std::uint32_t rgb) {
    return ((rgb & 0xff) << 16) | (rgb & 0xff00) | (rgb >> 16);
}

// Each cell is filled once, in its value's colour, where the read-out finds it.
TEST(SweepPicture, HeatMapCellsLieWhereTheReadOutFindsThem) {
    for (std::uint32_t k = 0; k < std::size(VIRIDIS); ++k) {
        EXPECT_EQ(heat_colour(k / 9.0), bgr(VIRIDIS[k]));
    }
    for (auto [columns, rows, width, height] :
         {std::array{7, 5, 800, 400}, std::array{120, 90, 700, 330}}) {
        SweepHeatMap map;
        for (int c = 0; c < columns; ++c)
            map.x_values.push_back(c * 0.5);
        for (int r = 0; r < rows; ++r)
            map.y_values.push_back(1 + r);
        for (int k = 0; k < columns * rows; ++k)
            map.cells.push_back(k == 3 ? std::numeric_limits<double>::quiet_NaN() : k * k);
        const double high = (columns * rows - 1.0) * (columns * rows - 1.0);
        RecordingSurface surface;
        surface.reading_cell = 12;
        draw_sweep_heat_map(surface, map, width, height);
        std::set<std::size_t> found;
        for (const Fill& fill : fills(surface)) {
            std::size_t row = 0, column = 0;
            // The pixels at its corners, by their centres.
            std::size_t first_row = 0, first_column = 0;
            const bool on_cell = heat_map_cell_at(map, width, height, 12, fill.left + 0.5,
                                                  fill.top + 0.5, first_row, first_column);
            const bool whole = heat_map_cell_at(map, width, height, 12, fill.right + 0.5,
                                                fill.bottom + 0.5, row, column);
            if (!on_cell && !whole) continue;  // the colour bar
            EXPECT_TRUE(on_cell && whole) << fill.left << "," << fill.top;
            EXPECT_EQ(first_row, row);
            EXPECT_EQ(first_column, column);
            const double value = map.cells[row * columns + column];
            EXPECT_EQ(fill.colour,
                      std::isnan(value) ? bgr(MISSING_COLOUR) : heat_colour(value / high))
                << row << " " << column;
            EXPECT_TRUE(found.insert(row * columns + column).second) << "filled twice";
        }
        EXPECT_EQ(found.size(), map.cells.size());
    }
}

// A point's mark is where the read-out finds that point.
TEST(SweepPicture, LineChartPointsLieWhereTheReadOutFindsThem) {
    SweepLineChart chart{"R_0", "final_R", "final_R by R_0", {}};
    for (const char* label : {"0 no intervention", "2 intermittent"}) {
        LineSeries series{label, {}, {}};
        for (int k = 0; k < 12; ++k) {
            series.x.push_back(1 + 0.25 * k);
            series.y.push_back(label[0] == '0' ? k * 3.0 : 40.0 - k);
        }
        chart.series.push_back(series);
    }
    RecordingSurface surface;
    draw_sweep_line_chart(surface, chart, 900, 450);
    const Colour first = bgr(SERIES_COLOURS[0]);
    std::size_t marks = 0;
    for (const Fill& fill : fills(surface)) {
        if (fill.colour != first) continue;
        std::size_t index = 99;
        ASSERT_TRUE(line_chart_point_at(chart, 900, 450, 16, (fill.left + fill.right) / 2.0,
                                        (fill.top + fill.bottom) / 2.0, index));
        EXPECT_EQ(index, marks++);
    }
    EXPECT_EQ(marks, 12u);
}

}  // namespace
}  // namespace morbilex
