#include "model/simulation.h"

#include <cmath>
#include <initializer_list>

namespace morbilex {
namespace {

bool all_finite(std::initializer_list<double> values) {
    for (double value : values) {
        if (!std::isfinite(value)) return false;
    }
    return true;
}

// The one-time schedule: the first window in force wins.
void choose_one_time_beta(const OneTimePlan& p, double t, RateConstants& rates, int& on_flag) {
    const double windows[3][3] = {{p.Redct1, p.t_srt1, p.t_stp1},
                                  {p.Redct2, p.t_srt2, p.t_stp2},
                                  {p.Redct3, p.t_srt3, p.t_stp3}};
    for (int k = 0; k < 3; ++k) {
        if (windows[k][1] <= t && t < windows[k][2]) {
            rates.beta = (1.0 - windows[k][0]) * rates.beta0;
            on_flag = k + 1;
            return;
        }
    }
    rates.beta = rates.beta0;
    on_flag = 0;
}

// The intermittent schedule: a switch with hysteresis on the infectious count.
void choose_intermittent_beta(const IntermittentPlan& p, double infectious, RateConstants& rates,
                              int& on_flag) {
    if (on_flag == 0 && infectious >= p.On_threshold) {
        on_flag = 9;
    } else if (on_flag == 9 && !(infectious > p.Off_threshold)) {
        on_flag = 0;
    }
    rates.beta = on_flag == 9 ? (1.0 - p.Reduction) * rates.beta0 : rates.beta0;
}

}  // namespace

void derive_rate_constants(const ModelParameters& m, RateConstants& rates) {
    rates.sigma = 1.0 / m.latent_period;
    rates.gamma = 1.0 / m.infectious_period;
    rates.beta0 = (m.R_0 * rates.gamma) * 0.0001;
}

void choose_beta(const OneTimePlan& one_time, const IntermittentPlan& intermittent,
                 InterventionMode mode, double t, const double y[], RateConstants& rates,
                 int& on_flag) {
    if (mode == MODE_ONE_TIME) {
        choose_one_time_beta(one_time, t, rates, on_flag);
    } else if (mode == MODE_INTERMITTENT) {
        choose_intermittent_beta(intermittent, y[2], rates, on_flag);
    } else {
        rates.beta = rates.beta0;
    }
}

double beta_for_flag(const OneTimePlan& one_time, const IntermittentPlan& intermittent,
                     double beta0, int on_flag) {
    switch (on_flag) {
        case 1:
            return (1.0 - one_time.Redct1) * beta0;
        case 2:
            return (1.0 - one_time.Redct2) * beta0;
        case 3:
            return (1.0 - one_time.Redct3) * beta0;
        case 9:
            return (1.0 - intermittent.Reduction) * beta0;
        default:
            return beta0;
    }
}

bool run_inputs_acceptable(const Records& records, InterventionMode mode) {
    ++run_work_counts.input_checks;
    const ModelParameters& m = records.model;
    if (!all_finite({m.R_0, m.latent_period, m.infectious_period, m.dt, m.init_S, m.init_E,
                     m.init_I, m.init_R})) {
        return false;
    }
    if (!(m.latent_period > 0.0 && m.infectious_period > 0.0 && m.dt > 0.0)) return false;
    if (m.n_steps > MAX_STEPS) return false;
    if (mode == MODE_ONE_TIME) {
        const OneTimePlan& p = records.one_time;
        return all_finite({p.Redct1, p.t_srt1, p.t_stp1, p.Redct2, p.t_srt2, p.t_stp2, p.Redct3,
                           p.t_srt3, p.t_stp3});
    }
    if (mode == MODE_INTERMITTENT) {
        const IntermittentPlan& p = records.intermittent;
        return all_finite({p.Reduction, p.On_threshold, p.Off_threshold});
    }
    return true;
}

}  // namespace morbilex
