// morbilex-batch: one run of the model from the command line, for scripts and
// tests. The fields go through the same dialog protocol as in the windowed
// programs; unlike them, every refusal and failure is reported.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_options.h"
#include "batch/sweep_main.h"
#include "batch/sweep_options.h"
#include "model/simulation.h"
#include "shell/dialogs.h"
#include "shell/messages.h"

#ifndef MORBILEX_BATCH_CHART
#define MORBILEX_BATCH_CHART 0  // set by the build once it knows
#endif
#if MORBILEX_BATCH_CHART
#include "chart/chart.h"
#include "qt/chart_export.h"
#endif

namespace morbilex::batch {
namespace {

constexpr int EXIT_DONE = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_WRONG_OPTION = 2;

// One line on standard error, then the exit status.
int fail(const std::string& reason, int status = EXIT_FAILED) {
    std::fprintf(stderr, "morbilex-batch: %s\n", reason.c_str());
    return status;
}

std::string describe_refusal(const DialogTable& table, const Refusal& refusal,
                             const BatchRequest& request) {
    const FieldSpec* field = find_field(table, refusal.control_id);
    const std::string name = field ? field->name : "?";
    for (const TypedField& typed : request.typed) {
        if (typed.field == field) {
            return "--" + name + "=" + typed.text + " refused: " + refusal_words(refusal.reason);
        }
    }
    return "--" + name + " (not given, left as shown) refused: " + refusal_words(refusal.reason);
}

// Opens each dialog that has typed fields, types them and presses OK.
bool apply_dialogs(Records& records, const BatchRequest& request, std::string& error) {
    SetupRefusal refused;
    if (apply_typed_fields(records, request.typed, refused)) return true;
    error = describe_refusal(*refused.table, refused.refusal, request);
    return false;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The run, with its trace kept aside until every output can be written.
bool run_into(Records& records, InterventionMode mode, std::FILE* trace, std::string& error) {
    records.mode = mode;
    const int result = run_simulation_to_stream(records, mode, trace);
    if (result == RUN_COMPLETED) return true;
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

bool write_trace(std::FILE* trace, const std::string& path, std::string& error) {
    if (path.empty() || path == "-") {
        if (copy_stream(trace, stdout)) return true;
        error = "the trace could not be written to standard output";
        return false;
    }
    std::FILE* out = std::fopen(path.c_str(), "w");
    bool written = out != nullptr && copy_stream(trace, out);
    if (out != nullptr) written = std::fclose(out) == 0 && written;
    if (written) return true;
    if (out != nullptr) std::remove(path.c_str());
    error = "--trace=" + path + ": the file could not be written";
    return false;
}

bool chart_export_available() {
    return MORBILEX_BATCH_CHART != 0;
}

bool write_chart(Records& records, const BatchRequest& request, std::string& error) {
#if MORBILEX_BATCH_CHART
    SeriesColours colours;
    init_series_colours(colours);
    std::string reason;
    std::error_code ignored;
    const bool existed = std::filesystem::exists(request.chart_path, ignored);
    if (export_chart(records, colours, request.chart_path, request.chart_width,
                     request.chart_height, reason)) {
        return true;
    }
    if (!existed) std::filesystem::remove(request.chart_path, ignored);
    error = "--chart=" + request.chart_path + ": " + reason;
    return false;
#else
    (void)records;
    (void)request;
    (void)error;
    return false;
#endif
}

bool wants_help(int argc, const char* const argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return true;
    }
    return false;
}

int run_batch(int argc, const char* const argv[]) {
    if (wants_help(argc, argv)) {
        std::fputs((usage_text() + analysis_usage_text()).c_str(), stdout);
        return EXIT_DONE;
    }
    AnalysisOptions analysis;
    std::vector<const char*> rest;
    BatchRequest request;
    std::string error;
    if (!split_analysis_options(argc, argv, analysis, rest, error) ||
        !parse_options(static_cast<int>(rest.size()), rest.data(), request, error)) {
        return fail(error, EXIT_WRONG_OPTION);
    }
    if (analysis.sweep() || analysis.merge()) {
        const int status = run_analysis_command(analysis, request, error);
        return status == EXIT_DONE ? status : fail(error, status);
    }
    if (!request.chart_path.empty() && !chart_export_available()) {
        return fail(
            "--chart: this build has no chart export (the Qt 6 painter library was not built)");
    }
    auto records = std::make_unique<Records>();
    if (!apply_dialogs(*records, request, error)) return fail(error);
    const File trace(std::tmpfile());
    if (!trace) return fail("no temporary file for the trace could be made");
    if (!run_into(*records, request.mode, trace.get(), error)) return fail(error);
    if (!request.chart_path.empty() && !write_chart(*records, request, error)) return fail(error);
    // The readable summary takes standard output: the trace goes only where --trace says.
    const bool trace_wanted = !analysis.summary || analysis.trace_given;
    if (trace_wanted && !write_trace(trace.get(), request.trace_path, error)) {
        std::error_code ignored;
        if (!request.chart_path.empty()) std::filesystem::remove(request.chart_path, ignored);
        return fail(error);
    }
    const bool summary_wanted = analysis.summary || !analysis.summary_path.empty();
    if (summary_wanted && !write_run_summary(*records, request.mode, analysis, error)) {
        return fail(error);
    }
    return EXIT_DONE;
}

}  // namespace
}  // namespace morbilex::batch

int main(int argc, char* argv[]) {
    return morbilex::batch::run_batch(argc, argv);
}
