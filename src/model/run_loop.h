// The one run loop: the schedule, the RK4 step and the rows, handed to a sink.
#pragma once

#include "model/records.h"
#include "model/seir.h"
#include "model/simulation.h"

namespace morbilex {

// A sink receives the run's rows; row r holds the state at the start of step
// r, and the last row (step n_steps, or 0 when n_steps <= 0) the state after
// the last step. It provides:
//   double* slot(int step)   where the loop keeps the row of this step; it
//                            must stay valid until row() of the step returns
//   void row(int step, double t, int on_flag, const double* y)
//                            the row of a step, once the step is taken
//   void last_row(int step, double t, int on_flag, const double* y)
// The step is taken before the sink sees its row: the sink's work then runs
// while the step's long chain of dependent arithmetic is still under way.
// The sink is a template argument so that its calls are inlined into the loop.
template <typename Sink>
void integrate_run(const ModelParameters& m, const OneTimePlan& one_time,
                   const IntermittentPlan& intermittent, InterventionMode mode,
                   RateConstants& rates, Sink& sink) {
    ++run_work_counts.runs;
    derive_rate_constants(m, rates);
    double t = 0.0;
    double y[COMPARTMENT_COUNT] = {m.init_S, m.init_E, m.init_I, m.init_R};
    int on_flag = 0;
    int step = 0;
    for (; step < m.n_steps; ++step) {
        choose_beta(one_time, intermittent, mode, t, y, rates, on_flag);
        const double row_t = t;
        double* const row = sink.slot(step);
        for (int k = 0; k < COMPARTMENT_COUNT; ++k)
            row[k] = y[k];
        rk4_step(t, y, m.dt, COMPARTMENT_COUNT, seir_rates, rates);
        sink.row(step, row_t, on_flag, row);
    }
    sink.last_row(step, t, on_flag, y);
}

// A sink of a room above the one that runs the loop, behind a virtual
// interface: the run's own sink keeps the rows, the observer is told of the
// run and then sees each row after that sink.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // A run of the records' inputs in mode starts; they passed
    // run_inputs_acceptable.
    virtual void run_started(const Records& records, InterventionMode mode) = 0;
    virtual void row(int step, double t, int on_flag, const double* y) = 0;
    virtual void last_row(int step, double t, int on_flag, const double* y) = 0;
};

// The sink of a run into the result table: every row but the last (there is
// no row for it), and the first row that is not finite.
class ResultTableSink {
public:
    explicit ResultTableSink(ResultTable& table) : rows_(table.rows()) {}

    double* slot(int step) { return rows_[step].data(); }
    void row(int step, double t, int /*on_flag*/, const double* y) { note(step, t, y); }
    void last_row(int step, double t, int /*on_flag*/, const double* y) {
        if (step == 0) {  // no step taken: the table still shows the start
            for (int k = 0; k < COMPARTMENT_COUNT; ++k)
                rows_[0][k] = y[k];
        }
        note(step, t, y);
    }
    const NonFiniteRow& first_non_finite() const { return non_finite_; }

private:
    void note(int step, double t, const double* y) {
        if (non_finite_.step < 0) note_non_finite(step, t, y, non_finite_);
    }

    CompartmentValues* rows_;
    NonFiniteRow non_finite_;
};

}  // namespace morbilex
