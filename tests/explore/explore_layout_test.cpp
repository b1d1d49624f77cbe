// The explorer's layout: the text at the reading size, on the device, the
// legend beside the curves and every x label shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "../chart/chart_test_support.h"
#include "chart/readable_font.h"
#include "explore/axis_fitting.h"
#include "explore/explore_layout.h"
#include "explore/explorer_page.h"
#include "explore/explorer_view.h"
#include "explore/observed_overlay.h"

namespace morbilex::testing {
namespace {

// Keeps the mapping as a device would and notes every chart-font text whose
// cell, 0.6 of its height per character (the widest monospaced face), leaves
// the device rectangle, and the device height of the fonts made. Fonts too
// small to read are made larger, as the program surfaces do.
class DeviceBoundsSurface : public RecordingSurface {
public:
    using RecordingSurface::RecordingSurface;
    std::vector<std::string> outside;
    std::vector<double> font_pixels;

    void set_window_extent(int x, int y) override {
        window_x_ = x;
        window_y_ = y;
        RecordingSurface::set_window_extent(x, y);
    }
    void set_viewport_extent(int x, int y) override {
        viewport_x_ = x;
        viewport_y_ = std::abs(y);
        RecordingSurface::set_viewport_extent(x, y);
    }
    void set_window_origin(int x, int y) override {
        origin_x_ = x;
        origin_y_ = y;
        RecordingSurface::set_window_origin(x, y);
    }
    SurfaceObject create_chart_font(int cell_height) override {
        const double requested = cell_height * scale();
        const double pixels = readable_chart_font_pixels(requested, 16, viewport_x_, viewport_y_);
        const int made = static_cast<int>(std::ceil(pixels / scale()));
        font_pixels.push_back(made * scale());
        return RecordingSurface::create_chart_font(made);
    }
    void text_out(int x, int y, const char* text, int length) override {
        RecordingSurface::text_out(x, y, text, length);
        // Not the figures beside, which are in the default font, one to one.
        if (current_font() == DEVICE_DEFAULT_FONT) {
            const double left = x - origin_x_, top = y - origin_y_;
            figure_boxes.push_back({left, top, left + 0.6 * text_cell_height() * length,
                                    top + text_cell_height(), std::string(text, length)});
            return;
        }
        const double cell = text_cell_height();
        const double left = (x - origin_x_) * scale();
        const double right = left + 0.6 * cell * length * scale();
        const double top = (origin_y_ - y) * scale();
        const double bottom = top + cell * scale();
        if (left < 0 || right > viewport_x_ + 0.5 || top < 0 || bottom > viewport_y_ + 0.5)
            outside.push_back(std::string(text, static_cast<std::size_t>(length)));
        // Cells sharing more than a pixel each way run into each other.
        for (const TextBox& box : boxes) {
            if (std::min(right, box.right) - std::max(left, box.left) > 1 &&
                std::min(bottom, box.bottom) - std::max(top, box.top) > 1)
                overlapping.push_back(box.text + " / " + std::string(text, length));
        }
        boxes.push_back({left, top, right, bottom, std::string(text, length)});
    }
    struct TextBox {
        double left, top, right, bottom;
        std::string text;
    };
    std::vector<TextBox> boxes;
    std::vector<TextBox> figure_boxes;
    std::vector<std::string> overlapping;

private:
    double scale() const {
        return std::min(static_cast<double>(viewport_x_) / window_x_,
                        static_cast<double>(viewport_y_) / window_y_);
    }
    int window_x_ = 1, window_y_ = 1, viewport_x_ = 1, viewport_y_ = 1;
    int origin_x_ = 0, origin_y_ = 0;
};

// The points drawn before the legend's box (the first white box) that it
// covers, the corners of texts' cells among them; -1 when there is no box.
int points_under_legend(const RecordingSurface& surface) {
    std::vector<std::pair<int, int>> points;
    int cell = 0;
    for (const SurfaceCall& call : surface.calls) {
        cell = call.operation == "create_chart_font" ? call.y : cell;
        const int right =
            call.x + static_cast<int>(call.text.size() * std::ceil(CHAR_WIDTH_PER_CELL * cell));
        if (call.operation == "move_to" || call.operation == "line_to")
            points.push_back({call.x, call.y});
        if (call.operation == "text_out")
            points.insert(points.end(), {{call.x, call.y}, {right, call.y - cell}});
        if (call.operation != "fill_rectangle" || call.colour != 0xFFFFFF) continue;
        const int bottom = std::stoi(call.text.substr(call.text.find(',') + 1));
        return static_cast<int>(std::count_if(points.begin(), points.end(), [&](auto& point) {
            return call.x <= point.first && point.first <= std::stoi(call.text) &&
                   bottom <= point.second && point.second <= call.y;
        }));
    }
    return -1;
}

// The texts drawn one after another on the row of the x axis's last label, up to it.
std::vector<std::string> x_label_row(const RecordingSurface& surface, const std::string& last) {
    const std::vector<PlacedText> texts = surface.texts();
    auto end =
        std::find_if(texts.begin(), texts.end(), [&](auto& text) { return text.text == last; });
    auto begin = end;
    while (end != texts.end() && begin != texts.begin() && (begin - 1)->y == end->y)
        --begin;
    std::vector<std::string> row;
    for (auto text = begin; text != texts.end() && text <= end; ++text)
        row.push_back(text->text);
    return row;
}

// The chart's text is made at the device's reading size (twice as large at
// a display scale of 2) whatever the window's size, and none of it leaves the
// device. Where the chart has the room of a small window's (380 by 360 at
// text of 16 pixels), the legend covers no curve and every x label shows.
TEST(ExplorerView, TextHasTheReadingSizeAndStaysOnTheDeviceAtEverySize) {
    int failures = 0;
    for (InterventionMode mode : {MODE_NO_INTERVENTION, MODE_ONE_TIME, MODE_INTERMITTENT}) {
        auto records = records_after_run(mode);
        Explorer explorer;
        std::vector<std::string> x_labels;
        for (const AxisLabel& label : axis_labels(records->scale.xmin, records->scale.xmax))
            x_labels.push_back(label.text);
        for (double ymax : {100.0, 10000.0, 100000.0}) {
            records->scale.ymax = ymax;
            for (bool compare : {false, true}) {
                explorer.view.compare = compare;
                for (int width = 320; width <= 2560; width += 160) {
                    for (int height = 240; height <= 1440; height += 240) {
                        for (double cell : {16.0, 32.0}) {
                            const bool with_figures = width % 320 == 0;
                            DeviceBoundsSurface surface;
                            surface.reading_cell = cell;
                            paint_explorer_view(surface, *records, series_colours(), explorer,
                                                width, height, with_figures);
                            const int chart_width = explorer_chart_width(width, with_figures);
                            bool legend = false;
                            for (const PlacedText& text : surface.texts())
                                legend |= text.text == "I" || text.text == "Infectious";
                            EXPECT_TRUE(legend) << width << "x" << height;
                            ASSERT_EQ(surface.font_pixels.size(), 1u);
                            EXPECT_NEAR(surface.font_pixels[0], cell, 1.0);
                            if (chart_width * 16 >= 380 * cell && height * 16 >= 360 * cell) {
                                EXPECT_EQ(points_under_legend(surface), 0)
                                    << mode << " " << ymax << " " << width << "x" << height;
                                EXPECT_EQ(x_label_row(surface, x_labels.back()), x_labels)
                                    << width << "x" << height;
                            }
                            if (surface.outside.empty() || failures++ > 40) continue;
                            ADD_FAILURE()
                                << "mode " << mode << " ymax " << ymax << " compare " << compare
                                << " cell " << cell << " " << width << "x" << height << " ("
                                << chart_width << "): '" << surface.outside.front() << "'";
                        }
                    }
                }
            }
        }
    }
}

// The texts on the row of a text, left to right.
std::vector<PlacedText> row_of(const RecordingSurface& surface, const std::string& member) {
    std::vector<PlacedText> row;
    for (const PlacedText& text : surface.texts()) {
        if (text.text == member) {
            for (const PlacedText& other : surface.texts())
                if (other.y == text.y) row.push_back(other);
            break;
        }
    }
    return row;
}

// Whatever the view shows (compartments hidden, I alone, a log scale, R_t on
// its axis, the other palette, observed counts) at the window sizes and
// display scales people use: no text leaves the device or runs into
// another, the legend covers no curve, and every grid line meets a tick
// label: the x labels are centred on the vertical lines, the y labels on the
// horizontal ones. The counts' residual strip lies under the frame, over
// no curve and no text.
TEST(ExplorerView, EveryViewKeepsItsTextApartAndItsGridAtTheLabels) {
    auto records = records_after_run(MODE_INTERMITTENT);
    Explorer explorer;
    ObservedCounts counts;
    for (int day = 0; day <= 150; day += 10)
        counts.points.push_back({double(day), records->results[day * 4][2] + day % 30 - 10, 0});
    for (int options = 0; options < 16; ++options) {
        explorer.observed.counts = options % 2 == 1 ? counts : ObservedCounts{};
        explorer.view = ViewOptions{};
        explorer.view.shown[0] = options % 2 == 0;
        explorer.view.infectious_only = options % 4 == 3;
        explorer.view.log_scale = options / 4 % 2 == 1;
        explorer.view.effective_r = options / 8 == 1;
        explorer.view.colour_blind = options % 3 == 0;
        explorer.sync(*records);
        fit_axes(*records, explorer);
        const std::string last_x =
            axis_labels(records->scale.xmin, records->scale.xmax).back().text;
        // The chart beside the panels of a 960 by 600 window, and whole windows.
        for (const auto& [width, height] :
             {std::pair{576, 540}, {960, 600}, {1920, 1080}, {1280, 800}}) {
            for (double cell : {16.0, 32.0}) {
                SCOPED_TRACE(::testing::Message() << "options " << options << " " << width << "x"
                                                  << height << " cell " << cell);
                DeviceBoundsSurface surface;
                surface.reading_cell = cell;
                paint_explorer_view(surface, *records, series_colours(), explorer, width, height,
                                    false);
                EXPECT_EQ(surface.outside, std::vector<std::string>{});
                EXPECT_EQ(surface.overlapping, std::vector<std::string>{});
                const ExplorerMapping mapping =
                    explorer_mapping(records->scale, width, height, cell, explorer.chart_text);
                // The strip's zero line across the frame, its bars from it.
                const ChartGeometry& g = mapping.geometry;
                const auto in_strip = [&](int y) {
                    return y < g.frame_bottom && y >= g.frame_bottom - mapping.strip_height;
                };
                int zero = INT_MIN, bars = 0;
                for (const Segment& s : surface.segments()) {
                    if (s.colour != OBSERVED_COUNTS_COLOUR) continue;
                    if (s.y0 == s.y1 && s.x0 == g.frame_left && s.x1 == g.frame_right) zero = s.y0;
                    if (s.x0 != s.x1 || s.y0 != zero) continue;
                    ++bars;
                    EXPECT_TRUE(in_strip(s.y1)) << s.x0 << "," << s.y1;
                }
                if (options % 2 == 1 && mapping.legend != LegendPlace::OverFrame) {
                    EXPECT_TRUE(in_strip(zero)) << zero << " under " << g.frame_bottom;
                    EXPECT_GE(bars, 10);
                }
                // A legend too tall for the side of a chart this small stands over it.
                if (width * 16 >= 960 * cell) {
                    EXPECT_EQ(points_under_legend(surface), 0);
                }
                // The header whole, wrapped where it must be: nothing cut.
                std::string all_text;
                for (const PlacedText& text : surface.texts()) {
                    EXPECT_EQ(text.text.find("..."), std::string::npos) << text.text;
                    all_text += text.text + "\n";
                }
                for (const char* part : {"R_0 2.50", "latent 4.60", "T_max 200", "35, off at 5"})
                    EXPECT_NE(all_text.find(part), std::string::npos) << part << "\n" << all_text;
                int font_cell = 0;
                for (const SurfaceCall& call : surface.calls)
                    font_cell = call.operation == "create_chart_font" ? call.y : font_cell;
                const int char_width = static_cast<int>(std::ceil(CHAR_WIDTH_PER_CELL * font_cell));
                const std::vector<PlacedText> x_row = row_of(surface, last_x);
                for (const PlacedText& text : x_row)  // under the strip
                    EXPECT_LT(text.y, mapping.geometry.frame_bottom - mapping.strip_height);
                int grid_lines = 0;
                for (const Segment& line : surface.segments()) {
                    if (line.colour != 0xDDDDDD) continue;
                    ++grid_lines;
                    const bool vertical = line.x0 == line.x1;
                    const auto meets = [&](const PlacedText& text) {
                        const int width = static_cast<int>(text.text.size()) * char_width;
                        return vertical ? std::abs(text.x + width / 2 - line.x0) <= char_width
                                        : std::abs(text.y - font_cell / 2 - line.y0) <= 1 &&
                                              text.x + width <= line.x0;
                    };
                    EXPECT_TRUE(vertical ? std::any_of(x_row.begin(), x_row.end(), meets)
                                         : std::any_of(surface.texts().begin(),
                                                       surface.texts().end(), meets))
                        << (vertical ? "x " : "y ") << line.x0 << "," << line.y0;
                }
                EXPECT_GE(grid_lines, 4);
            }
        }
        // The axes fitted to the curves shown: I alone fills the chart.
        if (explorer.view.infectious_only && !explorer.view.log_scale) {
            double peak = 0.0;
            for (int j = 0; j < shown_rows(*records); ++j)
                peak = std::max({peak, records->results[j][2], explorer.comparison()[j][2]});
            EXPECT_EQ(records->scale.ymax, round_number_above(peak));
        }
    }
}

// A printed page at 600 dots per inch, across and upright: the chart's text
// on the page and apart, the scenario named over the header, and the figures
// on the page beside or under all of the chart's text.
TEST(ExplorerPage, TheChartFillsThePageAndTheFiguresKeepApart) {
    auto records = records_after_run(MODE_INTERMITTENT);
    Explorer explorer;
    explorer.view.effective_r = true;
    for (const auto& [width, height] : {std::pair{6600, 4600}, {4600, 6600}}) {
        for (const char* file : {"", "/tmp/flu.morbilex"}) {
            SCOPED_TRACE(::testing::Message() << width << "x" << height << " " << file);
            records->scenario_file = file;
            DeviceBoundsSurface surface(83);
            surface.reading_cell = 100.0;
            paint_explorer_page(surface, *records, series_colours(), explorer, width, height);
            EXPECT_EQ(surface.outside, std::vector<std::string>{});
            EXPECT_EQ(surface.overlapping, std::vector<std::string>{});
            ASSERT_FALSE(surface.boxes.empty());
            EXPECT_EQ(surface.boxes.front().text,
                      *file ? "Scenario: flu.morbilex" : "Unsaved scenario");
            double chart_right = 0, chart_bottom = 0;
            for (const auto& box : surface.boxes) {
                chart_right = std::max(chart_right, box.right);
                chart_bottom = std::max(chart_bottom, box.bottom);
            }
            // The chart fills the page's width and nearly half its height
            // (its text reaches that far).
            EXPECT_GT(chart_right, width * 0.8);
            EXPECT_GT(chart_bottom, height * 0.45);
            std::string figures;
            for (const auto& box : surface.figure_boxes) {
                figures += box.text + "\n";
                EXPECT_TRUE(box.left > chart_right || box.top > chart_bottom) << box.text;
                EXPECT_TRUE(box.left >= 0 && box.right <= width && box.top >= 0 &&
                            box.bottom <= height)
                    << box.text;
            }
            for (const char* line : {"Peak infectious", "R_t at or below 1 from day"})
                EXPECT_NE(figures.find(line), std::string::npos) << line << "\n" << figures;
        }
    }
}

}  // namespace
}  // namespace morbilex::testing
