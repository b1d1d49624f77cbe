// The analysis commands of morbilex-batch: a sweep or its count, and the joining of shards.
#include "batch/sweep_main.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "batch/compressed_output.h"
#include "batch/interrupt.h"
#include "batch/output_file.h"
#include "batch/sweep_chart_data.h"
#include "batch/sweep_chart_file.h"
#include "batch/sweep_checks.h"
#include "batch/sweep_manifest.h"
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

SweepManifest manifest_of(const AnalysisOptions& options, const SweepPlan& plan, long long rows) {
    SweepManifest manifest;
    manifest.program = program_version_text();
    manifest.sweep = options.sweep_definition;
    manifest.identity = sweep_identity(manifest.sweep);
    manifest.rows_format = options.format == RowFormat::JsonLines ? "jsonl" : "csv";
    manifest.shard_index = options.shard.index;
    manifest.shard_count = options.shard.count;
    manifest.rows = rows < 0 ? options.shard.size(plan.grid.size()) : rows;
    return manifest;
}

// The chart of a finished sweep, ready to be put in place.
bool prepare_chart(const SweepChartData& data, const BatchRequest& request, PendingOutput& output,
                   std::string& error) {
    std::string bytes;
    return draw_sweep_chart(data.contents(), request, bytes, error) &&
           prepare_output(output, "--chart=", request.chart_path, bytes, error);
}

// The status of a run ended by a signal: 128 + the signal, as a shell tells it.
int interrupted_status() {
    return 128 + interrupt_signal();
}

std::string interrupted_text() {
    return "interrupted by " + signal_name(interrupt_signal());
}

// Reads a file as it is, or through zlib when compressed.
class PartialReader {
public:
    PartialReader(const std::string& path, bool compressed) {
        if (compressed)
            gz_ = gzopen(path.c_str(), "rb");
        else
            plain_ = std::fopen(path.c_str(), "rb");
    }
    PartialReader(const PartialReader&) = delete;
    PartialReader& operator=(const PartialReader&) = delete;
    ~PartialReader() {
        if (gz_ != nullptr) gzclose(gz_);
        if (plain_ != nullptr) std::fclose(plain_);
    }
    // The bytes read into chunk (0 at the end), or -1 when it cannot be read.
    long long read(std::string& chunk) {
        if (gz_ != nullptr) return gzread(gz_, chunk.data(), static_cast<unsigned>(chunk.size()));
        if (plain_ == nullptr) return -1;
        const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), plain_);
        return std::ferror(plain_) != 0 ? -1 : static_cast<long long>(got);
    }

private:
    gzFile gz_ = nullptr;
    std::FILE* plain_ = nullptr;
};

// Copies the complete lines of the partial file to out: its header, if any,
// and its rows, counted in progress (skip); false with the reason.
bool copy_partial(const std::string& path, bool csv, CompressedOutput& out, SweepProgress& progress,
                  std::string& error) {
    PartialReader in(path, out.compressed());
    std::string chunk(1 << 20, '\0'), pending;
    long long lines = 0;
    for (;;) {
        const long long got = in.read(chunk);
        if (got < 0) {
            error = path + ": the file could not be read";
            return false;
        }
        if (got == 0) break;
        pending.append(chunk.data(), static_cast<std::size_t>(got));
        const std::size_t end = pending.rfind('\n');
        if (end == std::string::npos) continue;
        lines += std::count(pending.begin(), pending.begin() + end + 1, '\n');
        if (!out.write(std::string_view(pending).substr(0, end + 1))) {
            error = "the rows could not be written";
            return false;
        }
        pending.erase(0, end + 1);
    }
    progress.header = csv && lines == 0;
    progress.skip = csv && lines > 0 ? lines - 1 : lines;
    return true;
}

// Starts out with the rows of OUTPUT.partial when it belongs to this sweep.
bool resume_from(const AnalysisOptions& options, const SweepPlan& plan, const std::string& partial,
                 CompressedOutput& out, SweepProgress& progress, std::string& error) {
    std::error_code ignored;
    if (!std::filesystem::exists(partial, ignored)) {
        error = "--resume: there is no " + partial + " (no interrupted run of this output)";
        return false;
    }
    SweepManifest kept;
    if (!read_sweep_manifest(partial + ".manifest", kept, error)) {
        error = "--resume: " + error;
        return false;
    }
    const SweepManifest now = manifest_of(options, plan, -1);
    if (kept.identity != now.identity || kept.sweep != now.sweep) {
        error = "--resume: " + partial + " belongs to another sweep (" + kept.sweep + ")";
        return false;
    }
    if (kept.rows_format != now.rows_format || kept.shard_index != now.shard_index ||
        kept.shard_count != now.shard_count) {
        error = "--resume: " + partial + " holds " + kept.rows_format + " rows of shard " +
                std::to_string(kept.shard_index) + "/" + std::to_string(kept.shard_count);
        return false;
    }
    if (!copy_partial(partial, now.rows_format == "csv", out, progress, error)) {
        error = "--resume: " + error;
        return false;
    }
    return true;
}

// An interrupted sweep: the rows written go to OUTPUT.partial with their
// manifest, and the output stays as it was.
int keep_partial(const AnalysisOptions& options, const SweepPlan& plan, PendingOutput& file,
                 bool flushed, const SweepProgress& progress, std::string& error) {
    if (!file.replaces()) {
        error = interrupted_text() + "; every row written is complete";
        return interrupted_status();
    }
    const std::string partial = options.output_path + ".partial";
    const long long rows = progress.skip + progress.rows;
    PendingOutput manifest;
    std::string reason;
    if (!flushed ||
        !prepare_output(manifest, "--output=", partial + ".manifest",
                        sweep_manifest_text(manifest_of(options, plan, rows)), reason) ||
        !file.commit_as(partial, reason) || !manifest.commit(reason)) {
        error = interrupted_text() + "; the rows written could not be kept (" +
                (reason.empty() ? error : reason) + ")";
        return interrupted_status();
    }
    error = interrupted_text() + "; the " + std::to_string(rows) + " complete rows are kept in " +
            partial + " (--resume continues)";
    return interrupted_status();
}

// False with the reason when the output holds another shard of this sweep:
// the tasks of a job array all given one --output would replace each other.
bool check_other_shard(const AnalysisOptions& options, const SweepPlan& plan, std::string& error) {
    SweepManifest held;
    std::string ignored;
    if (!read_sweep_manifest(options.output_path + ".manifest", held, ignored)) return true;
    const SweepManifest now = manifest_of(options, plan, -1);
    if (held.identity != now.identity || held.sweep != now.sweep ||
        held.shard_count != now.shard_count || held.shard_index == now.shard_index) {
        return true;
    }
    error = "--output=" + options.output_path + ": it holds shard " +
            std::to_string(held.shard_index) + "/" + std::to_string(held.shard_count) +
            " of this sweep; give each shard its own output (or remove it first)";
    return false;
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
    if (options.resume && !request.chart_path.empty()) {
        return fail(error, "--resume: --chart needs every scenario in one run", EXIT_WRONG_OPTION);
    }
    const InterruptHandler handler;
    OutputLock lock;
    if (!lock.take("--output=", options.output_path, error)) return EXIT_FAILED;
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
        if (!resume_from(options, plan, partial, out, progress, error)) return EXIT_FAILED;
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
        if (merge_shard_files(options.merge_output, options.merge_inputs, options.merge_partial,
                              error)) {
            return EXIT_DONE;
        }
        return interrupt_signal() != 0 ? interrupted_status() : EXIT_FAILED;
    }
    return sweep_command(options, request, error);
}

}  // namespace morbilex::batch
