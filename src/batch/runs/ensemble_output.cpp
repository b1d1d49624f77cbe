#include "batch/runs/ensemble_output.h"

#include <atomic>
#include <cmath>
#include <string_view>
#include <vector>
#if !defined(__EMSCRIPTEN__)
#include <thread>
#endif

#include "batch/options/job_count.h"
#include "study/sensitivity.h"
#include "text/format.h"
#include "text/shortest.h"

namespace morbilex::batch {
namespace {

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Blocks taken in turn by `jobs` threads; each block's results have their
// own place, so the bytes do not depend on who worked which.
BlockRunner runner_of(int jobs) {
#if defined(__EMSCRIPTEN__)
    (void)jobs;
    return in_order;
#else
    if (jobs <= 1) return in_order;
    return [jobs](long long count, const std::function<void(long long)>& work) {
        std::atomic<long long> next{0};
        const auto take = [&] {
            for (long long block = next++; block < count; block = next++)
                work(block);
        };
        std::vector<std::thread> threads;
        for (int j = 1; j < jobs && j < count; ++j)
            threads.emplace_back(take);
        take();
        for (std::thread& thread : threads)
            thread.join();
    };
#endif
}

EnsemblePlan plan_of(const AnalysisOptions& analysis, const BatchRequest& request) {
    EnsemblePlan plan;
    plan.base = request.typed;
    plan.mode = request.mode;
    plan.ranges = analysis.ranges;
    plan.samples = analysis.samples > 0 ? analysis.samples : DEFAULT_ENSEMBLE_SAMPLES;
    plan.care = request.care;
    plan.capacity = analysis.capacity;
    return plan;
}

std::string refusal_text(const ScenarioRefusal& refused) {
    std::string text = "--range: ";
    if (refused.run_id > 0) text += "sample " + std::to_string(refused.run_id) + ": ";
    if (refused.cause == ScenarioRefusal::Cause::NotIntegrable)
        return text + "the run cannot integrate its values";
    return text + refused_field_text(refused);
}

void append_number(std::string& text, double value) {
    if (std::isfinite(value)) append_shortest(text, value);
}

std::string sensitivity_text(const EnsemblePlan& plan, const Sensitivity& sensitivity) {
    std::string text =
        "column,field,first_order,first_order_low,first_order_high,total_order,total_order_low,"
        "total_order_high\n";
    for (std::size_t c = 0; c < sensitivity.columns.size(); ++c) {
        const SobolIndices& indices = sensitivity.indices[c];
        for (std::size_t j = 0; j < plan.ranges.size(); ++j) {
            text += SUMMARY_COLUMNS[sensitivity.columns[c]].name;
            text += ',' + plan.ranges[j].name;
            for (const IndexEstimate* estimate : {&indices.first[j], &indices.total[j]}) {
                for (double value : {estimate->value, estimate->low, estimate->high}) {
                    text += ',';
                    // A figure that does not vary has no indices: empty cells.
                    if (indices.defined) append_number(text, value);
                }
            }
            text += '\n';
        }
    }
    return text;
}

}  // namespace

void type_range_centres(const AnalysisOptions& analysis, BatchRequest& request) {
    for (const ParameterRange& range : analysis.ranges) {
        TypedField centre = range.field;
        centre.text.clear();
        append_shortest(centre.text, range.centre());
        request.typed.push_back(std::move(centre));
    }
}

bool run_ensemble_files(const AnalysisOptions& analysis, const BatchRequest& request,
                        EnsembleFiles& files, std::string& error) {
    const EnsemblePlan plan = plan_of(analysis, request);
    ScenarioRefusal refused;
    if (!ranges_acceptable(plan, refused)) {
        error = refusal_text(refused);
        return false;
    }
    EnsembleSettings settings;
    settings.bands = !analysis.bands_path.empty();
    // A million samples hold 32 MB a row: a gigabyte keeps the passes over
    // the samples to one per 32 rows.
    settings.band_memory = std::size_t{1} << 30;
    settings.runner = runner_of(analysis.jobs > 0 ? analysis.jobs : default_job_count());
    if (!run_ensemble(plan, settings, files.result, refused)) {
        error = refusal_text(refused);
        return false;
    }
    if (settings.bands) files.bands = bands_csv_text(files.result);
    if (!analysis.sensitivity_path.empty()) {
        Sensitivity sensitivity;
        if (!compute_sensitivity(plan, settings.runner, sensitivity, refused)) {
            error = refusal_text(refused);
            return false;
        }
        files.sensitivity = sensitivity_text(plan, sensitivity);
    }
    return true;
}

std::string summary_file_text_with_intervals(const RunSummary& summary,
                                             const EnsembleResult& result,
                                             const std::string& path) {
    if (ends_with(path, ".jsonl") || ends_with(path, ".jsonl.gz")) {
        std::string text;
        append_summary_json_object(text, summary);
        text.pop_back();  // the object goes on with the intervals
        for (int f = 0; f < INTERVAL_FIGURE_COUNT; ++f) {
            for (int l = 0; l < INTERVAL_LEVEL_COUNT; ++l) {
                text += std::string(",\"") + INTERVAL_FIGURES[f] + "_" + INTERVAL_LEVEL_NAMES[l] +
                        "\":";
                const double value = result.interval(f, l);
                if (std::isfinite(value)) {
                    append_shortest(text, value);
                } else {
                    text += "null";
                }
            }
        }
        if (result.has_capacity) {
            text += std::string(",\"") + OVER_CAPACITY_COLUMN + "\":";
            append_shortest(text, result.over_capacity);
        }
        return text + "}\n";
    }
    std::string header = summary_csv_header_of(summary);
    std::string cells;
    append_summary_csv_row(cells, summary);
    for (int f = 0; f < INTERVAL_FIGURE_COUNT; ++f) {
        for (int l = 0; l < INTERVAL_LEVEL_COUNT; ++l) {
            header += std::string(",") + INTERVAL_FIGURES[f] + "_" + INTERVAL_LEVEL_NAMES[l];
            cells += ',';
            append_number(cells, result.interval(f, l));
        }
    }
    if (result.has_capacity) {
        header += std::string(",") + OVER_CAPACITY_COLUMN;
        cells += ',';
        append_shortest(cells, result.over_capacity);
    }
    return header + "\n" + cells + "\n";
}

std::string readable_intervals(const EnsembleResult& result) {
    std::string block = "Ensemble of " + std::to_string(result.samples) +
                        " samples: 5th, 50th and 95th percentiles\n";
    for (int f = 0; f < INTERVAL_FIGURE_COUNT; ++f) {
        const ValueKind kind = SUMMARY_COLUMNS[summary_column_index(INTERVAL_FIGURES[f])].kind;
        std::string text = std::string("  ") + INTERVAL_FIGURES[f];
        text.resize(std::max<std::size_t>(text.size() + 1, 27), ' ');
        for (int l = 0; l < INTERVAL_LEVEL_COUNT; ++l) {
            char number[64];
            format_text(number, sizeof number, readable_format(kind), {result.interval(f, l)});
            text += (l > 0 ? " / " : "") + std::string(number);
        }
        block += text + unit_of(kind) + '\n';
    }
    if (result.has_capacity) {
        std::string text = std::string("  ") + OVER_CAPACITY_COLUMN;
        text.resize(std::max<std::size_t>(text.size() + 1, 27), ' ');
        block += text + over_capacity_text(result) + '\n';
    }
    return block;
}

}  // namespace morbilex::batch
