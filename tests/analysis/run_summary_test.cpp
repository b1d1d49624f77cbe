// The summary's figures against hand-worked cases and against a
// straightforward row-by-row oracle; the sweep's grid and shards.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "analysis/run_summary.h"
#include "analysis/sweep_grid.h"
#include "model/seir.h"
#include "model/simulation.h"
#include "support/test_support.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

SummaryRow summary_of(const ScenarioInputs& scenario) {
    SummaryRow row;
    summarise_run(scenario, integrate_run_figures(scenario), row);
    return row;
}

double value_of(const SummaryRow& row, const char* name) {
    return row[summary_column_index(name)].as_number();
}

TEST(RunSummary, DefaultRunsWorkedByHand) {
    ScenarioInputs scenario;
    const SummaryRow none = summary_of(scenario);
    EXPECT_EQ(value_of(none, "peak_infectious_day"), 99.75);  // row 399
    EXPECT_NEAR(value_of(none, "peak_infectious"), 1196.64, 0.005);
    EXPECT_EQ(value_of(none, "T_max_days"), 200.0);
    EXPECT_EQ(value_of(none, "herd_immunity_threshold"), 1.0 - 1.0 / 2.5);
    EXPECT_TRUE(std::isnan(value_of(none, "first_on_day")));  // empty
    EXPECT_TRUE(std::isnan(value_of(none, "Reduction")));     // not the mode in force

    scenario.mode = MODE_ONE_TIME;
    const SummaryRow one_time = summary_of(scenario);
    EXPECT_EQ(value_of(one_time, "days_reduced"), 60.0);  // days 10 to 70
    EXPECT_EQ(value_of(one_time, "fraction_reduced"), 0.3);
    EXPECT_EQ(value_of(one_time, "first_on_day"), 10.0);
    EXPECT_EQ(value_of(one_time, "Redct1"), 0.8);
    EXPECT_TRUE(std::isnan(value_of(one_time, "final_S_analytic")));

    // On at day 57.75, off at 97.00, on at 116.75, off at 155.25, on from 175.50.
    scenario.mode = MODE_INTERMITTENT;
    const SummaryRow intermittent = summary_of(scenario);
    EXPECT_EQ(value_of(intermittent, "switches_on"), 3);
    EXPECT_EQ(value_of(intermittent, "first_on_day"), 57.75);
    EXPECT_EQ(value_of(intermittent, "longest_on_days"), 97.0 - 57.75);
    EXPECT_EQ(value_of(intermittent, "days_reduced"),
              (97.0 - 57.75) + (155.25 - 116.75) + (200.0 - 175.5));
}

TEST(RunSummary, FinalSizeRelationMatchesALongRun) {
    for (double R_0 : {1.3, 2.5, 6.0}) {
        ScenarioInputs scenario;
        scenario.model.R_0 = R_0;
        scenario.model.n_steps = MAX_STEPS;  // 10000 days: the epidemic is long over
        const SummaryRow row = summary_of(scenario);
        EXPECT_NEAR(value_of(row, "final_S_gap"), 0.0, 1e-4 * value_of(row, "final_S"))
            << "R_0 " << R_0;
    }
}

TEST(RunSummary, OverflowIsAStatusNotAFailure) {
    ScenarioInputs scenario;
    scenario.mode = MODE_INTERMITTENT;
    scenario.intermittent = {-1e300, 0.0, 0.0};  // a reduction far above 1
    const SummaryRow row = summary_of(scenario);
    EXPECT_STREQ(row[summary_column_index("status")].text, "non-finite");
    EXPECT_GT(value_of(row, "first_non_finite_day"), 0.0);
    std::string json;
    append_summary_json(json, row);
    for (const char* not_json : {":inf", ":-inf", ":nan", ":-nan"})
        EXPECT_EQ(json.find(not_json), std::string::npos);  // JSON has null for them
    EXPECT_NE(json.find(":null"), std::string::npos);
}

// The figures of a run, row by row from the single run's own loop: the
// oracle of the gathered figures.
RunFigures figures_by_rows(const ScenarioInputs& s) {
    RunFigures f;
    RateConstants rates;
    derive_rate_constants(s.model, rates);
    double t = 0.0, y[4] = {s.model.init_S, s.model.init_E, s.model.init_I, s.model.init_R};
    const double sum0 = ((y[0] + y[1]) + y[2]) + y[3];
    f.peak_infectious = y[2];
    f.peak_exposed = y[1];
    int flag = 0, previous = 0, run = 0;
    for (int r = 0;; ++r) {
        if (r < s.model.n_steps) choose_beta(s.one_time, s.intermittent, s.mode, t, y, rates, flag);
        if (y[2] > f.peak_infectious) f.peak_infectious = y[2], f.peak_infectious_row = r;
        if (y[1] > f.peak_exposed) f.peak_exposed = y[1], f.peak_exposed_row = r;
        if (s.model.R_0 > 1.0 && f.first_below_threshold_row < 0 &&
            y[0] < POPULATION_BASE / s.model.R_0)
            f.first_below_threshold_row = r;
        const double drift = std::fabs((((y[0] + y[1]) + y[2]) + y[3]) - sum0);
        if (drift > f.conservation_drift) f.conservation_drift = drift;
        bool finite = true;
        for (double v : y)
            finite = finite && std::isfinite(v);
        if (!finite && f.first_non_finite_row < 0) f.first_non_finite_row = r;
        if (r >= s.model.n_steps) break;
        if (flag != 0) {
            f.steps_reduced++;
            f.switches_on += flag != previous;
            if (f.first_on_step < 0) f.first_on_step = r;
            f.longest_on_steps = std::max(f.longest_on_steps, ++run);
        } else {
            run = 0;
        }
        previous = flag;
        rk4_step(t, y, s.model.dt, 4, seir_rates, rates);
    }
    f.final_S = y[0], f.final_E = y[1], f.final_I = y[2], f.final_R = y[3];
    return f;
}

// Equal to the bit, NaNs whatever their sign.
bool same_number(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

bool same_bits(const RunFigures& a, const RunFigures& b) {
    return same_number(a.peak_infectious, b.peak_infectious) &&
           same_number(a.peak_exposed, b.peak_exposed) && same_number(a.final_S, b.final_S) &&
           same_number(a.final_E, b.final_E) && same_number(a.final_I, b.final_I) &&
           same_number(a.final_R, b.final_R) &&
           same_number(a.conservation_drift, b.conservation_drift) &&
           a.peak_infectious_row == b.peak_infectious_row &&
           a.peak_exposed_row == b.peak_exposed_row && a.steps_reduced == b.steps_reduced &&
           a.switches_on == b.switches_on && a.first_on_step == b.first_on_step &&
           a.longest_on_steps == b.longest_on_steps &&
           a.first_below_threshold_row == b.first_below_threshold_row &&
           a.first_non_finite_row == b.first_non_finite_row;
}

TEST(RunFigures, GatheredFiguresEqualTheRowByRowOracle) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<ScenarioInputs> scenarios;
    for (int k = 0; k < 300; ++k) {
        ScenarioInputs s;
        s.mode = k % 3;
        s.model.R_0 = 0.5 + 5.0 * unit(random);
        s.model.n_steps = static_cast<int>(MAX_STEPS * unit(random) * unit(random)) - 10;
        s.intermittent = {unit(random) * 1.1, 100.0 * unit(random), 20.0 * unit(random)};
        s.one_time.t_srt2 = 100.0 * unit(random);
        s.one_time.t_stp2 = s.one_time.t_srt2 + 50.0 * unit(random);
        s.one_time.Redct2 = unit(random);
        if (k % 50 == 7) s.intermittent.Reduction = -1e300;  // overflows
        scenarios.push_back(s);
    }
    std::vector<RunFigures> gathered(scenarios.size());
    integrate_run_figures(scenarios, gathered);
    for (std::size_t k = 0; k < scenarios.size(); ++k) {
        EXPECT_TRUE(same_bits(figures_by_rows(scenarios[k]), gathered[k])) << "scenario " << k;
    }
    // The oracle's rows are the single run's: its table agrees with a run.
    auto records = testing::default_records();
    records->model.R_0 = scenarios[1].model.R_0;
    run_simulation_to_stream(*records, MODE_ONE_TIME, nullptr);
    ScenarioInputs same = scenario_inputs_of(*records, MODE_ONE_TIME);
    EXPECT_TRUE(same_bits(figures_by_rows(same), integrate_run_figures(same)));
}

TEST(SweepGrid, RangesListsAndRefusals) {
    SweepAxis axis;
    std::string error;
    ASSERT_TRUE(parse_sweep_axis("R_0=0:1:0.1", axis, error));
    EXPECT_EQ(axis.count, 11);          // b included though 10 x 0.1 is not exactly 1
    EXPECT_EQ(axis.value(3), 3 * 0.1);  // not a running sum
    ASSERT_TRUE(parse_sweep_axis("On_threshold=5,+20,1e2", axis, error));
    EXPECT_EQ(axis.values, (std::vector<double>{5, 20, 100}));
    for (const char* refused :
         {"R_0=1:2:0", "R_0=2:1:0.5", "R_0=1:2:-0.1", "R_0=1:inf:1", "R_0=1,x", "R_0=1,",
          "R_0=0:1:1e-9", "Rnought=1", "init_S=1", "mode=0,1.5", "T_max=1:1e308:1e-300"}) {
        EXPECT_FALSE(parse_sweep_axis(refused, axis, error)) << refused;
        EXPECT_EQ(error.find("--sweep="), 0u) << error;
    }
}

TEST(SweepGrid, RowMajorNumberingAndShards) {
    SweepGrid grid;
    std::string error;
    for (const char* text : {"mode=0,1,2", "R_0=1:4:1"}) {
        SweepAxis axis;
        ASSERT_TRUE(parse_sweep_axis(text, axis, error));
        ASSERT_TRUE(add_sweep_axis(grid, axis, error));
    }
    EXPECT_EQ(grid.size(), 12);
    long long indices[2];
    grid.indices_of(6, indices);  // the first axis varies slowest
    EXPECT_EQ(indices[0], 1);
    EXPECT_EQ(indices[1], 1);
    std::vector<int> owners(13, 0);
    for (long long index = 1; index <= 5; ++index) {
        const Shard shard{index, 5};
        for (long long local = 0; local < shard.size(grid.size()); ++local)
            owners[shard.run_id(local)]++;
    }
    EXPECT_EQ(std::count(owners.begin() + 1, owners.end(), 1), 12);
    SweepAxis big;
    ASSERT_TRUE(parse_sweep_axis("latent_period=1:1e7:1", big, error));
    EXPECT_FALSE(add_sweep_axis(grid, big, error));  // 1.2e8 scenarios
    Shard shard;
    EXPECT_FALSE(parse_shard("4/3", shard, error));
    EXPECT_FALSE(parse_shard("0/3", shard, error));
}

}  // namespace
}  // namespace morbilex
