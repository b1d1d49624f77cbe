// The explorer view's core: the drawing against the classic one, the
// comparison run and its bands, the read-out's hit-test, fitting, the
// sliders against the dialogs, the field help and the View commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "../chart/chart_test_support.h"
#include "analysis/scenario_setup.h"
#include "chart/readable_font.h"
#include "explore/explorer_view.h"
#include "explore/field_help.h"
#include "explore/sliders.h"
#include "explore/user_guide.h"
#include "explore/view_commands.h"

namespace morbilex::testing {
namespace {

bool same_calls(const RecordingSurface& a, const RecordingSurface& b) {
    if (a.calls.size() != b.calls.size()) return false;
    for (std::size_t k = 0; k < a.calls.size(); ++k) {
        const SurfaceCall& x = a.calls[k];
        const SurfaceCall& y = b.calls[k];
        if (x.operation != y.operation || x.x != y.x || x.y != y.y || x.text != y.text ||
            x.object != y.object || x.colour != y.colour) {
            return false;
        }
    }
    return true;
}

TEST(ExplorerView, ClassicViewAndTitleDrawExactlyAsPaintView) {
    for (InterventionMode mode : {MODE_NOTHING_CALCULATED, MODE_ONE_TIME}) {
        auto records = records_after_run(mode < 0 ? MODE_NO_INTERVENTION : mode);
        records->mode = mode;
        records->view.classic = mode >= 0;
        Explorer explorer;
        explorer.read_out_step = 100;
        RecordingSurface explorer_log;
        paint_explorer_view(explorer_log, *records, series_colours(), explorer, 900, 500, true);
        RecordingSurface classic_log;
        paint_view(classic_log, *records, series_colours(), 900, 500);
        EXPECT_TRUE(same_calls(explorer_log, classic_log)) << mode;
    }
}

TEST(ExplorerView, DrawsComparisonBandsLegendBoxReadOutAndFigures) {
    auto records = records_after_run(MODE_ONE_TIME);
    Explorer explorer;
    explorer.read_out_step = 200;
    RecordingSurface surface(16);
    paint_explorer_view(surface, *records, series_colours(), explorer, 1500, 700, true);
    // The comparison's light pens, the band and the boxes, and the read-out's text.
    int light_pens = 0;
    int bands = 0;
    for (const SurfaceCall& call : surface.calls) {
        light_pens += call.operation == "create_pen" &&
                      call.colour == comparison_colour(series_colours().colours[2]);
        bands += call.operation == "fill_rectangle" && call.colour == REDUCTION_BAND_COLOUR;
    }
    EXPECT_EQ(light_pens, 2);  // the curve and its legend line
    EXPECT_EQ(bands, 2);       // the window of days 10 to 70 and the legend's swatch
    bool day_shown = false;
    bool reduction_on = false;
    bool peak_shown = false;
    for (const PlacedText& text : surface.texts()) {
        day_shown |= text.text == "day 50.00";
        reduction_on |= text.text == "reduction on";
        peak_shown |= text.text.rfind("Peak infectious: 1196.40 persons", 0) == 0;
    }
    EXPECT_TRUE(day_shown);
    EXPECT_TRUE(reduction_on);
    EXPECT_TRUE(peak_shown);
    EXPECT_EQ(surface.objects_deleted_while_selected, 0);
    EXPECT_EQ(surface.live_objects(), 0);
}

// Keeps the mapping as a device would and notes every chart-font text whose
// cell, 0.6 of its height per character (the widest monospaced face), leaves
// the device rectangle, and the device height of the fonts made. Fonts too
// small to read are made larger, as the program surfaces do.
class DeviceBoundsSurface : public RecordingSurface {
public:
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
        // Not the figures beside, which are in the default font.
        if (current_font() == DEVICE_DEFAULT_FONT) return;
        const double cell = text_cell_height();
        const double left = (x - origin_x_) * scale();
        const double right = left + 0.6 * cell * length * scale();
        const double top = (origin_y_ - y) * scale();
        const double bottom = top + cell * scale();
        if (left < 0 || right > viewport_x_ + 0.5 || top < 0 || bottom > viewport_y_ + 0.5)
            outside.push_back(std::string(text, static_cast<std::size_t>(length)));
    }

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
                records->view.compare = compare;
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

TEST(ExplorerView, HeaderReadsAHugeParameterWithItsPowerOfTen) {
    auto records = records_after_run(MODE_NO_INTERVENTION);
    records->model.R_0 = 1e308;
    Explorer explorer;
    RecordingSurface surface(16);
    paint_explorer_view(surface, *records, series_colours(), explorer, 1500, 700, false);
    EXPECT_EQ(surface.texts().at(0).text,
              "R_0 1e+308  latent 4.60 d  infectious 5.00 d  T_max 200 d");
}

const Explorer& synced(const Records& records) {
    static Explorer explorer;
    explorer.sync(records);
    return explorer;
}

// The same bits, a NaN's sign left out (the compiler's choice).
bool same_bits(double a, double b) {
    const double x = std::isnan(a) ? std::fabs(a) : a;
    const double y = std::isnan(b) ? std::fabs(b) : b;
    return std::memcmp(&x, &y, sizeof x) == 0;
}

bool same_rows(const SummaryRow& a, const SummaryRow& b) {
    for (int c = 0; c < SUMMARY_COLUMN_COUNT; ++c) {
        if (a[c].kind != b[c].kind || a[c].integer != b[c].integer ||
            std::string(a[c].text) != b[c].text || !same_bits(a[c].number, b[c].number))
            return false;
    }
    return true;
}

// The explorer gathers the figures from the runs that give its bands and
// comparison; they are those of the summary's own integration, bit for bit.
TEST(Explorer, FiguresOfItsOwnRunsAreTheSummarysFigures) {
    std::mt19937 random(7);
    const auto pick = [&random](std::initializer_list<double> values) {
        return *(values.begin() + random() % values.size());
    };
    for (int k = 0; k < 300; ++k) {
        auto records = testing::default_records();
        records->mode = static_cast<InterventionMode>(random() % 3);
        ModelParameters& m = records->model;
        m.R_0 = pick({0.5, 1.0, 2.5, 3.7, 12.0, 1e300});
        m.latent_period = pick({0.3, 4.6, 20.0});
        m.infectious_period = pick({0.5, 5.0, 30.0});
        m.n_steps = static_cast<int>(pick({0, 1, 7, 800, 2000, 8000}));
        m.init_E = pick({0.0, 0.1, 50.0});
        m.init_I = pick({0.0, 1.0});
        records->one_time.Redct1 = pick({0.0, 0.5, 0.9});
        records->one_time.t_stp1 = pick({20.0, 70.0, 400.0});
        records->intermittent.Reduction = pick({0.3, 0.8});
        records->intermittent.On_threshold = pick({5.0, 35.0, 200.0});
        // A drag's run gives the table, rates and figures of the traced run.
        auto dragged = std::make_unique<Records>(*records);
        run_simulation_to_stream(*records, records->mode, nullptr);
        Explorer explorer;
        // The two runs in either order (a front end may run them side by side).
        explorer.run_without_trace(
            *dragged, [](const std::function<void()>& first, const std::function<void()>& second) {
                second();
                first();
            });
        for (int j = 0; j < std::clamp(records->model.n_steps, 1, MAX_STEPS); ++j) {
            for (int c = 0; c < COMPARTMENT_COUNT; ++c)
                ASSERT_TRUE(same_bits(records->results[j][c], dragged->results[j][c])) << k;
        }
        const RateConstants& a = records->rates;
        const RateConstants& b = dragged->rates;
        EXPECT_TRUE(same_bits(a.beta0, b.beta0) && same_bits(a.beta, b.beta) &&
                    same_bits(a.gamma, b.gamma) && same_bits(a.sigma, b.sigma))
            << k;
        const ViewFigures expected = compute_view_figures(*records);
        for (const ViewFigures* found : {&explorer.figures(), &synced(*records).figures()}) {
            ASSERT_EQ(found->available, expected.available) << k;
            ASSERT_EQ(found->has_baseline, expected.has_baseline) << k;
            EXPECT_TRUE(same_rows(found->run, expected.run)) << k;
            EXPECT_TRUE(!expected.has_baseline || same_rows(found->baseline, expected.baseline))
                << k;
        }
    }
}

TEST(Explorer, ComparisonIsTheNoInterventionRunAndBandsFollowTheSchedule) {
    auto records = records_after_run(MODE_ONE_TIME);
    Explorer explorer;
    explorer.sync(*records);
    ASSERT_TRUE(explorer.has_comparison());
    auto baseline = records_after_run(MODE_NO_INTERVENTION);
    for (int j = 0; j < 800; ++j)
        ASSERT_EQ(explorer.comparison()[j], baseline->results[j]) << j;
    // Days 10 to 70 in quarter-day steps.
    ASSERT_EQ(explorer.reduced_periods().size(), 1u);
    EXPECT_EQ(explorer.reduced_periods()[0].first_step, 40);
    EXPECT_EQ(explorer.reduced_periods()[0].end_step, 280);
    EXPECT_TRUE(explorer.figures().has_baseline);
    EXPECT_EQ(peak_change_text(explorer.figures()).rfind("peak -", 0), 0u);

    // The intermittent schedule switches on and off with the infectious count.
    records = records_after_run(MODE_INTERMITTENT);
    explorer.sync(*records);
    ASSERT_GT(explorer.reduced_periods().size(), 1u);
    for (const ReducedPeriod& period : explorer.reduced_periods())
        EXPECT_GE(records->results[period.first_step][2], records->intermittent.On_threshold);

    records = records_after_run(MODE_NO_INTERVENTION);
    explorer.sync(*records);
    EXPECT_FALSE(explorer.has_comparison());
    EXPECT_TRUE(explorer.reduced_periods().empty());
}

// The device x of a logical x under the mapping the drawing set, as the
// platform maps it.
int device_x_of(const RecordingSurface& surface, int logical_x, int width, int height) {
    int extent_x = 0, extent_y = 0, origin_x = 0;
    for (const SurfaceCall& call : surface.calls) {
        if (call.operation == "set_window_extent") extent_x = call.x, extent_y = call.y;
        if (call.operation == "set_window_origin") {
            origin_x = call.x;
            break;
        }
    }
    const double scale = std::min(double(width) / extent_x, double(height) / extent_y);
    return static_cast<int>(std::lround((logical_x - origin_x) * scale));
}

TEST(Explorer, ReadOutHitTestInvertsTheChartMapping) {
    auto records = records_after_run(MODE_NO_INTERVENTION);
    struct Case {
        double xmin, xmax, ymax;
        int width, height;
        double cell;  // the device's reading text, which widens the margins
    };
    for (const Case& c : {Case{0, 200, 100, 800, 500, 16}, Case{0, 200, 10000, 640, 520, 32},
                          Case{50, 120, 2000, 1600, 400, 16}, Case{0, 10, 100, 300, 300, 24},
                          Case{0, 200, 10000, 300, 260, 40}}) {
        records->scale.xmin = c.xmin;
        records->scale.xmax = c.xmax;
        records->scale.ymax = c.ymax;
        Explorer explorer;
        RecordingSurface surface;
        surface.reading_cell = c.cell;
        paint_explorer_view(surface, *records, series_colours(), explorer, c.width, c.height,
                            false);
        const ExplorerMapping mapping = explorer_mapping(records->scale, c.width, c.height, c.cell);
        const double per_step = 0.25 * mapping.x_per_day;
        for (int step : {int(c.xmin * 4), int(c.xmin * 4) + 3, int(c.xmax * 4) - 1}) {
            if (step >= 800) step = 799;
            const int logical = static_cast<int>(step * per_step + 0.5);
            const int device = device_x_of(surface, logical, c.width, c.height);
            const int found = step_at_device_x(*records, device, c.width, c.height, c.cell);
            // Several steps may share a device pixel; the one found lies there.
            EXPECT_EQ(
                device_x_of(surface, static_cast<int>(found * per_step + 0.5), c.width, c.height),
                device)
                << c.xmax << " " << step << " " << found;
        }
        // Far outside the frame: the nearest step drawn inside it.
        int first = 0;
        while (static_cast<int>(first * per_step + 0.5) < mapping.geometry.frame_left)
            ++first;
        int last = 799;
        while (static_cast<int>(last * per_step + 0.5) > mapping.geometry.frame_right)
            --last;
        EXPECT_EQ(step_at_device_x(*records, -1000, c.width, c.height, c.cell), first);
        EXPECT_EQ(step_at_device_x(*records, 100000, c.width, c.height, c.cell), last);
    }
    records->mode = MODE_NOTHING_CALCULATED;
    EXPECT_EQ(step_at_device_x(*records, 100, 800, 500, 16), -1);
}

// The keys of every front end move the read-out within the steps the frame
// shows (a zoomed chart's too): from none to an end, by one, ten or a tenth.
TEST(Explorer, ReadOutKeysStayOnTheStepsShown) {
    auto records = records_after_run(MODE_NO_INTERVENTION);
    records->scale.xmin = 50;
    records->scale.xmax = 120;
    const ReadOutSteps steps = read_out_steps(*records, 900, 500, 16);
    ASSERT_EQ(steps.first, step_at_device_x(*records, -1000, 900, 500, 16));
    ASSERT_EQ(steps.last, step_at_device_x(*records, 100000, 900, 500, 16));
    ASSERT_GT(steps.first, 0);
    ASSERT_LT(steps.last, 799);
    EXPECT_EQ(read_out_step_after_key(-1, ReadOutKey::Right, steps), steps.first);
    EXPECT_EQ(read_out_step_after_key(-1, ReadOutKey::ShiftLeft, steps), steps.last);
    EXPECT_EQ(read_out_step_after_key(steps.last - 3, ReadOutKey::End, steps), steps.last);
    const int page = (steps.last - steps.first + 1) / 10;
    const struct {
        ReadOutKey key;
        int move;
    } keys[] = {{ReadOutKey::Left, -1},       {ReadOutKey::Right, 1},
                {ReadOutKey::ShiftLeft, -10}, {ReadOutKey::ShiftRight, 10},
                {ReadOutKey::PageUp, -page},  {ReadOutKey::PageDown, page},
                {ReadOutKey::Home, -100000},  {ReadOutKey::End, 100000}};
    std::mt19937 random(7);
    int step = steps.first;
    for (int k = 0; k < 2000; ++k) {
        const auto& key = keys[random() % std::size(keys)];
        const int after = read_out_step_after_key(step, key.key, steps);
        EXPECT_EQ(after, std::clamp(step + key.move, steps.first, steps.last));
        step = after;
    }
    records->mode = MODE_NOTHING_CALCULATED;
    EXPECT_EQ(read_out_step_after_key(5, ReadOutKey::Left, read_out_steps(*records, 900, 500, 16)),
              -1);
}

TEST(Explorer, FitsAxesToRoundNumbersAboveTheCurvesShown) {
    EXPECT_EQ(round_number_above(1196.4), 2000.0);
    EXPECT_EQ(round_number_above(2400.0), 2500.0);
    EXPECT_EQ(round_number_above(9999.9), 10000.0);
    EXPECT_EQ(round_number_above(0.0), 1.0);
    EXPECT_EQ(round_tick_step(200.0), 25.0 == 0 ? 0 : 50.0);
    EXPECT_EQ(round_tick_step(10000.0), 2000.0);

    auto records = records_after_run(MODE_ONE_TIME);
    records->model.n_steps = 400;  // the table still holds the 800 steps' first half
    Explorer explorer;
    explorer.sync(*records);
    records->view.compare = false;
    EXPECT_TRUE(fit_axes(*records, explorer));
    EXPECT_EQ(records->scale.xmin, 0.0);
    EXPECT_EQ(records->scale.xmax, 100.0);
    EXPECT_EQ(records->scale.ymin, 0.0);
    EXPECT_EQ(records->scale.ymax, 10000.0);
    EXPECT_FALSE(fit_axes(*records, explorer));

    records->mode = MODE_NOTHING_CALCULATED;
    records->scale = AxisScale{};
    EXPECT_FALSE(fit_axes(*records, explorer));
    EXPECT_EQ(records->scale.ymax, 100.0);
}

TEST(Sliders, SetTheFieldsExactlyAsTheirDialogsDo) {
    for (const SliderField& slider : slider_fields()) {
        DialogKind dialog{};
        const FieldSpec* field = slider_field_spec(slider, &dialog);
        ASSERT_NE(field, nullptr) << slider.name;
        ASSERT_NE(field_help(slider.name), nullptr) << slider.name;
        EXPECT_EQ(slider_position_of(slider, slider_value_at(slider, 7)), 7) << slider.name;
        EXPECT_EQ(slider_value_at(slider, slider_positions(slider) - 1), slider.maximum);

        const double value = slider_value_at(slider, slider_positions(slider) / 3);
        auto by_slider = default_records();
        ASSERT_TRUE(apply_slider_value(*by_slider, slider, value)) << slider.name;
        auto by_dialog = default_records();
        std::string text;
        append_shortest(text, value);
        const TypedField typed{dialog, field, text};
        SetupRefusal refused;
        ASSERT_TRUE(
            apply_typed_fields(*by_dialog, std::span<const TypedField>(&typed, 1), refused));
        EXPECT_EQ(slider_value(*by_slider, slider), field->shown_value(*by_dialog)) << slider.name;
        EXPECT_EQ(by_slider->model.n_steps, by_dialog->model.n_steps);
        EXPECT_EQ(by_slider->model.init_S, by_dialog->model.init_S);
        EXPECT_EQ(by_slider->one_time.t_stp3, by_dialog->one_time.t_stp3);
    }
    // Each mode shows the model's sliders and its schedule's.
    EXPECT_EQ(sliders_for_mode(MODE_NO_INTERVENTION).size(), 6u);
    EXPECT_EQ(sliders_for_mode(MODE_ONE_TIME).size(), 15u);
    EXPECT_EQ(sliders_for_mode(MODE_INTERMITTENT).size(), 9u);
    // Every field a dialog shows has its help.
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        for (const FieldSpec& field : dialog_table(kind).fields)
            EXPECT_NE(field_help(field.name), nullptr) << field.name;
    }
}

TEST(UserGuide, IsTheReadmeSectionWithoutPictures) {
    const std::string_view guide = user_guide_markdown();
    EXPECT_EQ(guide.rfind("## User's guide\n", 0), 0u);
    EXPECT_NE(guide.find("### Keys"), std::string_view::npos);
    EXPECT_EQ(guide.find("\n## "), std::string_view::npos);
    EXPECT_EQ(guide.find("!["), std::string_view::npos);
}

class FakeFrontEnd final : public FrontEnd, public ExplorerHost {
public:
    int open_dialog(DialogKind) override { return DIALOG_RESULT_OK; }
    void repaint() override { ++repaints; }
    void print() override {}
    void printer_setup() override {}
    void show_help() override { ++help_boxes; }
    void exit_program() override {}
    void report_run_failure(int, const std::string&) override {}
    void copy_text(const std::string& text) override { copied = text; }
    void show_user_guide() override { ++guides; }
    void view_options_changed() override { ++view_changes; }
    int repaints = 0, help_boxes = 0, guides = 0, view_changes = 0;
    std::string copied;
};

TEST(ViewCommands, FitAfterRunHelpAndCopyFollowTheView) {
    TemporaryFolder folder(true);
    auto records = default_records();
    FakeFrontEnd front_end;
    CommandContext commands{*records, front_end};
    Explorer explorer;
    ExplorerContext context{commands, explorer, front_end};

    execute_explorer_command(context, COMMAND_HELP);
    EXPECT_EQ(front_end.guides, 1);
    execute_explorer_command(context, COMMAND_CALCULATE);
    EXPECT_EQ(records->scale.ymax, 10000.0);  // fitted after the run
    execute_explorer_command(context, COMMAND_COPY_FIGURES);
    EXPECT_EQ(front_end.copied.rfind("figure\tvalue\tunit\npeak_infectious\t1196.64\tpersons\n", 0),
              0u);

    execute_explorer_command(context, COMMAND_CLASSIC_VIEW);
    EXPECT_TRUE(records->view.classic);
    records->scale = AxisScale{};
    execute_explorer_command(context, COMMAND_ONE_TIME);
    EXPECT_EQ(records->scale.ymax, 100.0);  // the classic view keeps its scale
    execute_explorer_command(context, COMMAND_FIT_AXES);
    EXPECT_EQ(records->scale.ymax, 100.0);
    execute_explorer_command(context, COMMAND_HELP);
    EXPECT_EQ(front_end.help_boxes, 1);
    EXPECT_EQ(front_end.guides, 1);
    EXPECT_FALSE(view_item_enabled(records->view, COMMAND_COMPARE));
    EXPECT_TRUE(view_item_checked(records->view, COMMAND_CLASSIC_VIEW));

    execute_explorer_command(context, COMMAND_CLASSIC_VIEW);
    execute_explorer_command(context, COMMAND_FIT_AFTER_RUN);
    EXPECT_FALSE(records->view.fit_after_run);
    execute_explorer_command(context, COMMAND_CALCULATE);
    EXPECT_EQ(records->scale.ymax, 100.0);
    execute_explorer_command(context, COMMAND_FIT_AXES);
    EXPECT_EQ(records->scale.ymax, 10000.0);
    EXPECT_EQ(front_end.view_changes, 3);
}

TEST(Sliders, DraggingRunsWithoutTraceAndReleaseWritesIt) {
    TemporaryFolder folder(true);
    auto records = default_records();
    FakeFrontEnd front_end;
    CommandContext commands{*records, front_end};
    Explorer explorer;
    const SliderField& r0 = slider_fields()[0];
    slider_moved(commands, explorer, r0, 3.0, false);
    EXPECT_EQ(records->mode, MODE_NO_INTERVENTION);
    EXPECT_EQ(records->model.R_0, 3.0);
    EXPECT_FALSE(std::filesystem::exists("temp.dat"));
    EXPECT_EQ(records->scale.ymax, 10000.0);
    const CompartmentValues dragged = records->results[400];
    slider_moved(commands, explorer, r0, 3.0, true);
    EXPECT_TRUE(commands.trace_written);
    EXPECT_TRUE(std::filesystem::exists("temp.dat"));
    EXPECT_EQ(records->results[400], dragged);
}

}  // namespace
}  // namespace morbilex::testing
