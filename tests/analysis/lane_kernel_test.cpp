#include "analysis/lane_kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "analysis/run_figures.h"
#include "model/seir.h"
#include "model/simulation.h"

namespace morbilex {
namespace {

// Equal bits, except that any two NaNs are equal whatever their signs.
bool same(double a, double b) {
    if (std::isnan(a) && std::isnan(b)) return true;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The time of a step's start and the infectious count there, as the single
// run has them.
double time_at(double dt, int step) {
    double t = 0.0;
    double y[4] = {};
    const RateConstants rates;
    for (int i = 0; i < step; ++i)
        rk4_step(t, y, dt, 4, seir_rates, rates);
    return t;
}

double infectious_at(const ScenarioInputs& s, int step) {
    RateConstants rates;
    derive_rate_constants(s.model, rates);
    double t = 0.0;
    double y[4] = {s.model.init_S, s.model.init_E, s.model.init_I, s.model.init_R};
    int on_flag = 0;
    for (int i = 0; i < step; ++i) {
        choose_beta(s.one_time, s.intermittent, s.mode, t, y, rates, on_flag);
        rk4_step(t, y, s.model.dt, 4, seir_rates, rates);
    }
    return y[2];
}

// Random scenarios of one mode and length: ordinary epidemics, windows on the
// time grid and off it, empty and overlapping windows, thresholds met exactly,
// crossed and missed, and now and then a reduction above 1 or a huge R_0 that
// overflows.
class ScenarioMaker {
public:
    explicit ScenarioMaker(unsigned seed) : random_(seed) {}

    ScenarioInputs make(InterventionMode mode, int n_steps) {
        ScenarioInputs s;
        s.mode = mode;
        ModelParameters& m = s.model;
        m.n_steps = n_steps;
        m.R_0 = uniform(0.3, 12.0);
        m.latent_period = uniform(0.5, 10.0);
        m.infectious_period = uniform(0.5, 15.0);
        m.dt = chance(0.7) ? 0.25 : uniform(0.01, 1.0);
        m.init_E = chance(0.5) ? 0.1 : uniform(0.0, 50.0);
        m.init_I = chance(0.5) ? 0.0 : uniform(0.0, 50.0);
        m.init_R = chance(0.7) ? 0.0 : uniform(0.0, 3000.0);
        if (chance(0.05)) m.init_E = m.init_I = 0.0;  // nothing ever changes
        m.init_S = 10000.0 - m.init_E - m.init_I - m.init_R;
        if (chance(0.03)) m.R_0 = std::pow(10.0, uniform(5.0, 300.0));

        double* windows[3][3] = {{&s.one_time.Redct1, &s.one_time.t_srt1, &s.one_time.t_stp1},
                                 {&s.one_time.Redct2, &s.one_time.t_srt2, &s.one_time.t_stp2},
                                 {&s.one_time.Redct3, &s.one_time.t_srt3, &s.one_time.t_stp3}};
        for (auto& window : windows) {
            *window[0] = reduction();
            *window[1] = time_in(m);
            *window[2] = chance(0.15) ? *window[1] : time_in(m);
        }
        IntermittentPlan& p = s.intermittent;
        p.Reduction = reduction();
        p.On_threshold = uniform(0.0, 600.0);
        p.Off_threshold = p.On_threshold * uniform(0.0, 1.2);
        if (mode == MODE_INTERMITTENT && n_steps > 2 && chance(0.5)) meet_thresholds(s);
        return s;
    }

private:
    double uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random_);
    }
    int step_in(int n_steps) { return std::uniform_int_distribution<int>(1, n_steps)(random_); }
    bool chance(double p) { return uniform(0.0, 1.0) < p; }
    double reduction() { return chance(0.05) ? uniform(1.0, 30.0) : uniform(0.0, 1.0); }
    // Half of the window edges are exactly a step's time.
    double time_in(const ModelParameters& m) {
        const int steps = std::max(m.n_steps, 1);
        if (chance(0.5)) return time_at(m.dt, step_in(std::min(steps, 4000)));
        return uniform(-5.0, steps * m.dt * 1.1);
    }
    // The switch on at a row whose I is On_threshold exactly, and off again
    // at a later row whose I is Off_threshold exactly (when I falls there).
    void meet_thresholds(ScenarioInputs& s) {
        IntermittentPlan& p = s.intermittent;
        const int n = std::min(s.model.n_steps, 4000);
        p.On_threshold = INFINITY;
        p.On_threshold = infectious_at(s, step_in(n / 2));
        p.Off_threshold = -INFINITY;
        p.Off_threshold = infectious_at(s, step_in(n));
    }
    std::mt19937_64 random_;
};

// The single run of each lane, advanced beside the kernel: the rolled path
// (through a rate function that is not seir_rates) and the straight-line one.
void generic_rates(const RateConstants& rates, const double y[], double t, double dydt[], int n) {
    seir_rates(rates, y, t, dydt, n);
}

struct SingleRun {
    const ScenarioInputs* scenario;
    RateConstants rates;
    double t = 0.0;
    double y[4];
    int on_flag = 0;
    double rolled_t = 0.0;
    double rolled_y[4];
};

struct LaneChecker {
    std::vector<SingleRun> runs;
    int steps = 0;
    int mismatches = 0;
    int subnormal_rows = 0;

    explicit LaneChecker(const std::vector<const ScenarioInputs*>& scenarios) {
        for (const ScenarioInputs* scenario : scenarios) {
            SingleRun run{scenario, {}, 0.0, {}, 0, 0.0, {}};
            derive_rate_constants(scenario->model, run.rates);
            const ModelParameters& m = scenario->model;
            const double y0[4] = {m.init_S, m.init_E, m.init_I, m.init_R};
            std::copy(y0, y0 + 4, run.y);
            std::copy(y0, y0 + 4, run.rolled_y);
            runs.push_back(run);
            steps = lane_steps(*scenario);
        }
    }

    void check(int step, const LaneStepState& state) {
        for (std::size_t lane = 0; lane < runs.size(); ++lane) {
            SingleRun& run = runs[lane];
            const bool last = step == steps;
            if (!last) {
                choose_beta(run.scenario->one_time, run.scenario->intermittent, run.scenario->mode,
                            run.t, run.y, run.rates, run.on_flag);
            }
            bool equal = same(state.t.lane[lane], run.t) && same(run.rolled_t, run.t) &&
                         state.on_flag.lane[lane] == run.on_flag &&
                         (last || same(state.beta.lane[lane], run.rates.beta));
            for (int j = 0; j < 4; ++j) {
                equal = equal && same(state.y[j].lane[lane], run.y[j]) &&
                        same(run.rolled_y[j], run.y[j]);
            }
            if (!equal && ++mismatches <= 5) {
                ADD_FAILURE() << "lane " << lane << " differs at step " << step << ": t "
                              << state.t.lane[lane] << " vs " << run.t << ", I "
                              << state.y[2].lane[lane] << " vs " << run.y[2] << " (rolled "
                              << run.rolled_y[2] << ")";
            }
            subnormal_rows += std::fpclassify(run.y[1]) == FP_SUBNORMAL ||
                              std::fpclassify(run.y[2]) == FP_SUBNORMAL;
            if (!last) {
                const double h = run.scenario->model.dt;
                rk4_step(run.t, run.y, h, 4, seir_rates, run.rates);
                rk4_step(run.rolled_t, run.rolled_y, h, 4, generic_rates, run.rates);
            }
        }
    }

    static void observe(void* context, int step, const LaneStepState& state) {
        static_cast<LaneChecker*>(context)->check(step, state);
    }
};

// Integrates the scenarios (one mode, one length) in batches of the kernel's
// width and checks every lane at every step against its single run. Returns
// the number of rows seen with a subnormal E or I.
int check_every_step(const LaneKernel& kernel, const std::vector<ScenarioInputs>& scenarios) {
    int subnormal_rows = 0;
    for (std::size_t first = 0; first < scenarios.size(); first += kernel.lanes) {
        const std::size_t count = std::min<std::size_t>(kernel.lanes, scenarios.size() - first);
        std::vector<const ScenarioInputs*> lanes;
        for (int lane = 0; lane < kernel.lanes; ++lane)
            lanes.push_back(&scenarios[first + (lane < static_cast<int>(count) ? lane : 0)]);
        LaneBatch batch;
        batch.mode = lane_mode(*lanes[0]);
        batch.steps = lane_steps(*lanes[0]);
        for (int lane = 0; lane < kernel.lanes; ++lane)
            set_lane(batch, lane, *lanes[lane]);
        LaneChecker checker(lanes);
        const LaneObserver observer{LaneChecker::observe, &checker};
        LaneFigures figures;
        kernel.integrate(batch, figures, &observer);
        EXPECT_EQ(checker.mismatches, 0)
            << kernel.name << ", mode " << batch.mode << ", " << batch.steps << " steps";
        subnormal_rows += checker.subnormal_rows;
    }
    return subnormal_rows;
}

void expect_same_figures(const RunFigures& lanes, const RunFigures& single, std::size_t k) {
    const double reals[][2] = {{lanes.peak_infectious, single.peak_infectious},
                               {lanes.peak_exposed, single.peak_exposed},
                               {lanes.final_S, single.final_S},
                               {lanes.final_E, single.final_E},
                               {lanes.final_I, single.final_I},
                               {lanes.final_R, single.final_R},
                               {lanes.conservation_drift, single.conservation_drift}};
    for (const auto& pair : reals)
        EXPECT_TRUE(same(pair[0], pair[1]))
            << "scenario " << k << ": " << pair[0] << " vs " << pair[1];
    const int rows[][2] = {{lanes.peak_infectious_row, single.peak_infectious_row},
                           {lanes.peak_exposed_row, single.peak_exposed_row},
                           {lanes.steps_reduced, single.steps_reduced},
                           {lanes.switches_on, single.switches_on},
                           {lanes.first_on_step, single.first_on_step},
                           {lanes.longest_on_steps, single.longest_on_steps},
                           {lanes.first_below_threshold_row, single.first_below_threshold_row},
                           {lanes.first_non_finite_row, single.first_non_finite_row}};
    for (const auto& pair : rows)
        EXPECT_EQ(pair[0], pair[1]) << "scenario " << k;
}

TEST(LaneKernel, EveryLaneAtEveryStepAndItsFiguresEqualTheSingleRun) {
    ScenarioMaker maker(20261207);
    // Lengths per mode: empty and tiny runs, the default length, a longer
    // one, and full-length runs whose E and I sink into subnormal numbers.
    const int lengths[][2] = {{0, 8}, {1, 8}, {5, 8}, {800, 160}, {3001, 64}, {MAX_STEPS, 8}};
    std::vector<ScenarioInputs> all;
    int subnormal_rows = 0;
    for (InterventionMode mode : {MODE_NO_INTERVENTION, MODE_ONE_TIME, MODE_INTERMITTENT}) {
        for (const auto& [steps, count] : lengths) {
            std::vector<ScenarioInputs> scenarios;
            for (int k = 0; k < count; ++k)
                scenarios.push_back(maker.make(mode, steps));
            scenarios[0].model = ModelParameters{};  // the default epidemic
            scenarios[0].model.n_steps = steps;
            for (const LaneKernel& kernel : lane_kernels())
                subnormal_rows += check_every_step(kernel, scenarios);
            all.insert(all.end(), scenarios.begin(), scenarios.end());
        }
    }

    // All modes and lengths mixed, so that batches fill, wait and get padded.
    std::shuffle(all.begin(), all.end(), std::mt19937(7));
    std::vector<RunFigures> single(all.size());
    for (std::size_t k = 0; k < all.size(); ++k)
        single[k] = integrate_run_figures(all[k]);
    EXPECT_GT(subnormal_rows, 1000);
    int overflowed = 0;
    for (const RunFigures& figures : single)
        overflowed += figures.first_non_finite_row >= 0;
    EXPECT_GT(overflowed, 3);
    for (const LaneKernel& kernel : lane_kernels()) {
        std::vector<RunFigures> lanes(all.size());
        integrate_in_lanes(kernel, all, lanes);
        for (std::size_t k = 0; k < all.size(); ++k)
            expect_same_figures(lanes[k], single[k], k);
    }
}

}  // namespace
}  // namespace morbilex
