#include "study/sensitivity.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace morbilex {

bool compute_tornado(const EnsemblePlan& plan, int column, Tornado& tornado,
                     ScenarioRefusal& refused) {
    tornado = Tornado{};
    tornado.column = column;
    const std::size_t k = plan.ranges.size();
    RangedScenarioBuilder builder(plan);
    std::vector<double> values(k);
    for (std::size_t j = 0; j < k; ++j)
        values[j] = plan.ranges[j].centre();
    std::vector<ScenarioInputs> scenarios(2 * k + 1);
    if (!builder.build(values, scenarios[0], refused)) return false;
    for (std::size_t j = 0; j < k; ++j) {
        values[j] = plan.ranges[j].low;
        if (!builder.build(values, scenarios[1 + 2 * j], refused)) return false;
        values[j] = plan.ranges[j].high;
        if (!builder.build(values, scenarios[2 + 2 * j], refused)) return false;
        values[j] = plan.ranges[j].centre();
    }
    std::vector<RunFigures> figures(scenarios.size());
    integrate_many(scenarios, figures);
    const int columns[] = {column};
    const auto value = [&](std::size_t s) {
        double out = 0.0;
        figure_values(scenarios[s], figures[s], columns, std::span<double>(&out, 1));
        return out;
    };
    tornado.central = value(0);
    for (std::size_t j = 0; j < k; ++j)
        tornado.bars.push_back({static_cast<int>(j), value(1 + 2 * j), value(2 + 2 * j)});
    std::stable_sort(
        tornado.bars.begin(), tornado.bars.end(),
        [](const TornadoBar& a, const TornadoBar& b) { return a.effect() > b.effect(); });
    return true;
}

void saltelli_point(const SampleSequence& sequence, int fields, long long run,
                    std::span<double> point, std::span<double> scratch) {
    const long long i = run / (fields + 2);
    const int slot = static_cast<int>(run % (fields + 2));
    sequence.point(static_cast<std::uint64_t>(i), scratch);
    for (int j = 0; j < fields; ++j)
        point[j] = slot == 1 ? scratch[fields + j] : scratch[j];
    if (slot >= 2) point[slot - 2] = scratch[fields + slot - 2];
}

namespace {

// A fixed generator for the bootstrap's draws.
std::uint64_t next_draw(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Jansen's estimators over the base points `chosen`, in their order.
void jansen(std::span<const double> outputs, int fields, std::span<const long long> chosen,
            std::span<double> first, std::span<double> total, bool& defined) {
    const int stride = fields + 2;
    const double n = static_cast<double>(chosen.size());
    double sum = 0.0;
    for (long long i : chosen)
        sum += outputs[i * stride] + outputs[i * stride + 1];
    const double mean = sum / (2.0 * n);
    double squares = 0.0;
    for (long long i : chosen) {
        const double a = outputs[i * stride] - mean, b = outputs[i * stride + 1] - mean;
        squares += a * a + b * b;
    }
    const double variance = squares / (2.0 * n - 1.0);
    defined = variance > 0.0 && std::isfinite(variance);
    for (int j = 0; j < fields; ++j) {
        double from_a = 0.0, from_b = 0.0;
        for (long long i : chosen) {
            const double ab = outputs[i * stride + 2 + j];
            const double da = outputs[i * stride] - ab, db = outputs[i * stride + 1] - ab;
            from_a += da * da;
            from_b += db * db;
        }
        total[j] = defined ? from_a / (2.0 * n) / variance : 0.0;
        first[j] = defined ? 1.0 - from_b / (2.0 * n) / variance : 0.0;
    }
}

}  // namespace

SobolIndices sobol_indices(std::span<const double> outputs, int fields, int bootstrap) {
    const long long n = static_cast<long long>(outputs.size()) / (fields + 2);
    SobolIndices result;
    result.first.resize(fields);
    result.total.resize(fields);
    std::vector<long long> chosen(n);
    for (long long i = 0; i < n; ++i)
        chosen[i] = i;
    std::vector<double> first(fields), total(fields);
    jansen(outputs, fields, chosen, first, total, result.defined);
    for (int j = 0; j < fields; ++j) {
        result.first[j].value = first[j];
        result.total[j].value = total[j];
    }
    if (!result.defined || bootstrap <= 0 || n == 0) {
        for (int j = 0; j < fields; ++j) {
            result.first[j].low = result.first[j].high = result.first[j].value;
            result.total[j].low = result.total[j].high = result.total[j].value;
        }
        return result;
    }
    std::vector<double> firsts(static_cast<std::size_t>(fields) * bootstrap);
    std::vector<double> totals(firsts.size());
    std::uint64_t state = BOOTSTRAP_SEED;
    for (int b = 0; b < bootstrap; ++b) {
        for (long long i = 0; i < n; ++i)
            chosen[i] = static_cast<long long>(next_draw(state) % static_cast<std::uint64_t>(n));
        bool defined = true;
        jansen(outputs, fields, chosen, first, total, defined);
        for (int j = 0; j < fields; ++j) {
            firsts[static_cast<std::size_t>(j) * bootstrap + b] = first[j];
            totals[static_cast<std::size_t>(j) * bootstrap + b] = total[j];
        }
    }
    for (int j = 0; j < fields; ++j) {
        const auto interval = [&](std::vector<double>& all, IndexEstimate& estimate) {
            const std::span<double> values(&all[static_cast<std::size_t>(j) * bootstrap],
                                           bootstrap);
            estimate.low = order_statistic(values, 0.025);
            estimate.high = order_statistic(values, 0.975);
        };
        interval(firsts, result.first[j]);
        interval(totals, result.total[j]);
    }
    return result;
}

std::vector<int> sensitivity_columns() {
    std::vector<int> columns;
    for (int c = summary_column_index("peak_infectious"); c < SUMMARY_COLUMN_COUNT; ++c) {
        if (SUMMARY_COLUMNS[c].kind != ValueKind::Text) columns.push_back(c);
    }
    return columns;
}

bool compute_sensitivity(const EnsemblePlan& plan, const BlockRunner& runner,
                         Sensitivity& sensitivity, ScenarioRefusal& refused) {
    const int k = static_cast<int>(plan.ranges.size());
    const long long n = std::max<long long>(plan.samples, 1);
    const long long runs = n * (k + 2);
    sensitivity = Sensitivity{};
    sensitivity.columns = sensitivity_columns();
    const std::size_t columns = sensitivity.columns.size();
    std::vector<double> outputs(columns * runs);  // outputs[c * runs + r]
    constexpr long long BLOCK = 256;
    const long long blocks = (runs + BLOCK - 1) / BLOCK;
    std::vector<std::optional<ScenarioRefusal>> refusals(blocks);  // a place a block
    runner(blocks, [&](long long block) {
        const long long first = block * BLOCK;
        const long long count = std::min(BLOCK, runs - first);
        const SampleSequence sequence(std::max(2 * k, 1));
        RangedScenarioBuilder builder(plan);
        std::vector<double> point(k), scratch(sequence.dimensions());
        std::vector<ScenarioInputs> scenarios(count);
        for (long long r = 0; r < count; ++r) {
            saltelli_point(sequence, k, first + r, point, scratch);
            ScenarioRefusal refusal;
            if (!builder.build_at(point, scenarios[r], refusal)) {
                refusal.run_id = first + r + 1;
                refusals[block] = refusal;
                return;
            }
        }
        std::vector<RunFigures> figures(count);
        integrate_many(scenarios, figures);
        std::vector<double> values(columns);
        for (long long r = 0; r < count; ++r) {
            figure_values(scenarios[r], figures[r], sensitivity.columns, values);
            for (std::size_t c = 0; c < columns; ++c)
                outputs[c * runs + first + r] = values[c];
        }
    });
    for (const std::optional<ScenarioRefusal>& refusal : refusals) {
        if (!refusal) continue;
        refused = *refusal;
        return false;
    }
    sensitivity.indices.resize(columns);
    runner(static_cast<long long>(columns), [&](long long c) {
        sensitivity.indices[c] = sobol_indices(
            std::span<const double>(&outputs[c * runs], static_cast<std::size_t>(runs)), k);
    });
    return true;
}

}  // namespace morbilex
