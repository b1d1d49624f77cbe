// What one run's rows tell, gathered while the run integrates: the figures of
// a scenario summary that depend on the curves. The scalar path and the lane
// kernel both produce them and must agree bit for bit.
#pragma once

#include <memory>
#include <span>

#include "model/records.h"

namespace morbilex {

// Everything a run reads: the scenario the dialogs fill in and the mode.
struct ScenarioInputs : Scenario {
    InterventionMode mode = MODE_NO_INTERVENTION;
};

// Rows are the trace's rows: row r (0 <= r <= steps) holds the state at the
// start of step r, the last row the state after the last step, where steps is
// max(n_steps, 0). on_flag is the flag chosen for step r (rows 0..steps-1 only).
// Comparisons are strict and never true for NaN, so a NaN row neither becomes
// a peak nor the largest drift. Rows are numbers, not days: day = row * dt.
struct RunFigures {
    double peak_infectious = 0.0;                                       // largest I over all rows
    int peak_infectious_row = 0;                                        // first row holding it
    double peak_exposed = 0.0;                                          // largest E over all rows
    int peak_exposed_row = 0;                                           // first row holding it
    double final_S = 0.0, final_E = 0.0, final_I = 0.0, final_R = 0.0;  // last row
    int steps_reduced = 0;                                              // steps with on_flag != 0
    int switches_on = 0;       // steps whose on_flag is non-zero and differs from
                               // the step before (0 before step 0)
    int first_on_step = -1;    // first step with on_flag != 0; -1 when none
    int longest_on_steps = 0;  // longest run of consecutive steps with on_flag != 0
    // First row with S < 10000.0 / R_0 when R_0 > 1; -1 when none or R_0 <= 1.
    int first_below_threshold_row = -1;
    // Largest |((S + E) + I) + R - ((S0 + E0) + I0) + R0)| over the rows, 0 to start.
    double conservation_drift = 0.0;
    int first_non_finite_row = -1;  // first row with a non-finite S, E, I or R
};

// Integrates the scenario exactly as run_simulation does (the same rate
// constants, schedule and rk4_step), with no trace and no table, and gathers
// its figures. The scenario must pass run_inputs_acceptable.
RunFigures integrate_run_figures(const ScenarioInputs& scenario);

// The figures of a run whose rows a caller's own sink receives (a table, the
// schedule): that sink hands each row on, row() for every step and last_row()
// once, and the figures are those integrate_run_figures gives, bit for bit.
class FigureRows {
public:
    explicit FigureRows(const ScenarioInputs& scenario);
    ~FigureRows();
    FigureRows(const FigureRows&) = delete;
    FigureRows& operator=(const FigureRows&) = delete;

    void row(int step, int on_flag, const double* y);
    void last_row(int step, const double* y);
    // Complete once last_row has been called.
    const RunFigures& figures() const;

private:
    class Sink;
    std::unique_ptr<Sink> sink_;
};

// The figures of many scenarios, figures[k] for scenarios[k]; the sweep's one
// entry into integration (equal sizes required). Scenarios of one mode and
// n_steps are integrated side by side by the widest lane kernel, bit for bit
// as one by one; MORBILEX_SCALAR=1 in the environment takes them one by one.
void integrate_run_figures(std::span<const ScenarioInputs> scenarios,
                           std::span<RunFigures> figures);

}  // namespace morbilex
