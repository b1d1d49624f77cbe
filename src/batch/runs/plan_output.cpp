#include "batch/runs/plan_output.h"

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "analysis/care_layer.h"
#include "analysis/refusal_text.h"
#include "analysis/scenario_setup.h"
#include "batch/options/batch_options.h"
#include "batch/options/job_count.h"
#include "batch/posix/output_file.h"
#include "batch/runs/compressed_output.h"
#include "batch/runs/summary_output.h"
#include "model/simulation.h"
#include "shell/messages.h"
#include "text/format.h"
#include "text/shortest.h"

namespace morbilex::batch {
namespace {

// The runs shared out over threads in contiguous parts; each scenario's
// figures are the same whichever part integrates it.
PlanEvaluator evaluator_on(int jobs) {
    return [jobs](std::span<const ScenarioInputs> scenarios, std::span<RunFigures> figures) {
#if defined(__EMSCRIPTEN__)
        const std::size_t parts = 1;  // node's build runs one thread
        (void)jobs;
#else
        const std::size_t parts = std::min<std::size_t>(jobs, (scenarios.size() + 63) / 64);
#endif
        if (parts <= 1) {
            integrate_run_figures(scenarios, figures);
            return;
        }
        std::vector<std::thread> threads;
        const std::size_t each = (scenarios.size() + parts - 1) / parts;
        for (std::size_t first = 0; first < scenarios.size(); first += each) {
            const std::size_t count = std::min(each, scenarios.size() - first);
            threads.emplace_back([scenarios, figures, first, count] {
                integrate_run_figures(scenarios.subspan(first, count),
                                      figures.subspan(first, count));
            });
        }
        for (std::thread& thread : threads)
            thread.join();
    };
}

void type_field(std::vector<TypedField>& typed, const char* name, double value) {
    TypedField field;
    find_editable_field(name, field);
    append_shortest(field.text, value);
    typed.push_back(std::move(field));
}

// The plan's fields typed after the command line's, as a run of that plan
// alone would type them.
std::vector<TypedField> plan_fields(const BatchRequest& request, const PlanOutcome& outcome,
                                    PlanKind kind) {
    std::vector<TypedField> typed = request.typed;
    if (kind == PlanKind::OneTime) {
        const OneTimePlan& p = outcome.scenario.one_time;
        const char* names[] = {"Redct1", "t_srt1", "t_stp1", "Redct2", "t_srt2",
                               "t_stp2", "Redct3", "t_srt3", "t_stp3"};
        const double values[] = {p.Redct1, p.t_srt1, p.t_stp1, p.Redct2, p.t_srt2,
                                 p.t_stp2, p.Redct3, p.t_srt3, p.t_stp3};
        for (int k = 0; k < 9; ++k)
            type_field(typed, names[k], values[k]);
    } else {
        const IntermittentPlan& p = outcome.scenario.intermittent;
        type_field(typed, "Reduction", p.Reduction);
        type_field(typed, "On_threshold", p.On_threshold);
        type_field(typed, "Off_threshold", p.Off_threshold);
    }
    return typed;
}

std::string number_text(const char* format, double value) {
    char text[64];
    format_text(text, sizeof text, format, {value});
    return text;
}

}  // namespace

int run_plan_search(const AnalysisOptions& options, const BatchRequest& request,
                    std::string& error) {
    if (!options.capacity.set) {
        error = "--find-plan: give the limit to keep under with --capacity=PERSONS";
        return EXIT_WRONG_OPTION;
    }
    auto records = std::make_unique<Records>();
    SetupRefusal refused;
    if (!apply_typed_fields(*records, request.typed, refused)) {
        error = single_run_refusal_text(refused_field(refused, request.typed, 0));
        return EXIT_FAILED;
    }
    const PlanKind kind = options.plan_kind;
    const InterventionMode mode = kind == PlanKind::OneTime ? MODE_ONE_TIME : MODE_INTERMITTENT;
    // The care fields hold for a care series' capacity and the rows' care columns.
    records->care = request.care;
    if (!run_inputs_acceptable(*records, mode)) {
        error = run_failure_text(RUN_REFUSED);
        return EXIT_FAILED;
    }
    const ScenarioInputs base = scenario_inputs_of(*records, mode);
    PlanSpace space = default_plan_space(kind, base, options.capacity);
    for (const AnalysisOptions::SearchBound& bound : options.search_bounds) {
        std::string reason;
        if (!bound_plan_axis(space, bound.field, bound.low, bound.high, reason)) {
            error = bound.option + ": " + reason;
            return EXIT_WRONG_OPTION;
        }
    }
    const int jobs = options.jobs > 0 ? options.jobs : default_job_count();
    const PlanSearchResult result = find_plan(base, space, options.capacity, evaluator_on(jobs));
    if (result.front.empty()) {
        error = "--find-plan: the search space holds no plan";
        return EXIT_FAILED;
    }

    // Each row from its plan set up and run alone, as --summary=FILE does.
    const bool json = options.format == RowFormat::JsonLines;
    std::string text;
    for (const PlanOutcome& outcome : result.front) {
        const auto plan_records = std::make_unique<Records>();
        const std::vector<TypedField> typed = plan_fields(request, outcome, kind);
        if (!apply_typed_fields(*plan_records, typed, refused)) {
            error = single_run_refusal_text(refused_field(refused, typed, 0));
            return EXIT_FAILED;
        }
        plan_records->care = request.care;
        RunSummary summary = run_summary_of(*plan_records, mode, options.capacity);
        if (request.care.enabled) {
            summary.has_care = true;
            summary.care = summarise_care(
                care_figures(integrate_care(scenario_inputs_of(*plan_records, mode))));
        }
        if (json) {
            append_summary_json_object(text, summary);
        } else {
            if (text.empty()) text = summary_csv_header_of(summary) + "\n";
            append_summary_csv_row(text, summary);
        }
        text += '\n';
    }
    if (!result.met) {
        print_note(std::string("no ") + plan_kind_name(kind) + " plan of the search keeps " +
                   capacity_series_label(options.capacity.series) + " at or under " +
                   number_text("%.2f", options.capacity.capacity) +
                   " persons with the epidemic over by T_max; the closest comes first (peak " +
                   number_text("%.2f", result.best.peak) +
                   (result.best.ended ? ")" : ", still running at T_max)"));
    }
    const std::string& path = options.output_path;
    if (path.empty() || path == "-") {
        if (print_to_standard_output(text)) return EXIT_DONE;
        error = "--output: standard output could not be written";
        return EXIT_FAILED;
    }
    const auto write = [&text, &path](std::FILE* out) {
        CompressedOutput rows(out, is_compressed_path(path));
        return rows.write(text) && rows.finish();
    };
    PendingOutput output;
    std::string reason;
    if (!prepare_output(output, "--output=", path, write, error)) return EXIT_FAILED;
    if (!output.commit(reason)) {
        error = "--output=" + path + ": could not be put in place (" + reason + ")";
        return EXIT_FAILED;
    }
    return EXIT_DONE;
}

}  // namespace morbilex::batch
