#include "analysis/care_layer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

#include "model/seir_step.h"
#include "model/simulation.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

// The oracle: S, E, I, R and the three care values as one system of seven
// equations, integrated over the whole run by a plain Runge-Kutta loop of its
// own with the schedule chosen every step.
constexpr int EQUATIONS = 7;
using State = std::array<double, EQUATIONS>;

State augmented_rates(const RateConstants& r, const CareParameters& c, const State& y) {
    const double S = y[0], E = y[1], I = y[2], H = y[4], C = y[5];
    const double admissions = c.hospital_fraction * (r.sigma * E);
    return {((-r.beta) * S) * I,
            (r.beta * S) * I - r.sigma * E,
            r.sigma * E - r.gamma * I,
            r.gamma * I,
            admissions - (1.0 / c.hospital_stay) * H,
            c.icu_fraction * admissions - (1.0 / c.icu_stay) * C,
            c.fatality_ratio * (r.gamma * I)};
}

std::vector<State> oracle_rows(const ScenarioInputs& s) {
    RateConstants rates;
    derive_rate_constants(s.model, rates);
    State y = {s.model.init_S, s.model.init_E, s.model.init_I, s.model.init_R, 0.0, 0.0, 0.0};
    std::vector<State> rows;
    int on_flag = 0;
    double t = 0.0;
    const double h = s.model.dt;
    for (int step = 0; step < s.model.n_steps; ++step) {
        choose_beta(s.one_time, s.intermittent, s.mode, t, y.data(), rates, on_flag);
        rows.push_back(y);
        const State y0 = y;
        State trial = y;
        for (int stage = 0; stage < 4; ++stage) {
            t = RK4_TIME_INCREMENTS[stage] * h + t;
            const State k = augmented_rates(rates, s.care, trial);
            for (int j = 0; j < EQUATIONS; ++j) {
                y[j] = (RK4_WEIGHTS[stage] * h) * k[j] + y[j];
                trial[j] = (RK4_STAGE_FACTORS[stage] * h) * k[j] + y0[j];
            }
        }
    }
    rows.push_back(y);
    return rows;
}

ScenarioInputs scenario(InterventionMode mode) {
    ScenarioInputs s;
    s.mode = mode;
    s.care.enabled = true;
    return s;
}

TEST(CareLayer, EqualsTheAugmentedSystemIntegratedWholeAndLeavesTheRunAlone) {
    std::vector<ScenarioInputs> cases = {scenario(MODE_NO_INTERVENTION), scenario(MODE_ONE_TIME),
                                         scenario(MODE_INTERMITTENT)};
    // Odd step, long run, all three windows and other care values.
    ScenarioInputs odd = scenario(MODE_ONE_TIME);
    odd.model.dt = 0.1;
    odd.model.n_steps = 3000;
    odd.model.R_0 = 3.7;
    odd.one_time.Redct2 = 0.4;
    odd.one_time.t_srt2 = 90.0;
    odd.one_time.t_stp2 = 120.0;
    odd.care = {true, 0.11, 3.5, 0.35, 12.25, 0.013};
    cases.push_back(odd);
    ScenarioInputs switching = scenario(MODE_INTERMITTENT);
    switching.intermittent = {0.95, 10.0, 9.99};
    cases.push_back(switching);
    for (const ScenarioInputs& s : cases) {
        const std::vector<State> expected = oracle_rows(s);
        auto records = std::make_unique<Records>();
        static_cast<Scenario&>(*records) = s;
        ASSERT_EQ(run_simulation_to_stream(*records, s.mode, nullptr), RUN_COMPLETED);
        const CareRun care = integrate_care(s);
        ASSERT_EQ(care.rows(), s.model.n_steps + 1);
        for (int r = 0; r < care.rows(); ++r) {
            if (r < s.model.n_steps) {
                for (int k = 0; k < COMPARTMENT_COUNT; ++k)
                    ASSERT_EQ(records->results[r][k], expected[r][k]) << s.mode << " row " << r;
            }
            for (int k = 0; k < CARE_SERIES_COUNT; ++k)
                ASSERT_EQ(care.values[k][r], expected[r][4 + k]) << s.mode << " row " << r;
        }
        // Every death left I: D = fatality_ratio * (R - R(0)) in every row.
        const double deaths = care.series(CareSeries::Deaths).back();
        EXPECT_NEAR(deaths, s.care.fatality_ratio * (expected.back()[3] - s.model.init_R),
                    1e-9 * deaths);
        EXPECT_NEAR(care.day.back(), s.model.n_steps * s.model.dt, 1e-9);
    }
}

TEST(CareLayer, FiguresAndOutputsFollowTheSeries) {
    const ScenarioInputs s = scenario(MODE_INTERMITTENT);
    const CareRun care = integrate_care(s);
    const CareFigures figures = care_figures(care);
    const std::vector<double>& hospital = care.series(CareSeries::Hospital);
    EXPECT_EQ(figures.peak_hospital, hospital[figures.peak_hospital_row]);
    for (int r = 0; r < care.rows(); ++r) {
        EXPECT_TRUE(r < figures.peak_hospital_row ? hospital[r] < figures.peak_hospital
                                                  : hospital[r] <= figures.peak_hospital);
    }
    EXPECT_GT(figures.peak_icu, 0.0);
    EXPECT_LT(figures.peak_icu, figures.peak_hospital);
    // The hospital peak follows the infectious one, by about the stay.
    EXPECT_GT(figures.peak_hospital_row, integrate_run_figures(s).peak_infectious_row);

    // No step: one row of zeros.
    ScenarioInputs none = s;
    none.model.n_steps = 0;
    const CareRun empty = integrate_care(none);
    EXPECT_EQ(empty.rows(), 1);
    EXPECT_EQ(care_rows_csv(empty), "day,hospital,icu,deaths\n0,0,0,0\n");
}

}  // namespace
}  // namespace morbilex
