#include "model/simulation.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "model/seir.h"
#include "trace/trace_writer.h"

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

namespace {

// The trace file, truncated, or null. A link that points nowhere is left
// alone: writing through it would create a file of the link's naming that
// nobody removes.
std::FILE* open_trace(const char* path) {
    std::error_code ignored;
    if (std::filesystem::is_symlink(path, ignored) && !std::filesystem::exists(path, ignored)) {
        errno = ENOENT;  // what the link names is not there
        return nullptr;
    }
    std::FILE* file = std::fopen(path, "w");
    // The trace writer hands over whole blocks; a stream buffer would only
    // split them into misaligned writes.
    if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

void note_non_finite(int step, double t, const double y[], NonFiniteRow& row) {
    if (all_finite({y[0], y[1], y[2], y[3]})) return;
    row.step = step;
    row.day = t;
}

}  // namespace

bool run_inputs_acceptable(const Records& records, InterventionMode mode) {
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

int run_simulation_to_stream(Records& records, InterventionMode mode, std::FILE* trace,
                             NonFiniteRow* first_non_finite) {
    if (!run_inputs_acceptable(records, mode)) return RUN_REFUSED;
    derive_rate_constants(records.model, records.rates);
    const ModelParameters& m = records.model;
    double t = 0.0;
    double y[COMPARTMENT_COUNT] = {m.init_S, m.init_E, m.init_I, m.init_R};
    for (int k = 0; k < COMPARTMENT_COUNT; ++k)
        records.results[0][k] = y[k];

    TraceWriter writer(trace);
    writer.header(records, mode);
    int on_flag = 0;
    int step = 0;
    NonFiniteRow non_finite;
    for (; step < m.n_steps; ++step) {
        choose_beta(records.one_time, records.intermittent, mode, t, y, records.rates, on_flag);
        const double row_t = t;
        auto& row = records.results[step];
        for (int k = 0; k < COMPARTMENT_COUNT; ++k)
            row[k] = y[k];
        // The step first: the row's text is then composed while the step's
        // long chain of dependent arithmetic is still under way.
        rk4_step(t, y, m.dt, COMPARTMENT_COUNT, seir_rates, records.rates);
        writer.row(step, row_t, on_flag, row.data());
        if (non_finite.step < 0) note_non_finite(step, row_t, row.data(), non_finite);
    }
    writer.row(step, t, on_flag, y);
    if (non_finite.step < 0) note_non_finite(step, t, y, non_finite);
    if (first_non_finite != nullptr) *first_non_finite = non_finite;
    if (!writer.flush()) return RUN_TRACE_NOT_WRITTEN;
    return non_finite.step < 0 ? RUN_COMPLETED : RUN_NOT_FINITE;
}

int run_simulation(Records& records, InterventionMode mode, const char* trace_path,
                   NonFiniteRow* first_non_finite) {
    if (!run_inputs_acceptable(records, mode)) return RUN_REFUSED;
    std::FILE* trace = open_trace(trace_path);
    // Without a trace file the run still fills the whole table, so the chart
    // never mixes this run's first row with an older run's rows.
    const int result = run_simulation_to_stream(records, mode, trace, first_non_finite);
    if (trace == nullptr) return RUN_TRACE_NOT_WRITTEN;
    const bool closed = std::fclose(trace) == 0;
    return closed ? result : RUN_TRACE_NOT_WRITTEN;
}

}  // namespace morbilex
