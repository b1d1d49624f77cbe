#include "analysis/run_figures.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "analysis/lane_kernel.h"
#include "model/run_loop.h"

namespace morbilex {
namespace {

// Rows wait here for the gatherer, a chunk of steps at a time: away from the
// calls of the step the figures stay in registers.
constexpr int CHUNK_STEPS = 64;
struct RowChunk {
    double y[CHUNK_STEPS][COMPARTMENT_COUNT];
    int on_flag[CHUNK_STEPS];
};

// The figures so far, and the run of steps with the reduction in force.
struct Running {
    RunFigures figures;
    int previous_flag = 0;
    int current_on = 0;
};

// The running figures of one run, fed row by row and step by step.
class FigureGatherer {
public:
    FigureGatherer(const ScenarioInputs& scenario, const double y0[COMPARTMENT_COUNT])
        : threshold_(scenario.model.R_0 > 1.0 ? POPULATION_BASE / scenario.model.R_0 : 0.0),
          use_threshold_(scenario.model.R_0 > 1.0),
          initial_sum_(((y0[0] + y0[1]) + y0[2]) + y0[3]) {
        running_.figures.peak_infectious = y0[2];
        running_.figures.peak_exposed = y0[1];
    }

    // Rows and steps first .. first + count - 1, from the chunk.
    void rows(const RowChunk& chunk, int first, int count) {
        Running running = running_;  // a local the compiler can keep in registers
        for (int k = 0; k < count; ++k) {
            row(running.figures, first + k, chunk.y[k]);
            step(running, first + k, chunk.on_flag[k]);
        }
        running_ = running;
    }

    void row(int r, const double y[COMPARTMENT_COUNT]) { row(running_.figures, r, y); }

    RunFigures finish(const double y[COMPARTMENT_COUNT]) {
        RunFigures& figures = running_.figures;
        figures.final_S = y[0];
        figures.final_E = y[1];
        figures.final_I = y[2];
        figures.final_R = y[3];
        return figures;
    }

private:
    // Written without branches where the outcome changes often (peaks, the
    // drift), so that the rows of a chunk flow.
    void row(RunFigures& figures, int r, const double y[COMPARTMENT_COUNT]) const {
        const bool infectious_higher = y[2] > figures.peak_infectious;
        figures.peak_infectious = infectious_higher ? y[2] : figures.peak_infectious;
        figures.peak_infectious_row = infectious_higher ? r : figures.peak_infectious_row;
        const bool exposed_higher = y[1] > figures.peak_exposed;
        figures.peak_exposed = exposed_higher ? y[1] : figures.peak_exposed;
        figures.peak_exposed_row = exposed_higher ? r : figures.peak_exposed_row;
        if (use_threshold_ && figures.first_below_threshold_row < 0 && y[0] < threshold_) {
            figures.first_below_threshold_row = r;
        }
        const double sum = ((y[0] + y[1]) + y[2]) + y[3];
        const double drift = std::fabs(sum - initial_sum_);
        figures.conservation_drift =
            drift > figures.conservation_drift ? drift : figures.conservation_drift;
        // A finite sum has finite terms; a sum that overflowed may not.
        if (figures.first_non_finite_row < 0 && !std::isfinite(sum) &&
            !(std::isfinite(y[0]) && std::isfinite(y[1]) && std::isfinite(y[2]) &&
              std::isfinite(y[3]))) {
            figures.first_non_finite_row = r;
        }
    }

    static void step(Running& running, int s, int on_flag) {
        RunFigures& figures = running.figures;
        if (on_flag != 0) {
            ++figures.steps_reduced;
            if (on_flag != running.previous_flag) ++figures.switches_on;
            if (figures.first_on_step < 0) figures.first_on_step = s;
            ++running.current_on;
            if (running.current_on > figures.longest_on_steps) {
                figures.longest_on_steps = running.current_on;
            }
        } else {
            running.current_on = 0;
        }
        running.previous_flag = on_flag;
    }

    Running running_;
    double threshold_;
    bool use_threshold_;
    double initial_sum_;
};

// The gatherer fed by the run loop: rows wait in the chunk until it is full.
class FigureSink {
public:
    FigureSink(const ScenarioInputs& scenario, const double y0[COMPARTMENT_COUNT])
        : gatherer_(scenario, y0) {}

    double* slot(int step) { return chunk_.y[step % CHUNK_STEPS]; }
    void row(int step, double /*t*/, int on_flag, const double* /*y*/) {
        chunk_.on_flag[step % CHUNK_STEPS] = on_flag;
        if ((step + 1) % CHUNK_STEPS == 0)
            gatherer_.rows(chunk_, step + 1 - CHUNK_STEPS, CHUNK_STEPS);
    }
    void last_row(int step, double /*t*/, int /*on_flag*/, const double* y) {
        const int waiting = step % CHUNK_STEPS;
        if (waiting > 0) gatherer_.rows(chunk_, step - waiting, waiting);
        gatherer_.row(step, y);
        figures_ = gatherer_.finish(y);
    }
    const RunFigures& figures() const { return figures_; }

private:
    FigureGatherer gatherer_;
    RowChunk chunk_;
    RunFigures figures_;
};

}  // namespace

class FigureRows::Sink : public FigureSink {
public:
    using FigureSink::FigureSink;
};

FigureRows::FigureRows(const ScenarioInputs& scenario) {
    const ModelParameters& m = scenario.model;
    const double y0[COMPARTMENT_COUNT] = {m.init_S, m.init_E, m.init_I, m.init_R};
    sink_ = std::make_unique<Sink>(scenario, y0);
}

FigureRows::~FigureRows() = default;

void FigureRows::row(int step, int on_flag, const double* y) {
    std::memcpy(sink_->slot(step), y, COMPARTMENT_COUNT * sizeof(double));
    sink_->row(step, 0.0, on_flag, nullptr);
}

void FigureRows::last_row(int step, const double* y) {
    sink_->last_row(step, 0.0, 0, y);
}

const RunFigures& FigureRows::figures() const {
    return sink_->figures();
}

RunFigures integrate_run_figures(const ScenarioInputs& scenario) {
    const ModelParameters& m = scenario.model;
    const double y0[COMPARTMENT_COUNT] = {m.init_S, m.init_E, m.init_I, m.init_R};
    FigureSink sink(scenario, y0);
    RateConstants rates;
    integrate_run(m, scenario.one_time, scenario.intermittent, scenario.mode, rates, sink);
    return sink.figures();
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
