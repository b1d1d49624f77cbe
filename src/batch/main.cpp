// morbilex-batch: one run of the model from the command line, for scripts and
// tests. The fields go through the same dialog protocol as in the windowed
// programs; unlike them, every refusal and failure is reported.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/care_layer.h"
#include "analysis/refusal_text.h"
#include "analysis/scenario_setup.h"
#include "batch/options/batch_options.h"
#include "batch/options/sweep_options.h"
#include "batch/posix/output_file.h"
#include "batch/runs/compressed_output.h"
#include "batch/runs/data_fit.h"
#include "batch/runs/ensemble_output.h"
#include "batch/runs/plan_output.h"
#include "batch/runs/summary_output.h"
#include "batch/runs/sweep_main.h"
#include "batch/shards/sweep_manifest.h"
#include "model/simulation.h"
#include "shell/dialogs.h"
#include "shell/messages.h"
#include "trace/traced_run.h"

// MORBILEX_BATCH_CHART (0 or 1) comes from the build, which knows whether
// the Qt painter library is there.
#if MORBILEX_BATCH_CHART
#include "chart/chart.h"
#include "chart/chart_points.h"
#include "picture/chart_export.h"
#endif

namespace morbilex::batch {
namespace {

// One line on standard error, then the exit status.
int fail(const std::string& reason, int status = EXIT_FAILED) {
    std::fprintf(stderr, "morbilex-batch: %s\n", reason.c_str());
    return status;
}

// Opens each dialog that has typed fields, types them and presses OK.
bool apply_dialogs(Records& records, const BatchRequest& request, std::string& error) {
    SetupRefusal refused;
    if (apply_typed_fields(records, request.typed, refused)) return true;
    error = single_run_refusal_text(refused_field(refused, request.typed, 0));
    return false;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The run, with its trace kept aside until every output can be written.
bool run_into(Records& records, InterventionMode mode, std::FILE* trace, NonFiniteRow& non_finite,
              std::string& error) {
    records.mode = mode;
    const int result = run_simulation_to_stream(records, mode, trace, &non_finite);
    if (result == RUN_COMPLETED || result == RUN_NOT_FINITE) return true;
    error = result == RUN_REFUSED ? run_failure_text(RUN_REFUSED)
                                  : "the trace could not be kept in a temporary file";
    return false;
}

bool copy_stream(std::FILE* from, std::FILE* to) {
    std::rewind(from);
    char block[64 * 1024];
    std::size_t count = 0;
    while ((count = std::fread(block, 1, sizeof block, from)) > 0) {
        if (std::fwrite(block, 1, count, to) != count) return false;
    }
    return !std::ferror(from) && std::fflush(to) == 0;
}

bool chart_export_available() {
    return MORBILEX_BATCH_CHART != 0;
}

// The chart's file as bytes, before anything is written; with observed
// counts over it when there are points.
bool draw_chart_file(Records& records, const BatchRequest& request, std::string& bytes,
                     std::string& error, const std::vector<ChartPoint>& points = {},
                     const std::vector<ChartPoint>& series = {}) {
#if MORBILEX_BATCH_CHART
    SeriesColours colours;
    init_series_colours(colours);
    std::string reason;
    const auto draw = [&](Surface& surface, int width, int height) {
        paint_view(surface, records, colours, width, height);
        draw_chart_points(surface, records, points, series, DATA_POINT_COLOUR);
    };
    const std::string type = "chart." + request.chart_type;
    if (points.empty() ? render_chart(records, colours, type, request.chart_width,
                                      request.chart_height, bytes, reason)
                       : render_view_picture(draw, type, request.chart_width, request.chart_height,
                                             bytes, reason)) {
        return true;
    }
    error = "--chart=" + request.chart_path + ": " + reason;
    return false;
#else
    (void)records;
    (void)request;
    (void)bytes;
    (void)error;
    (void)points;
    (void)series;
    return false;
#endif
}

// The bytes of the outputs other than the trace, made before anything is written.
struct PreparedFiles {
    std::string chart;
    std::string summary;
    std::string bands;
    std::string sensitivity;
    std::string care;  // the care layer's rows
};

// A CSV file of an ensemble, compressed when its name ends in .gz.
bool prepare_text_output(PendingOutput& output, const std::string& option, const std::string& path,
                         const std::string& text, std::string& error) {
    if (path.empty()) return true;
    const auto write = [&text, &path](std::FILE* out) {
        CompressedOutput file(out, is_compressed_path(path));
        return file.write(text) && file.finish();
    };
    return prepare_output(output, option, path, write, error);
}

// The chart, the summary file and the trace (when wanted), each put in place
// only when all are complete. A trace path that is empty or "-" means
// standard output.
bool write_outputs(std::FILE* trace, bool trace_wanted, const PreparedFiles& files,
                   const BatchRequest& request, const AnalysisOptions& analysis,
                   std::string& error) {
    PendingOutput chart_output;
    PendingOutput summary_output;
    PendingOutput trace_output;
    PendingOutput bands_output;
    PendingOutput sensitivity_output;
    if (!prepare_text_output(bands_output, "--bands=", analysis.bands_path, files.bands, error) ||
        !prepare_text_output(sensitivity_output, "--sensitivity=", analysis.sensitivity_path,
                             files.sensitivity, error)) {
        return false;
    }
    PendingOutput care_output;
    const auto write_trace = [trace](std::FILE* out) { return copy_stream(trace, out); };
    if (!request.chart_path.empty() &&
        !prepare_output(chart_output, "--chart=", request.chart_path, files.chart, error)) {
        return false;
    }
    // A summary file whose name ends in .gz is compressed.
    const auto write_summary = [&files, &analysis](std::FILE* out) {
        CompressedOutput summary(out, is_compressed_path(analysis.summary_path));
        return summary.write(files.summary) && summary.finish();
    };
    if (!analysis.summary_path.empty() &&
        !prepare_output(summary_output, "--summary=", analysis.summary_path, write_summary,
                        error)) {
        return false;
    }
    const auto write_care = [&files, &request](std::FILE* out) {
        CompressedOutput care(out, is_compressed_path(request.care_path));
        return care.write(files.care) && care.finish();
    };
    if (!request.care_path.empty() &&
        !prepare_output(care_output, "--care=", request.care_path, write_care, error)) {
        return false;
    }
    if (!trace_wanted) {
        // The readable summary has standard output to itself.
    } else if (request.trace_path.empty() || request.trace_path == "-") {
        if (!copy_stream(trace, stdout)) {
            error = "the trace could not be written to standard output";
            return false;
        }
    } else if (!prepare_output(trace_output, "--trace=", request.trace_path, write_trace, error)) {
        return false;
    }
    std::string reason;
    if (!chart_output.commit(reason) || !summary_output.commit(reason) ||
        !care_output.commit(reason) || !trace_output.commit(reason) ||
        !bands_output.commit(reason) || !sensitivity_output.commit(reason)) {
        error = "the outputs could not be put in place (" + reason + ")";
        return false;
    }
    return true;
}

bool wants_help(int argc, const char* const argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return true;
    }
    return false;
}

bool wants_version(int argc, const char* const argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--version") return true;
    }
    return false;
}

int run_batch(int argc, const char* const argv[]) {
    if (wants_help(argc, argv)) {
        if (print_to_standard_output(usage_text() + analysis_usage_text())) return EXIT_DONE;
        return fail("--help: standard output could not be written");
    }
    if (wants_version(argc, argv)) {
        if (print_to_standard_output(program_version_text() + "\n")) return EXIT_DONE;
        return fail("--version: standard output could not be written");
    }
    AnalysisOptions analysis;
    std::vector<const char*> rest;
    BatchRequest request;
    std::string error;
    if (!split_analysis_options(argc, argv, analysis, rest, error) ||
        !parse_options(static_cast<int>(rest.size()), rest.data(), request, error)) {
        return fail(error, EXIT_WRONG_OPTION);
    }
    if (!outputs_are_distinct({{"--trace=", request.trace_path},
                               {"--chart=", request.chart_path},
                               {"--summary=", analysis.summary_path},
                               {"--output=", analysis.output_path},
                               {"--care=", request.care_path},
                               {"--fit-output=", request.data.fit_output},
                               {"--bands=", analysis.bands_path},
                               {"--sensitivity=", analysis.sensitivity_path}},
                              error)) {
        return fail(error, EXIT_WRONG_OPTION);
    }
    DataOptions& data = request.data;
    if (data.any_given && !data.given()) {
        return fail("the options of observed counts need --data=FILE.csv", EXIT_WRONG_OPTION);
    }
    if (data.given() && (analysis.sweep() || analysis.merge())) {
        return fail(data.option + ": observed counts go with a single run, not a sweep or a merge",
                    EXIT_WRONG_OPTION);
    }
    if (!data.fit_output.empty() && data.fit.empty()) {
        return fail("--fit-output=" + data.fit_output + ": there is no --fit", EXIT_WRONG_OPTION);
    }
    if (request.care.enabled && (analysis.sweep() || analysis.merge())) {
        return fail("the care layer (--care= and its fields) is for a single run, not a sweep",
                    EXIT_WRONG_OPTION);
    }
    // A scenario file's capacity holds for its single run and plan search.
    if (!analysis.capacity.set && !analysis.sweep() && !analysis.merge()) {
        analysis.capacity = request.capacity;
    }
    if (analysis.find_plan) {
        if (data.given()) {
            return fail(data.option + ": observed counts go with a single run, not a plan search",
                        EXIT_WRONG_OPTION);
        }
        const int status = run_plan_search(analysis, request, error);
        return status == EXIT_DONE ? status : fail(error, status);
    }
    if (analysis.sweep() || analysis.merge()) {
        const int status = run_analysis_command(analysis, request, error);
        return status == EXIT_DONE ? status : fail(error, status);
    }
    if (!request.chart_path.empty() && !chart_export_available()) {
        return fail(
            "--chart: this build has no chart export (the Qt 6 painter library was not built)");
    }
    if (analysis.ensemble()) type_range_centres(analysis, request);
    ObservedCounts counts;
    if (data.given() && !load_data_counts(data, counts, error)) return fail(error);
    auto records = std::make_unique<Records>();
    if (!apply_dialogs(*records, request, error)) return fail(error);
    if (!request.care_refusal.empty()) return fail(request.care_refusal);
    std::string fit_text;
    if (!data.fit.empty()) {
        CountFit fit;
        if (!fit_data_counts(data, counts, *records, request, fit, error)) return fail(error);
        fit_text = fit_output_text(fit);
        records = std::make_unique<Records>();
        if (!apply_dialogs(*records, request, error)) return fail(error);
    }
    double objective = 0.0;
    if (data.given() && !run_objective(data, counts, *records, request.mode, objective, error)) {
        return fail(error);
    }
    records->care = request.care;
    const File trace(std::tmpfile());
    if (!trace) return fail("no temporary file for the trace could be made");
    NonFiniteRow non_finite;
    if (!run_into(*records, request.mode, trace.get(), non_finite, error)) return fail(error);
    PreparedFiles files;
    std::vector<ChartPoint> points, series;
    if (data.given()) data_chart_points(data, counts, *records, request.mode, points, series);
    if (!request.chart_path.empty() &&
        !draw_chart_file(*records, request, files.chart, error, points, series)) {
        return fail(error);
    }
    const bool summary_wanted = analysis.summary || !analysis.summary_path.empty();
    RunSummary summary =
        summary_wanted ? run_summary_of(*records, request.mode, analysis.capacity) : RunSummary{};
    // The care layer's series from its own pass, as the summary's figures.
    if (request.care.enabled && (summary_wanted || !request.care_path.empty())) {
        const CareRun care = integrate_care(scenario_inputs_of(*records, request.mode));
        summary.has_care = true;
        summary.care = summarise_care(care_figures(care));
        if (!request.care_path.empty()) files.care = care_rows_csv(care);
    }
    EnsembleFiles ensemble;
    if (analysis.ensemble()) {
        if (!run_ensemble_files(analysis, request, ensemble, error)) return fail(error);
        files.bands = std::move(ensemble.bands);
        files.sensitivity = std::move(ensemble.sensitivity);
    }
    if (!analysis.summary_path.empty()) {
        files.summary = analysis.ensemble() ? summary_file_text_with_intervals(
                                                  summary, ensemble.result, analysis.summary_path)
                                            : summary_file_text(summary, analysis.summary_path);
        if (data.given()) {
            files.summary = summary_with_objective(files.summary, analysis.summary_path, objective);
        }
    }
    PendingOutput fit_output;
    if (!data.fit_output.empty() &&
        !prepare_output(fit_output, "--fit-output=", data.fit_output, fit_text, error)) {
        return fail(error);
    }
    const bool trace_wanted = !analysis.summary || analysis.trace_given;
    if (!write_outputs(trace.get(), trace_wanted, files, request, analysis, error)) {
        return fail(error);
    }
    std::string reason;
    if (!fit_output.commit(reason)) {
        return fail("--fit-output=" + data.fit_output + ": the file could not be put in place (" +
                    reason + ")");
    }
    if (analysis.summary && data.given()) {
        if (!print_to_standard_output(
                summary_with_objective(readable_summary_of(summary), "", objective))) {
            return fail("--summary: standard output could not be written");
        }
    } else if (analysis.summary && !print_summary(summary, error)) {
        return fail(error);
    }
    if (analysis.summary && analysis.ensemble() &&
        !print_to_standard_output(readable_intervals(ensemble.result))) {
        return fail("--summary: standard output could not be written");
    }
    if (non_finite.step >= 0) return fail(non_finite_run_text(non_finite), EXIT_NOT_FINITE);
    return EXIT_DONE;
}

}  // namespace
}  // namespace morbilex::batch

int main(int argc, char* argv[]) {
    return morbilex::batch::run_batch(argc, argv);
}
