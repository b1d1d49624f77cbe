// The sweep's runner: every scenario of a shard handed to the callback once,
// whatever the threads, and the first failure told as it happened.
#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <utility>

#include "analysis/sweep_runner.h"

namespace morbilex {
namespace {

SweepPlan plan_of(const std::string& sweep) {
    SweepPlan plan;
    SweepAxis axis;
    std::string error;
    EXPECT_TRUE(parse_sweep_axis(sweep, axis, error) && add_sweep_axis(plan.grid, axis, error))
        << error;
    return plan;
}

struct KeptRows : RowSink {
    bool write(std::string_view rows) override {
        text += rows;
        return accept;
    }
    std::string text;
    bool accept = true;
};

// A range ends on b when its steps land there but for rounding, and never
// goes past it.
TEST(SweepRunner, RangesStopAtTheirEnd) {
    const struct {
        const char* sweep;
        long long count;
        double last;
    } ranges[] = {
        {"R_0=1:4:0.25", 13, 4.0},
        {"R_0=4:1:-0.25", 13, 1.0},
        {"R_0=0:1:0.1", 11, 1.0},
        {"R_0=0:0.3:0.1", 4, 3 * 0.1},  // just above 0.3 by rounding
        {"R_0=1:2.05:0.5", 3, 2.0},
        {"R_0=0:9999999.995:1", 10000000, 9999999.0},
        {"R_0=0:-9999999.995:-1", 10000000, -9999999.0},
        {"R_0=5e6:9999999.999999:1", 5000000, 9999999.0},
    };
    for (const auto& range : ranges) {
        const SweepPlan plan = plan_of(range.sweep);
        const SweepAxis& axis = plan.grid.axes.at(0);
        EXPECT_EQ(axis.count, range.count) << range.sweep;
        EXPECT_EQ(axis.value(axis.count - 1), range.last) << range.sweep;
    }
}

TEST(SweepRunner, EveryScenarioOfTheShardReachesTheCallbackOnce) {
    const SweepPlan plan = plan_of("R_0=1:5:0.01");
    std::string rows_of_one_thread;
    // Without rows (a picture's sweep) the callback still sees every scenario.
    for (const auto& [jobs, rows] : {std::pair{1, true}, {3, true}, {2, false}}) {
        std::mutex mutex;
        std::multiset<long long> run_ids;
        SweepSettings settings;
        settings.jobs = jobs;
        settings.rows = rows;
        settings.shard = {2, 3};
        settings.on_scenario = [&](const FinishedScenario& scenario) {
            const std::lock_guard lock(mutex);
            run_ids.insert(scenario.run_id);
            EXPECT_EQ(scenario.row[summary_column_index("R_0")].as_number(),
                      plan.grid.axes[0].value(scenario.run_id - 1));
            EXPECT_TRUE(scenario.finite);
        };
        KeptRows sink;
        const SweepOutcome outcome = run_sweep(plan, settings, sink);
        EXPECT_TRUE(outcome.complete);
        EXPECT_EQ(outcome.rows_written, 134);
        std::multiset<long long> expected;
        for (long long run_id = 2; run_id <= 401; run_id += 3)
            expected.insert(run_id);
        EXPECT_EQ(run_ids, expected);
        if (jobs == 1) rows_of_one_thread = sink.text;
        EXPECT_EQ(sink.text, rows ? rows_of_one_thread : "");
    }
    // An overflowing run still makes its row; the callback hears it is not finite.
    std::set<long long> not_finite;
    SweepSettings settings;
    settings.on_scenario = [&](const FinishedScenario& scenario) {
        if (!scenario.finite) not_finite.insert(scenario.run_id);
    };
    KeptRows sink;
    EXPECT_TRUE(run_sweep(plan_of("R_0=1,1e308,3"), settings, sink).complete);
    EXPECT_EQ(not_finite, (std::set<long long>{2}));
}

TEST(SweepRunner, TellsTheRefusedScenarioOrTheFailedWrite) {
    KeptRows sink;
    const SweepOutcome refused = run_sweep(plan_of("latent_period=1,0"), {}, sink);
    EXPECT_FALSE(refused.complete);
    EXPECT_FALSE(refused.write_failed);
    ASSERT_TRUE(refused.refused);
    EXPECT_EQ(refused.refused->cause, ScenarioRefusal::Cause::FieldRefused);
    EXPECT_EQ(refused.refused->run_id, 2);
    EXPECT_STREQ(refused.refused->field->name, "latent_period");
    EXPECT_TRUE(refused.refused->typed);
    EXPECT_EQ(refused.refused->text, "0");
    EXPECT_EQ(refused.refused->reason, RefusalReason::NotAboveZero);

    sink.accept = false;
    const SweepOutcome unwritten = run_sweep(plan_of("R_0=1,2"), {}, sink);
    EXPECT_FALSE(unwritten.complete);
    EXPECT_TRUE(unwritten.write_failed);
    EXPECT_FALSE(unwritten.refused);
}

}  // namespace
}  // namespace morbilex
