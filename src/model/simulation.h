// One simulation run: rate constants, the schedule of the mode, the result
// table and the trace.
#pragma once

#include <cstdio>

#include "model/records.h"
#include "trace/trace_writer.h"

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

// Runs with the trace written to trace_path ("temp.dat" by default).
// When first_non_finite is given it receives the first row with a value that
// is not finite.
int run_simulation(Records& records, InterventionMode mode,
                   const char* trace_path = TRACE_FILE_NAME,
                   NonFiniteRow* first_non_finite = nullptr);

// Runs with the trace written to an open stream; a null stream runs without a
// trace (table only) and still completes.
int run_simulation_to_stream(Records& records, InterventionMode mode, std::FILE* trace,
                             NonFiniteRow* first_non_finite = nullptr);

// sigma, gamma and beta0 of the parameters, in the run's order of operations.
void derive_rate_constants(const ModelParameters& model, RateConstants& rates);

// The schedule of one step: the beta in force and on_flag, from the time and
// the state at the start of the step and the on_flag of the step before.
void choose_beta(const OneTimePlan& one_time, const IntermittentPlan& intermittent,
                 InterventionMode mode, double t, const double y[], RateConstants& rates,
                 int& on_flag);

// True when every value the run of this mode reads can be integrated: finite
// parameters, positive periods and step, finite initial values and plan,
// n_steps within MAX_STEPS.
bool run_inputs_acceptable(const Records& records, InterventionMode mode);

}  // namespace morbilex
