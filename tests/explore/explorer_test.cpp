// The explorer's state: its figures against the summary's, the comparison
// run and its bands, and the read-out's hit-test and keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <utility>

#include "../chart/chart_test_support.h"
#include "explore/explore_layout.h"
#include "explore/explorer_view.h"
#include "explore/sliders.h"
#include "explore_test_support.h"

namespace morbilex::testing {
namespace {

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
        // The traced run's own pass feeds an explorer.
        Explorer fed;
        run_simulation_to_stream(*records, records->mode, nullptr, nullptr, &fed);
        fed.sync(*records);
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
        const auto& periods = explorer.reduced_periods();
        ASSERT_EQ(fed.reduced_periods().size(), periods.size()) << k;
        for (std::size_t p = 0; p < periods.size(); ++p) {
            EXPECT_EQ(fed.reduced_periods()[p].first_step, periods[p].first_step) << k;
            EXPECT_EQ(fed.reduced_periods()[p].end_step, periods[p].end_step) << k;
        }
        for (const ViewFigures* found :
             {&explorer.figures(), &synced(*records).figures(), &fed.figures()}) {
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

// A committed run is integrated once: the traced run's own pass gives the
// explorer its figures and bands, so that only the run without intervention
// is integrated beside it, and the inputs are checked once on each path.
TEST(Explorer, ACommittedRunIsIntegratedAndCheckedOnce) {
    TemporaryFolder folder(true);
    auto records = default_records();
    FakeFrontEnd front_end;
    CommandContext commands{*records, front_end};
    Explorer explorer;
    ExplorerContext context{commands, explorer, front_end};
    // The runs and checks of a path, the fitting and a paint after it included.
    const auto counted = [&](const std::function<void()>& path) {
        const RunWorkCounts before = run_work_counts;
        path();
        RecordingSurface surface;
        paint_explorer_view(surface, *records, series_colours(), explorer, 900, 500, false);
        return std::pair(run_work_counts.runs - before.runs,
                         run_work_counts.input_checks - before.input_checks);
    };
    for (int command : {COMMAND_CALCULATE, COMMAND_ONE_TIME, COMMAND_INTERMITTENT}) {
        const long runs = command == COMMAND_CALCULATE ? 1 : 2;
        EXPECT_EQ(counted([&] { execute_explorer_command(context, command); }), std::pair(runs, 1L))
            << command;
    }
    for (bool released : {false, true}) {
        const auto move = [&] {
            slider_moved(commands, explorer, slider_fields()[0], 3.0, released);
        };
        EXPECT_EQ(counted(move), std::pair(2L, 1L)) << released;
    }
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
        const ExplorerMapping mapping =
            explorer_mapping(records->scale, c.width, c.height, c.cell, explorer.chart_text);
        const double per_step = 0.25 * mapping.x_per_day;
        for (int step : {int(c.xmin * 4), int(c.xmin * 4) + 3, int(c.xmax * 4) - 1}) {
            if (step >= 800) step = 799;
            const int logical = static_cast<int>(step * per_step + 0.5);
            const int device = device_x_of(surface, logical, c.width, c.height);
            const int found =
                step_at_device_x(*records, device, c.width, c.height, c.cell, explorer.chart_text);
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
        EXPECT_EQ(step_at_device_x(*records, -1000, c.width, c.height, c.cell, explorer.chart_text),
                  first);
        EXPECT_EQ(
            step_at_device_x(*records, 100000, c.width, c.height, c.cell, explorer.chart_text),
            last);
    }
    records->mode = MODE_NOTHING_CALCULATED;
    EXPECT_EQ(step_at_device_x(*records, 100, 800, 500, 16), -1);
}

// The keys of every front end move the read-out within the steps the frame
// shows (a zoomed chart's too): from none to an end, by one, ten or ten days.
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
    const int page = 40;  // ten days of quarter-day steps
    ASSERT_EQ(steps.page, page);
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

}  // namespace
}  // namespace morbilex::testing
