// The lane kernel, written once over a type Real of lanes: double for scalar
// lanes, or a vector of doubles. Each instruction set's file includes this and
// instantiates it. Everything here has internal linkage and uses no inline
// function of another header beyond compiler builtins, so the linker can
// never hand code built for one instruction set to another's callers.
//
// The schedules are branch-free: each lane's choice is a select, and the
// comparisons are the single run's, so a lane switches exactly when its run
// would. Counts and rows are doubles, which are exact far beyond MAX_STEPS.
#pragma once

#include <cmath>
#include <cstring>

#include "analysis/lane_kernel.h"
#include "model/seir_step.h"

namespace morbilex {
namespace {

inline double magnitude(double x) {
    return std::fabs(x);
}

#if defined(__GNUC__)
// |x| of vector lanes: the sign bit cleared, as fabs does.
template <typename Real>
MORBILEX_STEP_INLINE Real magnitude(Real x) {
    using Bits = decltype(x < x);
    const Bits all_but_sign = Bits{} + 0x7FFFFFFFFFFFFFFFLL;
    return (Real)((Bits)x & all_but_sign);
}
#endif

template <typename Real>
MORBILEX_STEP_INLINE Real load(const LaneValues& values, int offset) {
    Real lanes;
    std::memcpy(&lanes, values.lane + offset, sizeof lanes);
    return lanes;
}

template <typename Real>
MORBILEX_STEP_INLINE void store(LaneValues& values, int offset, Real lanes) {
    std::memcpy(values.lane + offset, &lanes, sizeof lanes);
}

// One vector's worth of lanes: what stays fixed through the run.
template <typename Real>
struct GroupConstants {
    SeirStepFactors<Real> factors;
    Real beta0, gamma, sigma;
    Real reduced_beta[3], window_start[3], window_stop[3];
    Real on_threshold, off_threshold;
    Real below_threshold, initial_sum;
};

// One vector's worth of lanes: the run's state and its figures so far.
template <typename Real>
struct GroupState {
    Real t, y[4], on_flag;
    Real peak_infectious, peak_infectious_row, peak_exposed, peak_exposed_row;
    Real steps_reduced, switches_on, first_on_step, longest_on_steps, current_on_steps;
    Real first_below_threshold_row, conservation_drift, finite_rows;
};

template <typename Real>
void start_group(const LaneBatch& batch, int offset, GroupConstants<Real>& c, GroupState<Real>& g) {
    for (int s = 0; s < 4; ++s) {
        c.factors.time[s] = load<Real>(batch.time_factor[s], offset);
        c.factors.weight[s] = load<Real>(batch.weight_factor[s], offset);
        if (s < 3) c.factors.stage[s] = load<Real>(batch.stage_factor[s], offset);
    }
    c.beta0 = load<Real>(batch.beta0, offset);
    c.gamma = load<Real>(batch.gamma, offset);
    c.sigma = load<Real>(batch.sigma, offset);
    for (int k = 0; k < 3; ++k) {
        c.reduced_beta[k] = load<Real>(batch.reduced_beta[k], offset);
        c.window_start[k] = load<Real>(batch.window_start[k], offset);
        c.window_stop[k] = load<Real>(batch.window_stop[k], offset);
    }
    c.on_threshold = load<Real>(batch.on_threshold, offset);
    c.off_threshold = load<Real>(batch.off_threshold, offset);
    c.below_threshold = load<Real>(batch.below_threshold, offset);
    for (int j = 0; j < 4; ++j)
        g.y[j] = load<Real>(batch.initial[j], offset);
    c.initial_sum = ((g.y[0] + g.y[1]) + g.y[2]) + g.y[3];

    const Real zero{};
    g.t = zero;
    g.on_flag = zero;
    g.peak_infectious = g.y[2];
    g.peak_exposed = g.y[1];
    g.peak_infectious_row = g.peak_exposed_row = zero;
    g.steps_reduced = g.switches_on = g.longest_on_steps = g.current_on_steps = zero;
    g.first_on_step = g.first_below_threshold_row = zero + INFINITY;
    g.conservation_drift = g.finite_rows = zero;
}

// The schedule of one step: sets the lanes' on_flag and returns their beta.
template <int Mode, typename Real>
MORBILEX_STEP_INLINE Real choose_lane_beta(GroupState<Real>& g, const GroupConstants<Real>& c) {
    const Real zero{};
    if constexpr (Mode == MODE_ONE_TIME) {
        // The last window first, so that the first window in force wins.
        Real beta = c.beta0;
        Real flag = zero;
        for (int k = 2; k >= 0; --k) {
            const auto in_force = (c.window_start[k] <= g.t) & (g.t < c.window_stop[k]);
            beta = in_force ? c.reduced_beta[k] : beta;
            flag = in_force ? zero + (k + 1.0) : flag;
        }
        g.on_flag = flag;
        return beta;
    } else if constexpr (Mode == MODE_INTERMITTENT) {
        // On at I >= On_threshold; off again at I <= Off_threshold (not above).
        const Real I = g.y[2];
        const auto on = (g.on_flag != zero) ? (I > c.off_threshold) : (I >= c.on_threshold);
        g.on_flag = on ? zero + 9.0 : zero;
        return on ? c.reduced_beta[0] : c.beta0;
    } else {
        return c.beta0;
    }
}

// First rows are held as infinity until found: the smaller of the row so far
// and this row where the condition holds (row + 0) or not (row + infinity).
template <typename Real, typename Mask>
MORBILEX_STEP_INLINE Real earlier(Real first, Real row, Mask holds) {
    const Real zero{};
    const Real candidate = row + (holds ? zero : zero + INFINITY);
    return candidate < first ? candidate : first;
}

template <typename Real>
MORBILEX_STEP_INLINE Real found_or_none(Real first) {
    const Real zero{};
    return first < zero + INFINITY ? first : zero - 1.0;
}

// The figures of one row (the state at the start of a step, or the last row).
// Counting the rows before the first non-finite one costs a tenth of a step,
// so it is done only when a run has to be taken again for it.
template <bool CountFinite, typename Real>
MORBILEX_STEP_INLINE void gather_row(GroupState<Real>& g, const GroupConstants<Real>& c, Real row) {
    const Real zero{};
    const Real one = zero + 1.0;
    const Real S = g.y[0], E = g.y[1], I = g.y[2], R = g.y[3];
    const auto higher_infectious = I > g.peak_infectious;
    g.peak_infectious = higher_infectious ? I : g.peak_infectious;
    g.peak_infectious_row = higher_infectious ? row : g.peak_infectious_row;
    const auto higher_exposed = E > g.peak_exposed;
    g.peak_exposed = higher_exposed ? E : g.peak_exposed;
    g.peak_exposed_row = higher_exposed ? row : g.peak_exposed_row;
    g.first_below_threshold_row = earlier(g.first_below_threshold_row, row, S < c.below_threshold);
    const Real drift = magnitude((((S + E) + I) + R) - c.initial_sum);
    g.conservation_drift = drift > g.conservation_drift ? drift : g.conservation_drift;
    if constexpr (CountFinite) {
        const Real finite = ((S - S) + (E - E)) + ((I - I) + (R - R));
        g.finite_rows = g.finite_rows + (finite == zero ? one : zero);
    }
}

// The figures of the on_flag chosen for a step.
template <typename Real>
MORBILEX_STEP_INLINE void gather_step(GroupState<Real>& g, Real step, Real previous_flag) {
    const Real zero{};
    const Real one = zero + 1.0;
    const auto on = g.on_flag != zero;
    g.steps_reduced = g.steps_reduced + (on ? one : zero);
    g.switches_on = g.switches_on + ((on & (g.on_flag != previous_flag)) ? one : zero);
    g.first_on_step = earlier(g.first_on_step, step, on);
    g.current_on_steps = on ? g.current_on_steps + one : zero;
    g.longest_on_steps =
        g.current_on_steps > g.longest_on_steps ? g.current_on_steps : g.longest_on_steps;
}

template <typename Real>
void show_state(LaneStepState& seen, int offset, const GroupState<Real>& g) {
    store(seen.t, offset, g.t);
    for (int j = 0; j < 4; ++j)
        store(seen.y[j], offset, g.y[j]);
    store(seen.on_flag, offset, g.on_flag);
}

// What a kernel is instantiated for: the mode, whether it counts finite rows,
// and whether an observer sees the steps. Only the one-time schedule and an
// observer read the time, so the others do not keep it.
template <int Mode, bool CountFinite, bool Observed>
struct KernelForm {
    static constexpr int MODE = Mode;
    static constexpr bool COUNT_FINITE = CountFinite;
    static constexpr bool OBSERVED = Observed;
    static constexpr bool KEEPS_TIME = Observed || Mode == MODE_ONE_TIME;
};

template <typename Form, typename Real>
MORBILEX_STEP_INLINE void advance_group(GroupState<Real>& g, const GroupConstants<Real>& c,
                                        Real step, LaneStepState& seen, int offset) {
    const Real previous_flag = g.on_flag;
    const Real beta = choose_lane_beta<Form::MODE>(g, c);
    if constexpr (Form::OBSERVED) {
        show_state(seen, offset, g);
        store(seen.beta, offset, beta);
    }
    gather_row<Form::COUNT_FINITE>(g, c, step);
    if constexpr (Form::MODE == MODE_ONE_TIME || Form::MODE == MODE_INTERMITTENT) {
        gather_step(g, step, previous_flag);
    }
    Real unused_time{};
    Real& t = Form::KEEPS_TIME ? g.t : unused_time;
    seir_straight_step<StepForm::FOR_LANES>(t, g.y, beta, c.gamma, c.sigma, c.factors);
}

template <typename Real>
void finish_group(const GroupState<Real>& g, int offset, LaneFigures& f) {
    store(f.peak_infectious, offset, g.peak_infectious);
    store(f.peak_infectious_row, offset, g.peak_infectious_row);
    store(f.peak_exposed, offset, g.peak_exposed);
    store(f.peak_exposed_row, offset, g.peak_exposed_row);
    for (int j = 0; j < 4; ++j)
        store(f.final_state[j], offset, g.y[j]);
    store(f.steps_reduced, offset, g.steps_reduced);
    store(f.switches_on, offset, g.switches_on);
    store(f.first_on_step, offset, found_or_none(g.first_on_step));
    store(f.longest_on_steps, offset, g.longest_on_steps);
    store(f.first_below_threshold_row, offset, found_or_none(g.first_below_threshold_row));
    store(f.conservation_drift, offset, g.conservation_drift);
    store(f.finite_rows, offset, g.finite_rows);
}

// Groups vectors of lanes side by side: their steps are independent, so the
// processor overlaps them.
template <typename Real, int Groups, typename Form>
void integrate_form(const LaneBatch& batch, LaneFigures& figures, const LaneObserver* observer) {
    constexpr int WIDTH = static_cast<int>(sizeof(Real) / sizeof(double));
    static_assert(WIDTH * Groups <= LANE_LIMIT);
    GroupConstants<Real> constants[Groups];
    GroupState<Real> states[Groups];
    for (int g = 0; g < Groups; ++g)
        start_group(batch, g * WIDTH, constants[g], states[g]);
    LaneStepState seen;
    if constexpr (Form::OBSERVED) seen.beta = batch.beta0;

    const Real one = Real{} + 1.0;
    Real row{};
    for (int step = 0; step < batch.steps; ++step) {
        for (int g = 0; g < Groups; ++g)
            advance_group<Form>(states[g], constants[g], row, seen, g * WIDTH);
        if constexpr (Form::OBSERVED) observer->observe(observer->context, step, seen);
        row = row + one;
    }
    for (int g = 0; g < Groups; ++g) {
        gather_row<Form::COUNT_FINITE>(states[g], constants[g], row);
        if constexpr (!Form::COUNT_FINITE) states[g].finite_rows = row + 1.0;
        if constexpr (Form::OBSERVED) show_state(seen, g * WIDTH, states[g]);
        finish_group(states[g], g * WIDTH, figures);
    }
    if constexpr (Form::OBSERVED) observer->observe(observer->context, batch.steps, seen);
}

template <typename Real, int Groups, bool CountFinite, bool Observed>
void integrate_mode(const LaneBatch& batch, LaneFigures& figures, const LaneObserver* observer) {
    if (batch.mode == MODE_ONE_TIME) {
        using Form = KernelForm<MODE_ONE_TIME, CountFinite, Observed>;
        integrate_form<Real, Groups, Form>(batch, figures, observer);
    } else if (batch.mode == MODE_INTERMITTENT) {
        using Form = KernelForm<MODE_INTERMITTENT, CountFinite, Observed>;
        integrate_form<Real, Groups, Form>(batch, figures, observer);
    } else {
        using Form = KernelForm<MODE_NO_INTERVENTION, CountFinite, Observed>;
        integrate_form<Real, Groups, Form>(batch, figures, observer);
    }
}

// An infinite or NaN value stays so at every later step: a sum or product
// with it is never finite again. So a run whose last row is finite had no
// non-finite row at all, and only a batch with an overflowed lane is taken
// again, counting its finite rows (x - x is 0 for finite x, NaN otherwise).
template <typename Real, int Groups>
void integrate_lanes(const LaneBatch& batch, LaneFigures& figures, const LaneObserver* observer) {
    if (observer != nullptr) {
        integrate_mode<Real, Groups, false, true>(batch, figures, observer);
    } else {
        integrate_mode<Real, Groups, false, false>(batch, figures, nullptr);
    }
    constexpr int LANES = Groups * static_cast<int>(sizeof(Real) / sizeof(double));
    for (int lane = 0; lane < LANES; ++lane) {
        double finite = 0.0;
        for (const LaneValues& value : figures.final_state)
            finite += value.lane[lane] - value.lane[lane];
        if (!(finite == 0.0)) {
            integrate_mode<Real, Groups, true, false>(batch, figures, nullptr);
            return;
        }
    }
}

}  // namespace
}  // namespace morbilex
