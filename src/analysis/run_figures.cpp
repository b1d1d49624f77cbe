#include "analysis/run_figures.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "analysis/lane_kernel.h"
#include "model/seir.h"
#include "model/simulation.h"

namespace morbilex {
namespace {

// The running figures of one run, fed row by row and step by step.
class FigureGatherer {
public:
    FigureGatherer(const ScenarioInputs& scenario, const double y0[COMPARTMENT_COUNT])
        : threshold_(scenario.model.R_0 > 1.0 ? POPULATION_BASE / scenario.model.R_0 : 0.0),
          use_threshold_(scenario.model.R_0 > 1.0),
          initial_sum_(((y0[0] + y0[1]) + y0[2]) + y0[3]) {
        figures_.peak_infectious = y0[2];
        figures_.peak_exposed = y0[1];
    }

    void row(int r, const double y[COMPARTMENT_COUNT]) {
        if (y[2] > figures_.peak_infectious) {
            figures_.peak_infectious = y[2];
            figures_.peak_infectious_row = r;
        }
        if (y[1] > figures_.peak_exposed) {
            figures_.peak_exposed = y[1];
            figures_.peak_exposed_row = r;
        }
        if (use_threshold_ && figures_.first_below_threshold_row < 0 && y[0] < threshold_) {
            figures_.first_below_threshold_row = r;
        }
        const double drift = std::fabs((((y[0] + y[1]) + y[2]) + y[3]) - initial_sum_);
        if (drift > figures_.conservation_drift) figures_.conservation_drift = drift;
        if (figures_.first_non_finite_row < 0 && !(std::isfinite(y[0]) && std::isfinite(y[1]) &&
                                                   std::isfinite(y[2]) && std::isfinite(y[3]))) {
            figures_.first_non_finite_row = r;
        }
    }

    void step(int s, int on_flag) {
        if (on_flag != 0) {
            ++figures_.steps_reduced;
            if (on_flag != previous_flag_) ++figures_.switches_on;
            if (figures_.first_on_step < 0) figures_.first_on_step = s;
            ++current_on_;
            if (current_on_ > figures_.longest_on_steps) figures_.longest_on_steps = current_on_;
        } else {
            current_on_ = 0;
        }
        previous_flag_ = on_flag;
    }

    RunFigures finish(const double y[COMPARTMENT_COUNT]) {
        figures_.final_S = y[0];
        figures_.final_E = y[1];
        figures_.final_I = y[2];
        figures_.final_R = y[3];
        return figures_;
    }

private:
    RunFigures figures_;
    double threshold_;
    bool use_threshold_;
    double initial_sum_;
    int previous_flag_ = 0;
    int current_on_ = 0;
};

}  // namespace

RunFigures integrate_run_figures(const ScenarioInputs& scenario) {
    const ModelParameters& m = scenario.model;
    RateConstants rates;
    derive_rate_constants(m, rates);
    double t = 0.0;
    double y[COMPARTMENT_COUNT] = {m.init_S, m.init_E, m.init_I, m.init_R};
    FigureGatherer gatherer(scenario, y);
    int on_flag = 0;
    int step = 0;
    for (; step < m.n_steps; ++step) {
        choose_beta(scenario.one_time, scenario.intermittent, scenario.mode, t, y, rates, on_flag);
        gatherer.row(step, y);
        gatherer.step(step, on_flag);
        rk4_step(t, y, m.dt, COMPARTMENT_COUNT, seir_rates, rates);
    }
    gatherer.row(step, y);
    return gatherer.finish(y);
}

void integrate_run_figures(std::span<const ScenarioInputs> scenarios,
                           std::span<RunFigures> figures) {
    if (scenarios.size() != figures.size()) {
        throw std::invalid_argument("integrate_run_figures: one figure record per scenario");
    }
    // MORBILEX_SCALAR=1 takes the single run's path, to compare and to debug.
    const char* scalar = std::getenv("MORBILEX_SCALAR");
    if (scalar != nullptr && std::strcmp(scalar, "1") == 0) {
        for (std::size_t k = 0; k < scenarios.size(); ++k)
            figures[k] = integrate_run_figures(scenarios[k]);
        return;
    }
    integrate_in_lanes(widest_lane_kernel(), scenarios, figures);
}

}  // namespace morbilex
