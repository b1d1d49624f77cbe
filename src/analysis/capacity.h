// A run against what can be cared for at once: a capacity (persons per
// 10,000) on a chosen series, and what the series did above it. The same
// figures for the explorer, morbilex-batch and the plan search.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "analysis/care_layer.h"
#include "analysis/run_figures.h"
#include "analysis/run_summary.h"

namespace morbilex {

// The series held against the capacity, and their names, are the records'
// (model/records.h): a series of the care layer takes its value per row from
// that layer's state, integrated alongside the run.

// The series' value in a row of S, E, I and R (the compartment series only).
double capacity_series_value(CapacitySeries series, const double y[COMPARTMENT_COUNT]);
// True for a series of the care layer, and which one it is.
bool capacity_on_care(CapacitySeries series);
CareSeries care_series_of(CapacitySeries series);

// What the series did against the capacity. Rows are the trace's: row r at
// day r * dt, rows 0..steps. The peak looks at every row; a row above the
// capacity (strictly) stands for its step of dt, so days and person-days over
// count rows 0..steps-1 (the last row has no step after it).
struct CapacityFigures {
    double capacity = 0.0;
    double peak = 0.0;            // largest value of the series over all rows
    int peak_row = 0;             // first row holding it
    double peak_percent = 0.0;    // peak / capacity * 100 (infinite for capacity 0)
    int first_over_row = -1;      // first row above the capacity; -1: none
    int steps_over = 0;           // rows 0..steps-1 above the capacity
    double person_days_over = 0;  // sum over those rows of (value - capacity) * dt
};

// Fed row by row: add(r, value) for r = 0..steps in order, last_row marking
// the row after the last step.
class CapacityGatherer {
public:
    CapacityGatherer(double capacity, double dt);
    void add(int row, double value, bool last_row);
    const CapacityFigures& figures() const { return figures_; }

private:
    CapacityFigures figures_;
    double dt_;
};

// The capacity figures of a run fed row by row as a run loop's sink is fed:
// row() for every step, last_row() once. A care series is integrated here
// with the run's own steps.
class CapacityTracker {
public:
    CapacityTracker(const ScenarioInputs& scenario, const CapacitySetting& setting);
    void row(int step, int on_flag, const double* y);
    void last_row(int step, const double* y);
    const CapacityFigures& figures() const { return gatherer_.figures(); }

private:
    double value(const double* y) const;
    CapacitySeries series_;
    CapacityGatherer gatherer_;
    std::optional<CareStepper> care_;
};

// The run's figures and its capacity figures, from one integration (the
// scenario must pass run_inputs_acceptable).
struct RunAgainstCapacity {
    RunFigures figures;
    CapacityFigures capacity;
};
RunAgainstCapacity integrate_against_capacity(const ScenarioInputs& scenario,
                                              const CapacitySetting& setting);

// The figures of a whole table of rows 0..steps (a run's result table with its
// last row added by the caller).
CapacityFigures capacity_figures_of_rows(std::span<const CompartmentValues> rows, double dt,
                                         const CapacitySetting& setting);
// The figures of one series' values, rows 0..steps (a care run's series).
CapacityFigures capacity_figures_of_values(std::span<const double> values, double dt,
                                           double capacity);

// True when the epidemic is still running in a run's last row: E + I above 1
// person per 10,000.
inline constexpr double STILL_RUNNING_PERSONS = 1.0;
bool still_running(const RunFigures& figures);

// The columns a summary gains when a capacity is set, after its own.
inline constexpr SummaryColumn CAPACITY_COLUMNS[] = {
    {"capacity", ValueKind::Persons},
    {"capacity_series", ValueKind::Text},
    {"capacity_peak", ValueKind::Persons},
    {"capacity_peak_percent", ValueKind::Parameter},
    {"first_day_over_capacity", ValueKind::Days},
    {"days_over_capacity", ValueKind::Days},
    {"person_days_over_capacity", ValueKind::Persons},
    {"still_running", ValueKind::Count},
};
inline constexpr int CAPACITY_COLUMN_COUNT = static_cast<int>(std::size(CAPACITY_COLUMNS));
using CapacityRow = std::array<SummaryValue, CAPACITY_COLUMN_COUNT>;

void summarise_capacity(const CapacitySetting& setting, const CapacityFigures& capacity,
                        const RunFigures& figures, double dt, CapacityRow& row);

// The capacity columns appended to a CSV header, a CSV row (each after a
// comma), JSON pairs (each after a comma) and the readable block.
void append_capacity_csv_header(std::string& out);
void append_capacity_csv(std::string& out, const CapacityRow& row);
void append_capacity_json(std::string& out, const CapacityRow& row);
void append_capacity_readable(std::string& out, const CapacityRow& row);

}  // namespace morbilex
