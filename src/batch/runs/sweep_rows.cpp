// A sweep's rows written to a stream, on threads, stopped by Ctrl-C.
#include "batch/runs/sweep_rows.h"

#include "analysis/refusal_text.h"
#include "analysis/sweep_runner.h"
#include "batch/options/job_count.h"
#include "batch/posix/interrupt.h"
#include "batch/runs/stream_sink.h"

namespace morbilex::batch {
namespace {

int jobs_of(const AnalysisOptions& options) {
    if (options.jobs > 0) return options.jobs;
    return default_job_count();
}

}  // namespace

bool write_sweep(const AnalysisOptions& options, const SweepPlan& plan, CompressedOutput& out,
                 SweepChartData* chart, SweepProgress& progress, std::string& error) {
    SweepSettings settings;
    settings.jobs = jobs_of(options);
    settings.shard = options.shard;
    settings.skip = progress.skip;
    settings.json_lines = options.format == RowFormat::JsonLines;
    settings.stop = &interrupt_requested();
    if (chart != nullptr) {
        settings.on_scenario = [chart](const FinishedScenario& scenario) { chart->take(scenario); };
    }
    if (!settings.json_lines && progress.header) {
        const std::string header = sweep_csv_header(plan.grid);
        if (!out.write(header)) {
            error = "the rows could not be written";
            return false;
        }
    }
    SweepOutcome outcome;
    {
        StreamSink sink(out);
        outcome = run_sweep(plan, settings, sink);
    }
    progress.rows = outcome.rows_written;
    progress.interrupted = interrupt_requested().load() && !outcome.complete;
    error = outcome.refused        ? scenario_refusal_text(*outcome.refused)
            : outcome.write_failed ? "the rows could not be written"
                                   : "";
    return error.empty();
}

}  // namespace morbilex::batch
