// Many scenarios integrated side by side: a batch holds up to LANE_LIMIT
// scenarios of one mode and one number of steps as a structure of arrays
// (lane l of every array is one scenario), and a kernel integrates them all
// in one pass, gathering each lane's figures on the way. Every lane computes
// exactly what the single run computes for its scenario, bit for bit.
#pragma once

#include <span>

#include "analysis/run_figures.h"

namespace morbilex {

inline constexpr int LANE_LIMIT = 32;

struct alignas(64) LaneValues {
    double lane[LANE_LIMIT];
};

// What the kernel reads, derived from each scenario as the single run derives it.
struct LaneBatch {
    InterventionMode mode = MODE_NO_INTERVENTION;  // 1 and 2 have schedules; others none
    int steps = 0;                                 // max(n_steps, 0)
    LaneValues time_factor[4];  // the step's coefficients times dt (SeirStepFactors)
    LaneValues weight_factor[4];
    LaneValues stage_factor[3];
    LaneValues beta0, gamma, sigma;
    // Mode 1: (1 - Redct_k) * beta0 and window k's start and stop; mode 2:
    // (1 - Reduction) * beta0 in reduced_beta[0] and the two thresholds.
    LaneValues reduced_beta[3], window_start[3], window_stop[3];
    LaneValues on_threshold, off_threshold;
    LaneValues initial[4];       // S, E, I, R of row 0
    LaneValues below_threshold;  // 10000 / R_0, or -infinity when R_0 <= 1
};

// A lane's figures, every count and row held as a double.
struct LaneFigures {
    LaneValues peak_infectious, peak_infectious_row, peak_exposed, peak_exposed_row;
    LaneValues final_state[4];
    LaneValues steps_reduced, switches_on, first_on_step, longest_on_steps;
    LaneValues first_below_threshold_row, conservation_drift;
    LaneValues finite_rows;  // rows before the first non-finite one
};

// The lanes at the start of a step: time, state, and the flag and beta the
// schedule chose for the step (for the last row, those of the last step).
struct LaneStepState {
    LaneValues t, y[4], on_flag, beta;
};

// Sees every step of a batch; for tests and debugging.
struct LaneObserver {
    void (*observe)(void* context, int step, const LaneStepState& state);
    void* context;
};

using LaneIntegrator = void (*)(const LaneBatch& batch, LaneFigures& figures,
                                const LaneObserver* observer);

struct LaneKernel {
    const char* name;
    int lanes;
    LaneIntegrator integrate;
};

// The kernels this machine can run, narrowest first: scalar lanes always,
// then the vector units the processor has.
std::span<const LaneKernel> lane_kernels();
const LaneKernel& widest_lane_kernel();

// Writes the scenario into lane `lane` of the batch. The batch's mode and
// steps must be the scenario's.
void set_lane(LaneBatch& batch, int lane, const ScenarioInputs& scenario);
RunFigures lane_run_figures(const LaneFigures& figures, int lane, int steps);

// figures[k] of scenarios[k] for any mix of scenarios: those of one mode and
// steps are gathered into batches of the kernel's width, a partial batch
// padded with copies of its first scenario.
void integrate_in_lanes(const LaneKernel& kernel, std::span<const ScenarioInputs> scenarios,
                        std::span<RunFigures> figures);

// The batch's mode and steps: scenarios that share them can share a batch.
InterventionMode lane_mode(const ScenarioInputs& scenario);
int lane_steps(const ScenarioInputs& scenario);

}  // namespace morbilex
