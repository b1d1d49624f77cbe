// The analysis commands of morbilex-batch: a sweep or its count, and the joining of shards.
#include "batch/runs/sweep_main.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/scenario_checks.h"
#include "batch/options/batch_options.h"
#include "batch/posix/interrupt.h"
#include "batch/posix/output_file.h"
#include "batch/runs/compressed_output.h"
#include "batch/runs/sweep_chart_data.h"
#include "batch/runs/sweep_chart_file.h"
#include "batch/runs/sweep_checks.h"
#include "batch/runs/sweep_rows.h"
#include "batch/shards/sweep_manifest.h"
#include "batch/shards/sweep_merge.h"
#include "batch/shards/sweep_partial.h"

namespace morbilex::batch {
namespace {

// A failed command: the reason in error, and the status.
int fail(std::string& error, const std::string& reason, int status) {
    error = reason;
    return status;
}

SweepPlan plan_of(const AnalysisOptions& options, const BatchRequest& request) {
    SweepPlan plan;
    plan.grid = options.grid;
    plan.base = request.typed;
    plan.base_mode = request.mode;
    plan.has_off_ratio = options.has_off_ratio;
    plan.off_ratio = options.off_ratio;
    return plan;
}

// The chart of a finished sweep, ready to be put in place.
bool prepare_chart(const SweepChartData& data, const BatchRequest& request, PendingOutput& output,
                   std::string& error) {
    std::string bytes;
    return draw_sweep_chart(data.contents(), request, bytes, error) &&
           prepare_output(output, "--chart=", request.chart_path, bytes, error);
}

// --shard=auto in a task run again alone: refused, with K/N when the
// manifest of its partial rows or of its output tells N.
bool check_lone_array_task(const AnalysisOptions& options, std::string& error) {
    const LoneArrayTask& lone = options.lone_array_task;
    if (lone.index == 0) return true;
    std::string shard =
        "--shard=" + std::to_string(lone.index) + "/N, N the array's count of tasks";
    for (const std::string& manifest :
         {options.output_path + ".partial.manifest", options.output_path + ".manifest"}) {
        SweepManifest held;
        std::string ignored;
        if (!options.output_path.empty() && read_sweep_manifest(manifest, held, ignored) &&
            held.sweep == options.sweep_definition && held.shard_index() == lone.index) {
            shard = "--shard=" + std::to_string(lone.index) + "/" +
                    std::to_string(held.shard_count) + ", as " + manifest + " tells";
            break;
        }
    }
    error = "--shard=auto: " + lone.reason + "; give " + shard;
    return false;
}

int sweep_command(const AnalysisOptions& options, const BatchRequest& request, std::string& error) {
    if (!check_sweep_request(options, request, error)) return EXIT_WRONG_OPTION;
    if (!check_lone_array_task(options, error)) return EXIT_WRONG_OPTION;
    const SweepPlan plan = plan_of(options, request);
    if (!check_scenarios(plan, options.off_ratio_option, error)) return EXIT_FAILED;
    if (const std::string same = repeated_scenarios_text(plan.grid); !same.empty())
        print_note("warning: " + same);
    if (options.count_only) {
        if (print_to_standard_output(std::to_string(options.shard.size(plan.grid.size())) + "\n"))
            return EXIT_DONE;
        return fail(error, "--count: standard output could not be written", EXIT_FAILED);
    }
    if (options.resume && !request.chart_path.empty()) {
        return fail(error, "--resume: --chart needs every scenario in one run", EXIT_WRONG_OPTION);
    }
    const InterruptHandler handler;
    OutputLock lock;
    if (!lock.take("--output=", options.output_path, error)) return EXIT_FAILED;
    if (!lock.warning().empty()) print_note("warning: " + lock.warning());
    std::optional<SweepChartData> chart_data;
    if (!request.chart_path.empty()) chart_data.emplace(options, request);
    PendingOutput file;
    if (!options.output_path.empty() && !file.open(options.output_path, error)) {
        return fail(error, "--output=" + options.output_path + ": " + error, EXIT_FAILED);
    }
    if (file.replaces() && !check_other_shard(options, plan, error)) return EXIT_FAILED;
    const std::string partial = options.output_path + ".partial";
    // A .gz output is compressed, and so is the partial file kept of it.
    CompressedOutput out(options.output_path.empty() ? stdout : file.stream(),
                         is_compressed_path(options.output_path));
    SweepProgress progress;
    if (options.resume) {
        if (!file.replaces()) {
            return fail(error, "--resume: --output= must name a file", EXIT_WRONG_OPTION);
        }
        // A task requeued or run again finds nothing kept, or its output whole.
        std::string note;
        const ResumeStart start = resume_start(options, plan, partial, note);
        if (!note.empty()) print_note(note);
        if (start == ResumeStart::Complete) return EXIT_DONE;
        if (start == ResumeStart::FromPartial &&
            !resume_from(options, plan, partial, out, progress, error)) {
            return EXIT_FAILED;
        }
    }
    bool written =
        write_sweep(options, plan, out, chart_data ? &*chart_data : nullptr, progress, error);
    // The rows written end the compressed stream, interrupted or not.
    if (!out.finish() && written) {
        written = false;
        error = "the rows could not be written";
    }
    const bool flushed =
        options.output_path.empty() ? std::fflush(stdout) == 0 : file.finish(error);
    if (!flushed && !error.empty()) error = "--output=" + options.output_path + ": " + error;
    // The rows written so far are kept; the chart is not drawn.
    if (progress.interrupted) return keep_partial(options, plan, file, flushed, progress, error);
    if (!written || !flushed)
        return fail(error, error.empty() ? "the rows could not be written" : error, EXIT_FAILED);
    // The rows, their manifest and the chart are put in place together, once
    // all are complete.
    PendingOutput chart;
    if (chart_data && !prepare_chart(*chart_data, request, chart, error)) return EXIT_FAILED;
    PendingOutput manifest;
    if (file.replaces() &&
        !prepare_output(manifest, "--output=", options.output_path + ".manifest",
                        sweep_manifest_text(manifest_of(options, plan, -1)), error)) {
        return EXIT_FAILED;
    }
    const bool replaced = file.replaces();
    std::string reason;
    if (!file.commit(reason) || !manifest.commit(reason) || !chart.commit(reason)) {
        return fail(error, "the outputs could not be put in place (" + reason + ")", EXIT_FAILED);
    }
    // Rows kept by an interrupted run are part of the output now, or out of date.
    if (replaced) {
        std::error_code ignored;
        if (std::filesystem::exists(partial + ".manifest", ignored)) {
            std::filesystem::remove(partial, ignored);
            std::filesystem::remove(partial + ".manifest", ignored);
        }
    }
    return EXIT_DONE;
}

}  // namespace

int run_analysis_command(const AnalysisOptions& options, const BatchRequest& request,
                         std::string& error) {
    if (options.merge()) {
        const InterruptHandler handler;
        OutputLock lock;
        if (!lock.take("--merge=", options.merge_output, error)) return EXIT_FAILED;
        if (!lock.warning().empty()) print_note("warning: " + lock.warning());
        if (merge_shard_files(options.merge_output, options.merge_inputs, options.merge_partial,
                              error)) {
            return EXIT_DONE;
        }
        return interrupt_signal() != 0 ? interrupted_status() : EXIT_FAILED;
    }
    return sweep_command(options, request, error);
}

}  // namespace morbilex::batch
