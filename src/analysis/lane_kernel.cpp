#include "analysis/lane_kernel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "model/seir_step.h"
#include "model/simulation.h"

namespace morbilex {

// Each defined in its own file, built for its instruction set.
void integrate_scalar_lanes(const LaneBatch&, LaneFigures&, const LaneObserver*);
#if defined(MORBILEX_LANE_VARIANTS)
void integrate_sse2_lanes(const LaneBatch&, LaneFigures&, const LaneObserver*);
void integrate_avx2_lanes(const LaneBatch&, LaneFigures&, const LaneObserver*);
void integrate_avx512_lanes(const LaneBatch&, LaneFigures&, const LaneObserver*);
#endif
#if defined(MORBILEX_LANE_SIMD128)
void integrate_simd128_lanes(const LaneBatch&, LaneFigures&, const LaneObserver*);
#endif

namespace {

struct KernelList {
    std::array<LaneKernel, 4> kernels;
    std::size_t count = 0;
    void add(const LaneKernel& kernel) { kernels[count++] = kernel; }
};

KernelList kernels_of_this_machine() {
    KernelList list;
    list.add({"scalar", 4, integrate_scalar_lanes});
#if defined(MORBILEX_LANE_VARIANTS)
    __builtin_cpu_init();
    list.add({"sse2", 8, integrate_sse2_lanes});
    if (__builtin_cpu_supports("avx2")) list.add({"avx2", 16, integrate_avx2_lanes});
    if (__builtin_cpu_supports("avx512f")) list.add({"avx512", 32, integrate_avx512_lanes});
#endif
#if defined(MORBILEX_LANE_SIMD128)
    // WebAssembly's vector unit: the whole program is built for it.
    list.add({"simd128", 8, integrate_simd128_lanes});
#endif
    return list;
}

void set_all(LaneValues (&values)[3], int lane, double a, double b, double c) {
    values[0].lane[lane] = a;
    values[1].lane[lane] = b;
    values[2].lane[lane] = c;
}

}  // namespace

std::span<const LaneKernel> lane_kernels() {
    static const KernelList list = kernels_of_this_machine();
    return std::span<const LaneKernel>(list.kernels.data(), list.count);
}

const LaneKernel& widest_lane_kernel() {
    return lane_kernels().back();
}

InterventionMode lane_mode(const ScenarioInputs& scenario) {
    const bool scheduled = scenario.mode == MODE_ONE_TIME || scenario.mode == MODE_INTERMITTENT;
    return scheduled ? scenario.mode : MODE_NO_INTERVENTION;
}

int lane_steps(const ScenarioInputs& scenario) {
    return std::max(scenario.model.n_steps, 0);
}

void set_lane(LaneBatch& batch, int lane, const ScenarioInputs& scenario) {
    const ModelParameters& m = scenario.model;
    RateConstants rates;
    derive_rate_constants(m, rates);
    const SeirStepFactors<double> factors = seir_step_factors(m.dt);
    for (int s = 0; s < 4; ++s) {
        batch.time_factor[s].lane[lane] = factors.time[s];
        batch.weight_factor[s].lane[lane] = factors.weight[s];
        if (s < 3) batch.stage_factor[s].lane[lane] = factors.stage[s];
    }
    batch.beta0.lane[lane] = rates.beta0;
    batch.gamma.lane[lane] = rates.gamma;
    batch.sigma.lane[lane] = rates.sigma;

    // The reduced betas as the schedules compute them at every step.
    const OneTimePlan& w = scenario.one_time;
    const IntermittentPlan& p = scenario.intermittent;
    if (lane_mode(scenario) == MODE_INTERMITTENT) {
        set_all(batch.reduced_beta, lane, (1.0 - p.Reduction) * rates.beta0, rates.beta0,
                rates.beta0);
    } else {
        set_all(batch.reduced_beta, lane, (1.0 - w.Redct1) * rates.beta0,
                (1.0 - w.Redct2) * rates.beta0, (1.0 - w.Redct3) * rates.beta0);
    }
    set_all(batch.window_start, lane, w.t_srt1, w.t_srt2, w.t_srt3);
    set_all(batch.window_stop, lane, w.t_stp1, w.t_stp2, w.t_stp3);
    batch.on_threshold.lane[lane] = p.On_threshold;
    batch.off_threshold.lane[lane] = p.Off_threshold;

    const double initial[4] = {m.init_S, m.init_E, m.init_I, m.init_R};
    for (int j = 0; j < 4; ++j)
        batch.initial[j].lane[lane] = initial[j];
    batch.below_threshold.lane[lane] = m.R_0 > 1.0 ? POPULATION_BASE / m.R_0 : -INFINITY;
}

RunFigures lane_run_figures(const LaneFigures& f, int lane, int steps) {
    const auto row = [lane](const LaneValues& values) {
        return static_cast<int>(values.lane[lane]);
    };
    RunFigures figures;
    figures.peak_infectious = f.peak_infectious.lane[lane];
    figures.peak_infectious_row = row(f.peak_infectious_row);
    figures.peak_exposed = f.peak_exposed.lane[lane];
    figures.peak_exposed_row = row(f.peak_exposed_row);
    figures.final_S = f.final_state[0].lane[lane];
    figures.final_E = f.final_state[1].lane[lane];
    figures.final_I = f.final_state[2].lane[lane];
    figures.final_R = f.final_state[3].lane[lane];
    figures.steps_reduced = row(f.steps_reduced);
    figures.switches_on = row(f.switches_on);
    figures.first_on_step = row(f.first_on_step);
    figures.longest_on_steps = row(f.longest_on_steps);
    figures.first_below_threshold_row = row(f.first_below_threshold_row);
    figures.conservation_drift = f.conservation_drift.lane[lane];
    const int finite_rows = row(f.finite_rows);
    figures.first_non_finite_row = finite_rows <= steps ? finite_rows : -1;
    return figures;
}

namespace {

// Scenarios waiting for a batch of their mode and steps to fill.
struct OpenBatch {
    int used = 0;
    std::size_t scenario[LANE_LIMIT];
    LaneBatch batch;
};

class BatchAssembler {
public:
    BatchAssembler(const LaneKernel& kernel, std::span<const ScenarioInputs> scenarios,
                   std::span<RunFigures> figures)
        : kernel_(kernel), scenarios_(scenarios), figures_(figures), open_(OPEN_LIMIT) {}

    void add(std::size_t k) {
        OpenBatch& open = batch_for(scenarios_[k]);
        set_lane(open.batch, open.used, scenarios_[k]);
        open.scenario[open.used++] = k;
        if (open.used == kernel_.lanes) run(open);
    }

    void finish() {
        for (OpenBatch& open : open_) {
            if (open.used > 0) run(open);
        }
    }

private:
    static constexpr int OPEN_LIMIT = 4;

    // The open batch of this scenario's mode and steps; when all are taken by
    // others, the fullest one runs first and makes room.
    OpenBatch& batch_for(const ScenarioInputs& scenario) {
        const InterventionMode mode = lane_mode(scenario);
        const int steps = lane_steps(scenario);
        OpenBatch* free = nullptr;
        for (OpenBatch& open : open_) {
            if (open.used == 0) {
                if (free == nullptr) free = &open;
            } else if (open.batch.mode == mode && open.batch.steps == steps) {
                return open;
            }
        }
        if (free == nullptr) {
            free = &*std::max_element(
                open_.begin(), open_.end(),
                [](const OpenBatch& a, const OpenBatch& b) { return a.used < b.used; });
            run(*free);
        }
        free->batch.mode = mode;
        free->batch.steps = steps;
        return *free;
    }

    // Pads the batch with copies of its first scenario and integrates it.
    void run(OpenBatch& open) {
        for (int lane = open.used; lane < kernel_.lanes; ++lane)
            set_lane(open.batch, lane, scenarios_[open.scenario[0]]);
        kernel_.integrate(open.batch, lane_figures_, nullptr);
        for (int lane = 0; lane < open.used; ++lane)
            figures_[open.scenario[lane]] = lane_run_figures(lane_figures_, lane, open.batch.steps);
        open.used = 0;
    }

    const LaneKernel& kernel_;
    std::span<const ScenarioInputs> scenarios_;
    std::span<RunFigures> figures_;
    std::vector<OpenBatch> open_;
    LaneFigures lane_figures_;
};

}  // namespace

void integrate_in_lanes(const LaneKernel& kernel, std::span<const ScenarioInputs> scenarios,
                        std::span<RunFigures> figures) {
    BatchAssembler assembler(kernel, scenarios, figures);
    for (std::size_t k = 0; k < scenarios.size(); ++k)
        assembler.add(k);
    assembler.finish();
}

}  // namespace morbilex
