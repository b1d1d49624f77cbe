// Fitting fields of a scenario to observed counts: the model's series at the
// data's days on the lane kernel, the objective, a multi-start search from a
// scrambled low-discrepancy sequence, a Nelder-Mead polish and 95 % intervals
// by profile likelihood. Fixed sequences, fixed order of evaluation and of
// every sum: the same result on every platform, front end and thread count.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/lane_kernel.h"
#include "study/observed_counts.h"

namespace morbilex {

enum class FitObjective { LeastSquares, PoissonDeviance };

// "least-squares" or "poisson"; false for any other name.
bool fit_objective_named(std::string_view name, FitObjective& objective);
const char* fit_objective_name(FitObjective objective);

// What the counts are compared with: a scenario and how it is observed.
struct CountModel {
    ScenarioInputs scenario;
    CountObservation observation;
};

// A field a fit may vary, with the range its search covers.
struct FitField {
    const char* name;
    double low, high;
    InterventionMode only_in_mode;  // MODE_NO_INTERVENTION: any mode
    double (*get)(const CountModel& model);
    void (*set)(CountModel& model, double value);
};

// R_0, the periods, E(0) and I(0), the reporting fraction and the one-time
// windows' fields.
std::span<const FitField> fit_fields();
const FitField* find_fit_field(std::string_view name);

// S(0) from E(0), I(0) and R(0), as the model dialog settles it.
void settle_initial_susceptible(ModelParameters& model);

// Whether the run reaches every day of the counts; the reason when not.
bool counts_within_run(const ScenarioInputs& scenario, const ObservedCounts& counts,
                       std::string& reason);

// The model's expected count at each data day, expected[k * n + i] for
// models[k] and point i of n, integrated by the kernel. The models share
// their mode, step and number of steps, and reach every day of the counts.
void expected_counts(const LaneKernel& kernel, std::span<const CountModel> models,
                     const ObservedCounts& counts, std::vector<double>& expected);

// Least squares: the sum of squared differences. Poisson: the deviance
// 2 sum(y ln(y / mu) - (y - mu)). Infinity when an expected count cannot
// give the observed one.
double fit_objective_value(FitObjective objective, const ObservedCounts& counts,
                           std::span<const double> expected);
double root_mean_square_error(const ObservedCounts& counts, std::span<const double> expected);

struct FittedField {
    std::string name;
    double value = 0.0;
    double low = 0.0, high = 0.0;  // 95 % interval by profile likelihood
};

struct CountFit {
    std::vector<FittedField> fields;
    CountModel model;  // with the fitted values
    double objective = 0.0;
    double rmse = 0.0;
    std::vector<double> expected;  // at the data's days
    // What the fitted run says comes next, in persons of the counted
    // population (all cases, reported or not) and days.
    double peak_infectious = 0.0;
    double peak_day = 0.0;
    double final_size = 0.0;
    long long runs = 0;  // scenarios integrated
};

struct FitRequest {
    std::vector<const FitField*> fields;  // at least one, each once
    FitObjective objective = FitObjective::LeastSquares;
};

// Fits the fields; the others stay as in start. False with a reason when the
// request cannot be fitted (a field of another mode, data past the run).
bool fit_counts(const CountModel& start, const ObservedCounts& counts, const FitRequest& request,
                CountFit& fit, std::string& reason);

}  // namespace morbilex
