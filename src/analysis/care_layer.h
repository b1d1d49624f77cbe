// What the hospitals see of a run: persons in hospital, in intensive care,
// and deaths so far, from the flows of the run. The layer is extra state
// integrated with the run's own Runge-Kutta steps: each step it takes the
// row the run starts the step from and the beta in force, rebuilds the
// step's stages exactly as the run takes them, and advances its own three
// values with them. S, E, I, R, the trace and the run loop are untouched.
//
//   admissions = hospital_fraction * sigma * E      (a share of new cases)
//   dH/dt = admissions - H / hospital_stay
//   dC/dt = icu_fraction * admissions - C / icu_stay
//   dD/dt = fatality_ratio * gamma * I               (a share of those leaving I)
//
// All start at 0 and are persons per 10,000 like the compartments.
#pragma once

#include <array>
#include <iterator>
#include <string>
#include <vector>

#include "analysis/run_figures.h"
#include "analysis/run_summary.h"
#include "model/records.h"

namespace morbilex {

enum class CareSeries { Hospital, IntensiveCare, Deaths };
inline constexpr int CARE_SERIES_COUNT = 3;
inline constexpr CareSeries ALL_CARE_SERIES[CARE_SERIES_COUNT] = {
    CareSeries::Hospital, CareSeries::IntensiveCare, CareSeries::Deaths};
// The series' names as columns of the per-step output, and as the chart labels them.
inline constexpr const char* CARE_SERIES_NAMES[CARE_SERIES_COUNT] = {"hospital", "icu", "deaths"};
inline constexpr const char* CARE_SERIES_LABELS[CARE_SERIES_COUNT] = {
    "In hospital", "In intensive care", "Deaths"};

// The care series of one run, a value per row: row r holds the values at the
// start of step r, the last row those after the last step (the trace's rows).
struct CareRun {
    std::vector<double> day;  // the run's own time of each row
    std::array<std::vector<double>, CARE_SERIES_COUNT> values;

    int rows() const { return static_cast<int>(day.size()); }
    const std::vector<double>& series(CareSeries which) const {
        return values[static_cast<int>(which)];
    }
};

// The layer's three values advanced a step at a time from the rows a run
// starts its steps from, keeping nothing else: what the capacity of a care
// series and the lanes of many runs need.
class CareStepper {
public:
    explicit CareStepper(const Scenario& scenario);
    double value(CareSeries which) const { return care_[static_cast<int>(which)]; }
    // Advances over the step the run starts from y, with the step's schedule
    // flag or with the beta in force (the lane kernel's, the same bits).
    void step(const double* y, int on_flag);
    void step_with_beta(const double* y, double beta);

private:
    OneTimePlan one_time_;
    IntermittentPlan intermittent_;
    CareParameters care_parameters_;
    RateConstants rates_;
    double hospital_leave_ = 0.0;
    double icu_leave_ = 0.0;
    double dt_ = 0.0;
    double care_[CARE_SERIES_COUNT] = {0.0, 0.0, 0.0};
};

// The layer fed by a run's rows (a sink's or an observer's row and last_row).
class CareLayer {
public:
    // For a run of the scenario (its care parameters are used whether or
    // not care.enabled says so; the step's flag tells the beta in force).
    explicit CareLayer(const Scenario& scenario);

    // y is the state the run starts step from, on_flag the step's schedule.
    void row(int step, double t, int on_flag, const double* y);
    void last_row(int step, double t);

    const CareRun& run() const { return run_; }
    CareRun take() { return std::move(run_); }

private:
    CareStepper stepper_;
    CareRun run_;
};

// The care series of the scenario's run: the run integrated once more (the
// same loop, the same steps) with only the layer as its sink. The scenario
// must pass run_inputs_acceptable.
CareRun integrate_care(const ScenarioInputs& scenario);

// What the care series tell: the peaks (first row holding them; strict
// comparisons, so NaN is never a peak) and the deaths of the last row.
struct CareFigures {
    double peak_hospital = 0.0;
    int peak_hospital_row = 0;
    double peak_icu = 0.0;
    int peak_icu_row = 0;
    double deaths = 0.0;
};
CareFigures care_figures(const CareRun& run);

// The summary's columns of the care layer: present only when it is on, after
// every other column.
inline constexpr SummaryColumn CARE_SUMMARY_COLUMNS[] = {
    {"peak_hospital", ValueKind::Persons},
    {"peak_icu", ValueKind::Persons},
    {"deaths", ValueKind::Persons},
};
inline constexpr int CARE_SUMMARY_COLUMN_COUNT = static_cast<int>(std::size(CARE_SUMMARY_COLUMNS));
using CareSummaryRow = std::array<SummaryValue, CARE_SUMMARY_COLUMN_COUNT>;

CareSummaryRow summarise_care(const CareFigures& figures);
// ",peak_hospital,peak_icu,deaths" and the row's cells with their commas, to
// follow the summary's header and row; the JSON pairs with their commas.
std::string care_csv_header();
void append_care_summary_csv(std::string& out, const CareSummaryRow& row);
void append_care_summary_json(std::string& out, const CareSummaryRow& row);
// The lines of the readable block, as readable_summary writes its own.
std::string readable_care_summary(const CareSummaryRow& row);

// The per-step output: "day,hospital,icu,deaths" and a line a row, each
// number its shortest text.
std::string care_rows_csv(const CareRun& run);

}  // namespace morbilex
