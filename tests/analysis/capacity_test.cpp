#include "analysis/capacity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/test_support.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

// The figures counted straight from the result table of a run (its last row
// from the run's final state), against those gathered while integrating.
TEST(Capacity, FiguresAgreeWithTheResultTable) {
    for (InterventionMode mode : {MODE_NO_INTERVENTION, MODE_ONE_TIME, MODE_INTERMITTENT}) {
        for (double capacity : {0.0, 35.0, 300.0, 5000.0}) {
            auto records = testing::default_records();
            records->model.dt = 0.5;
            records->model.n_steps = 300;
            ASSERT_EQ(run_simulation_to_stream(*records, mode, nullptr), RUN_COMPLETED);
            ScenarioInputs inputs;
            static_cast<Scenario&>(inputs) = *records;
            inputs.mode = mode;
            const CapacitySetting setting{true, capacity, CapacitySeries::Infectious};
            const RunAgainstCapacity run = integrate_against_capacity(inputs, setting);

            const int steps = records->model.n_steps;
            double peak = -1.0, person_days = 0.0;
            int peak_row = -1, first_over = -1, over = 0;
            for (int r = 0; r <= steps; ++r) {
                const double I = r < steps ? records->results[r][2] : run.figures.final_I;
                if (I > peak) peak = I, peak_row = r;
                if (I > capacity && first_over < 0) first_over = r;
                if (I > capacity && r < steps) ++over, person_days += (I - capacity) * 0.5;
            }
            const CapacityFigures& got = run.capacity;
            EXPECT_EQ(got.peak, peak);
            EXPECT_EQ(got.peak, run.figures.peak_infectious);
            EXPECT_EQ(got.peak_row, peak_row);
            EXPECT_EQ(got.first_over_row, first_over);
            EXPECT_EQ(got.steps_over, over);
            EXPECT_DOUBLE_EQ(got.person_days_over, person_days);
            EXPECT_DOUBLE_EQ(got.peak_percent, peak / capacity * 100.0);
            EXPECT_EQ(run.figures.final_S, integrate_run_figures(inputs).final_S);

            std::vector<CompartmentValues> rows(steps + 1);
            for (int r = 0; r < steps; ++r)
                rows[r] = records->results[r];
            rows[steps] = {run.figures.final_S, run.figures.final_E, run.figures.final_I,
                           run.figures.final_R};
            const CapacityFigures from_rows = capacity_figures_of_rows(rows, 0.5, setting);
            EXPECT_EQ(from_rows.steps_over, over);
            EXPECT_EQ(from_rows.person_days_over, got.person_days_over);
        }
    }
}

// On a care series, the figures are those of the care layer's own table of
// the run, and the run's own figures are untouched.
TEST(Capacity, CareSeriesFiguresAgreeWithTheCareTable) {
    for (InterventionMode mode : {MODE_NO_INTERVENTION, MODE_INTERMITTENT}) {
        ScenarioInputs inputs;
        inputs.mode = mode;
        inputs.care.hospital_fraction = 0.05;
        inputs.care.icu_stay = 7.5;
        const CareRun care = integrate_care(inputs);
        for (CapacitySeries series : {CapacitySeries::Hospital, CapacitySeries::IntensiveCare}) {
            const std::vector<double>& values = care.series(care_series_of(series));
            const double peak = *std::max_element(values.begin(), values.end());
            for (double capacity : {0.0, peak / 3.0, peak, 2.0 * peak}) {
                const RunAgainstCapacity run =
                    integrate_against_capacity(inputs, {true, capacity, series});
                const CapacityFigures table = capacity_figures_of_values(values, 0.25, capacity);
                EXPECT_EQ(run.capacity.peak, peak);
                EXPECT_EQ(run.capacity.peak_row, table.peak_row);
                EXPECT_EQ(run.capacity.first_over_row, table.first_over_row);
                EXPECT_EQ(run.capacity.steps_over, table.steps_over);
                EXPECT_EQ(run.capacity.person_days_over, table.person_days_over);
                EXPECT_EQ(run.figures.final_S, integrate_run_figures(inputs).final_S);
                EXPECT_EQ(table.first_over_row < 0, !(peak > capacity));
            }
        }
    }
}

// A run cut short is still running; the default run has ended by day 200.
TEST(Capacity, StillRunningAtTheEnd) {
    ScenarioInputs inputs;
    EXPECT_FALSE(still_running(integrate_run_figures(inputs)));
    inputs.model.n_steps = 300;
    EXPECT_TRUE(still_running(integrate_run_figures(inputs)));
    // A late, strong reduction pushes the peak past T_max.
    inputs.model.n_steps = 800;
    inputs.mode = MODE_ONE_TIME;
    inputs.one_time.Redct1 = 0.81;
    inputs.one_time.t_srt1 = 20.0;
    inputs.one_time.t_stp1 = 80.0;
    EXPECT_TRUE(still_running(integrate_run_figures(inputs)));
}

}  // namespace
}  // namespace morbilex
