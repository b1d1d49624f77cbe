// The analysis commands of morbilex-batch: a sweep or its count, and the joining of shards.
#include "batch/sweep_main.h"

#include <cstdio>
#include <optional>
#include <string>

#include "batch/output_file.h"
#include "batch/sweep_chart_data.h"
#include "batch/sweep_chart_file.h"
#include "batch/sweep_checks.h"
#include "batch/sweep_merge.h"
#include "batch/sweep_rows.h"

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

int sweep_command(const AnalysisOptions& options, const BatchRequest& request, std::string& error) {
    if (!check_sweep_request(options, request, error)) return EXIT_WRONG_OPTION;
    const SweepPlan plan = plan_of(options, request);
    if (!check_scenarios(plan, options.off_ratio_option, error)) return EXIT_FAILED;
    if (options.count_only) {
        if (print_to_standard_output(std::to_string(options.shard.size(plan.grid.size())) + "\n"))
            return EXIT_DONE;
        return fail(error, "--count: standard output could not be written", EXIT_FAILED);
    }
    std::optional<SweepChartData> chart_data;
    if (!request.chart_path.empty()) chart_data.emplace(options, request);
    PendingOutput file;
    if (!options.output_path.empty() && !file.open(options.output_path, error)) {
        return fail(error, "--output=" + options.output_path + ": " + error, EXIT_FAILED);
    }
    std::FILE* out = options.output_path.empty() ? stdout : file.stream();
    bool interrupted = false;
    const bool written =
        write_sweep(options, plan, out, chart_data ? &*chart_data : nullptr, interrupted, error);
    const bool flushed =
        options.output_path.empty() ? std::fflush(stdout) == 0 : file.finish(error);
    if (!flushed && !error.empty()) error = "--output=" + options.output_path + ": " + error;
    if (interrupted) {
        // The rows written so far are kept; the chart is not drawn.
        if (flushed) file.commit(error);
        return fail(error, "interrupted; every row written is complete", EXIT_INTERRUPTED);
    }
    if (!written || !flushed)
        return fail(error, error.empty() ? "the rows could not be written" : error, EXIT_FAILED);
    // The rows and the chart are put in place together, once both are complete.
    PendingOutput chart;
    if (chart_data && !prepare_chart(*chart_data, request, chart, error)) return EXIT_FAILED;
    std::string reason;
    if (!file.commit(reason) || !chart.commit(reason)) {
        return fail(error, "the outputs could not be put in place (" + reason + ")", EXIT_FAILED);
    }
    return EXIT_DONE;
}

}  // namespace

int run_analysis_command(const AnalysisOptions& options, const BatchRequest& request,
                         std::string& error) {
    if (options.merge()) {
        return merge_shard_files(options.merge_output, options.merge_inputs, options.merge_partial,
                                 error)
                   ? EXIT_DONE
                   : EXIT_FAILED;
    }
    return sweep_command(options, request, error);
}

}  // namespace morbilex::batch
