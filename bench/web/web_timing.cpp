// The page's questions of many runs timed in the web build under node
// (scripts/web.sh --test runs it; natively it is plan_search_bench and
// ensemble_bench): the plan search of the default space at 800 steps (the
// default scenario against a capacity of 300 persons, one-time and
// intermittent) and a change to repainted bands (Redct1 changed, 1024
// samples of R_0 = 2..3 at 800 steps, the explorer view painted on the
// page's surface). The machine may be shared: each is told as a ratio to a
// baseline timed in the same run, a single run of 800 steps (its figures
// alone) for the search, and for the bands the same change repainted with
// no range, then in milliseconds beside its target.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "explore/explorer_view.h"
#include "study/ensemble.h"
#include "study/parameter_range.h"
#include "study/plan_search.h"
#include "web_surface.h"

namespace morbilex {
namespace {

constexpr int CHART_WIDTH = 1240;
constexpr int CHART_HEIGHT = 720;

// The median of `times` timings of work, in milliseconds.
double median_ms(int times, const std::function<void()>& work) {
    std::vector<double> taken;
    for (int k = 0; k < times; ++k) {
        const auto began = std::chrono::steady_clock::now();
        work();
        taken.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began)
                .count());
    }
    std::sort(taken.begin(), taken.end());
    return taken[taken.size() / 2];
}

double sink = 0.0;  // keeps the work from being left out

}  // namespace
}  // namespace morbilex

int main() {
    using namespace morbilex;
    const ScenarioInputs base;
    const double single_run =
        median_ms(201, [&] { sink += integrate_run_figures(base).peak_infectious; });
    std::printf("baseline: one run of %d steps, figures alone: %.4f ms\n", base.model.n_steps,
                single_run);

    const CapacitySetting capacity{true, 300.0, CapacitySeries::Infectious};
    for (const PlanKind kind : {PlanKind::OneTime, PlanKind::Intermittent}) {
        const PlanSpace space = default_plan_space(kind, base, capacity);
        long runs = 0;
        const double search = median_ms(5, [&] {
            const PlanSearchResult result = find_plan(base, space, capacity);
            runs = result.runs;
            sink += result.best.peak;
        });
        std::printf(
            "plan search, %s, default space: %.1f ms (target 2000 ms), %ld plans; "
            "%.0f single runs' time, %.3f of a single run per plan\n",
            plan_kind_name(kind), search, runs, search / single_run,
            search / single_run / static_cast<double>(runs));
    }

    auto records = std::make_unique<Records>();
    records->mode = MODE_ONE_TIME;
    SeriesColours colours;
    init_series_colours(colours);
    const auto repaint = [&](Explorer& explorer) {
        int k = 0;
        return median_ms(21, [&] {
            records->one_time.Redct1 = 0.3 + 0.01 * (k++ % 60);
            explorer.run_without_trace(*records);
            web::WebSurface surface(16.0);
            paint_explorer_view(surface, *records, colours, explorer, CHART_WIDTH, CHART_HEIGHT,
                                false);
            sink += static_cast<double>(surface.commands().size());
        });
    };
    Explorer plain;
    const double without_bands = repaint(plain);
    Explorer ranged;
    ParameterRange range;
    std::string error;
    parse_parameter_range("R_0=2:3", "R_0=2:3", range, error);
    ranged.uncertainty.ranges.ranges = {range};
    const double with_bands = repaint(ranged);
    EnsemblePlan plan;
    plan.mode = MODE_ONE_TIME;
    plan.ranges = {range};
    EnsembleResult result;
    ScenarioRefusal refused;
    const double ensemble =
        median_ms(21, [&] { sink += run_ensemble(plan, {}, result, refused) ? 1.0 : 0.0; });
    EnsembleSettings figures_alone;
    figures_alone.bands = false;
    const double ensemble_without_bands = median_ms(
        21, [&] { sink += run_ensemble(plan, figures_alone, result, refused) ? 1.0 : 0.0; });
    std::printf(
        "the ensemble alone: %.1f ms with its bands, %.1f ms without (%.0f and %.0f single "
        "runs' time)\n",
        ensemble, ensemble_without_bands, ensemble / single_run,
        ensemble_without_bands / single_run);
    std::printf(
        "change to repainted bands, 1024 samples x 800 steps: %.1f ms (target 100 ms); "
        "%.1f times the same change repainted without a range (%.2f ms)\n",
        with_bands, with_bands / without_bands, without_bands);
    return sink == 0.0 ? 1 : 0;
}
