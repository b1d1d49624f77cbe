// A sweep's rows kept and taken up again: OUTPUT.partial and its manifest
// when a signal stops the sweep, and --resume from them.
#include "batch/sweep_partial.h"

#include <zlib.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "batch/interrupt.h"

namespace morbilex::batch {
namespace {

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

// The run_id a row starts with, CSV or JSON Lines; 0 when there is none.
long long run_id_of(std::string_view line, bool csv) {
    constexpr std::string_view JSON_START = "{\"run_id\":";
    if (!csv) {
        if (line.substr(0, JSON_START.size()) != JSON_START) return 0;
        line.remove_prefix(JSON_START.size());
    }
    long long run_id = 0;
    const auto [end, status] = std::from_chars(line.data(), line.data() + line.size(), run_id);
    const bool ends = end < line.data() + line.size() && *end == ',';
    return status == std::errc() && end != line.data() && ends ? run_id : 0;
}

// Copies the complete lines of the partial file to out: its header, if any,
// and its rows, counted in progress (skip). The header must be this sweep's
// and the rows its shard's first ones in order, as many as kept says; false
// with the reason.
bool copy_partial(const std::string& path, const SweepPlan& plan, const Shard& shard,
                  const SweepManifest& kept, bool csv, CompressedOutput& out,
                  SweepProgress& progress, std::string& error) {
    PartialReader in(path, out.compressed());
    const std::string header = csv ? sweep_csv_header(plan.grid) : "";
    std::string chunk(1 << 20, '\0'), pending;
    long long lines = 0;
    long long rows = 0;
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
        for (std::size_t at = 0; at <= end;) {
            const std::size_t stop = pending.find('\n', at);
            const std::string_view line = std::string_view(pending).substr(at, stop + 1 - at);
            at = stop + 1;
            if (++lines == 1 && csv) {
                if (line == header) continue;
                error = path + " line 1: not the header of this sweep's rows";
                return false;
            }
            const long long expected = shard.run_id(rows++);
            const long long run_id = run_id_of(line.substr(0, line.size() - 1), csv);
            if (run_id != expected) {
                error =
                    path + " line " + std::to_string(lines) + ": " +
                    (run_id == 0 ? "a row without a run_id" : "run_id " + std::to_string(run_id)) +
                    " where run_id " + std::to_string(expected) +
                    " comes next (the file was changed since it was kept)";
                return false;
            }
        }
        if (!out.write(std::string_view(pending).substr(0, end + 1))) {
            error = "the rows could not be written";
            return false;
        }
        pending.erase(0, end + 1);
    }
    if (rows != kept.rows) {
        error = path + ": " + std::to_string(rows) + " rows where its manifest says " +
                std::to_string(kept.rows) + " (the file was changed since it was kept)";
        return false;
    }
    progress.header = csv && lines == 0;
    progress.skip = rows;
    return true;
}

// Whether the manifest tells the same sweep, format and shard as now.
bool same_shard(const SweepManifest& held, const SweepManifest& now) {
    return held.identity == now.identity && held.sweep == now.sweep &&
           held.rows_format == now.rows_format && held.shard_index == now.shard_index &&
           held.shard_count == now.shard_count;
}

}  // namespace

SweepManifest manifest_of(const AnalysisOptions& options, const SweepPlan& plan, long long rows) {
    SweepManifest manifest;
    manifest.program = program_version_text();
    manifest.sweep = options.sweep_definition;
    manifest.identity = options.sweep_identity;
    manifest.rows_format = options.format == RowFormat::JsonLines ? "jsonl" : "csv";
    manifest.shard_index = options.shard.index;
    manifest.shard_count = options.shard.count;
    manifest.rows = rows < 0 ? options.shard.size(plan.grid.size()) : rows;
    return manifest;
}

// The status of a run ended by a signal: 128 + the signal, as a shell tells it.
int interrupted_status() {
    return 128 + interrupt_signal();
}

std::string interrupted_text() {
    return "interrupted by " + signal_name(interrupt_signal());
}

ResumeStart resume_start(const AnalysisOptions& options, const SweepPlan& plan,
                         const std::string& partial, std::string& note) {
    std::error_code ignored;
    if (std::filesystem::exists(partial, ignored)) return ResumeStart::FromPartial;
    const SweepManifest now = manifest_of(options, plan, -1);
    SweepManifest held;
    std::string unread;
    if (std::filesystem::is_regular_file(options.output_path, ignored) &&
        read_sweep_manifest(options.output_path + ".manifest", held, unread) &&
        same_shard(held, now) && held.rows == now.rows) {
        note = "--resume: " + options.output_path + " holds every row of this sweep" +
               (now.shard_count > 1 ? "'s shard " + std::to_string(now.shard_index) + "/" +
                                          std::to_string(now.shard_count)
                                    : std::string()) +
               " already (" + std::to_string(now.rows) + "); nothing to do";
        return ResumeStart::Complete;
    }
    note = "--resume: there is no " + partial + " to continue; the sweep starts from the first row";
    return ResumeStart::FromStart;
}

// Starts out with the rows of OUTPUT.partial when it belongs to this sweep.
bool resume_from(const AnalysisOptions& options, const SweepPlan& plan, const std::string& partial,
                 CompressedOutput& out, SweepProgress& progress, std::string& error) {
    SweepManifest kept;
    if (!read_sweep_manifest(partial + ".manifest", kept, error)) {
        error = "--resume: " + error;
        return false;
    }
    const SweepManifest now = manifest_of(options, plan, -1);
    const std::string again = "; run it again without --resume";
    if (kept.program != now.program) {
        error = "--resume: " + partial + " was written by " + kept.program + ", not by this " +
                now.program + again;
        return false;
    }
    if (kept.sweep != now.sweep) {
        error = "--resume: " + partial + " belongs to another sweep (" + kept.sweep + ")";
        return false;
    }
    if (kept.identity != now.identity) {
        error = "--resume: " + partial +
                " belongs to another sweep: a file the sweep reads (--scenario, --scenarios) "
                "changed since" +
                again;
        return false;
    }
    if (!same_shard(kept, now)) {
        error = "--resume: " + partial + " holds " + kept.rows_format + " rows of shard " +
                std::to_string(kept.shard_index) + "/" + std::to_string(kept.shard_count);
        return false;
    }
    if (kept.rows > now.rows) {
        error = "--resume: " + partial + ": " + std::to_string(kept.rows) +
                " rows where the shard has " + std::to_string(now.rows) + again;
        return false;
    }
    if (!copy_partial(partial, plan, options.shard, kept, now.rows_format == "csv", out, progress,
                      error)) {
        error = "--resume: " + error + again;
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

}  // namespace morbilex::batch
