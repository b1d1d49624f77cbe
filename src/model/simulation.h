// The parts of a run: its inputs' check, the rate constants, the schedule of
// the mode, and what a run reports. The loop itself is model/run_loop.h; the
// run with its trace file is trace/traced_run.h.
#pragma once

#include <cmath>

#include "model/records.h"

namespace morbilex {

enum RunResult : int {
    RUN_COMPLETED = 0,
    RUN_TRACE_NOT_WRITTEN = 1,  // the table holds the full run, the trace does not
    RUN_REFUSED = 2,            // a value the run cannot integrate; nothing was touched
    RUN_NOT_FINITE = 3,         // the run and its trace are complete, but from a row on
                                // some value is infinite or not a number
};

// The first row of a run with a value that is not finite (step -1: none).
struct NonFiniteRow {
    int step = -1;
    double day = 0.0;
};

// Notes the row when one of its four values is not finite.
inline void note_non_finite(int step, double t, const double y[COMPARTMENT_COUNT],
                            NonFiniteRow& row) {
    if (std::isfinite(y[0]) && std::isfinite(y[1]) && std::isfinite(y[2]) && std::isfinite(y[3])) {
        return;
    }
    row.step = step;
    row.day = t;
}

// sigma, gamma and beta0 of the parameters, in the run's order of operations.
void derive_rate_constants(const ModelParameters& model, RateConstants& rates);

// The schedule of one step: the beta in force and on_flag, from the time and
// the state at the start of the step and the on_flag of the step before.
void choose_beta(const OneTimePlan& one_time, const IntermittentPlan& intermittent,
                 InterventionMode mode, double t, const double y[], RateConstants& rates,
                 int& on_flag);

// The beta in force for a step whose schedule chose on_flag: what
// choose_beta set it to, computed the same way.
double beta_for_flag(const OneTimePlan& one_time, const IntermittentPlan& intermittent,
                     double beta0, int on_flag);

// True when every value the run of this mode reads can be integrated: finite
// parameters, positive periods and step, finite initial values and plan,
// n_steps within MAX_STEPS.
bool run_inputs_acceptable(const Records& records, InterventionMode mode);

// What this thread has done towards runs: the runs the loop integrated and
// the inputs checked by run_inputs_acceptable. Tests hold a committed run to
// one pass and one check with it.
struct RunWorkCounts {
    long runs = 0;
    long input_checks = 0;
};
inline thread_local RunWorkCounts run_work_counts;

}  // namespace morbilex
