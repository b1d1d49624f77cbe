#include "batch/shards/sweep_merge.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <queue>
#include <string_view>
#include <utility>

#include "analysis/sweep_row_check.h"
#include "batch/posix/interrupt.h"
#include "batch/posix/output_file.h"
#include "batch/runs/compressed_output.h"
#include "batch/shards/shard_reader.h"
#include "batch/shards/sweep_manifest.h"

namespace morbilex::batch {
namespace {

struct ShardFile {
    ShardFile(const std::string& name, OpenShards& open, std::size_t block)
        : path(name), reader(name, open, block) {}
    std::string path;
    ShardReader reader;
    std::string line;  // the row read last
    long long line_number = 0;
    long long run_id = 0;
    long long rows = 0;
    const SweepManifest* manifest = nullptr;  // when the inputs have them
};

// What every row of the files shares: the header's fields (CSV) or the keys.
struct RowShape {
    bool json = false;
    std::string keys;
    std::size_t fields = 0;
    std::string from;  // the file it was read from
};

std::string where(const ShardFile& file) {
    return file.path + " line " + std::to_string(file.line_number) + ": ";
}

// The next line of the file whole; false at its end or on a line that cannot
// be a row (error set): one cut short of its end of line, or a blank one.
bool next_line(ShardFile& file, std::string& error) {
    std::string_view line;
    bool cut = false;
    const bool got = file.reader.next(line, cut, error);
    if (!got && !cut) return false;
    ++file.line_number;
    if (cut) {
        error = where(file) + "the last row is cut short (no end of line)";
        return false;
    }
    file.line.assign(line);
    if (file.line.empty()) {
        error = where(file) + "a blank line";
        return false;
    }
    return true;
}

// The next row of the file; false at its end or on a bad row (error set).
bool advance(ShardFile& file, const RowShape& shape, std::string& error) {
    if (!next_line(file, error)) return false;
    if (shape.json) {
        std::string keys;
        if (!json_row_keys(file.line, keys)) {
            error = where(file) + "not a whole JSON object (a row cut short?)";
            return false;
        }
        if (keys != shape.keys) {
            error = where(file) + "its keys differ from those of " + shape.from;
            return false;
        }
    } else if (const std::size_t fields = csv_field_count(file.line); fields != shape.fields) {
        error = where(file) + std::to_string(fields) + " fields where the header has " +
                std::to_string(shape.fields) + " (a row cut short?)";
        return false;
    }
    const long long previous = file.run_id;
    if (!row_run_id(file.line, shape.json, file.run_id)) {
        error = where(file) + "a row without a run_id: " + file.line.substr(0, 40);
        return false;
    }
    if (file.run_id <= previous) {
        error = where(file) + "run_id " + std::to_string(file.run_id) + " after " +
                std::to_string(previous) + " (not a shard's file in run_id order)";
        return false;
    }
    ++file.rows;
    if (const SweepManifest* manifest = file.manifest;
        manifest != nullptr &&
        !holds_shard(manifest->shards, (file.run_id - 1) % manifest->shard_count + 1)) {
        error = where(file) + "run_id " + std::to_string(file.run_id) + " is not of shard " +
                ranges_text(manifest->shards) + '/' + std::to_string(manifest->shard_count) +
                " its manifest names";
        return false;
    }
    return true;
}

// advance() that also checks, at the end of the file, the count of its rows.
bool advance_counted(ShardFile& file, const RowShape& shape, std::string& error) {
    if (advance(file, shape, error)) return true;
    if (error.empty() && file.manifest != nullptr && file.rows != file.manifest->rows) {
        error = file.path + ": " + std::to_string(file.rows) + " rows where its manifest says " +
                std::to_string(file.manifest->rows) + " (incomplete)";
    }
    return false;
}

struct Later {
    bool operator()(const ShardFile* a, const ShardFile* b) const { return a->run_id > b->run_id; }
};

bool refuse_output_as_input(const std::string& output, const std::vector<std::string>& inputs,
                            std::string& error) {
    std::error_code ignored;
    for (const std::string& input : inputs) {
        if (std::filesystem::equivalent(output, input, ignored)) {
            error = "the output is one of the files to join";
            return true;
        }
    }
    return false;
}

// Opens every file and reads its header (CSV) or the keys of its first row
// (JSON Lines): every file must have the same.
bool open_shards(const std::vector<std::string>& inputs, OpenShards& open,
                 std::vector<std::unique_ptr<ShardFile>>& files, RowShape& shape,
                 std::string& header, std::string& error) {
    // The blocks of all files together take at most about BUDGET bytes.
    constexpr std::size_t BUDGET = std::size_t{16} << 20;
    const std::size_t block = std::clamp<std::size_t>(BUDGET / inputs.size(), 1024, 1 << 20);
    for (const std::string& path : inputs) {
        auto file = std::make_unique<ShardFile>(path, open, block);
        bool empty = false;
        if (!file->reader.empty(empty, error)) return false;
        if (empty) {
            error = path + ": the file is empty (no header, no row)";
            return false;
        }
        if (!next_line(*file, error)) {
            if (error.empty()) error = path + ": the file could not be read";
            return false;
        }
        const bool file_json = file->line[0] == '{';
        std::string own = file->line;
        if (file_json && !json_row_keys(file->line, own)) {
            error = where(*file) + "not a whole JSON object (a row cut short?)";
            return false;
        }
        if (shape.from.empty()) {
            shape = {file_json, own, csv_field_count(own), path};
            header = file->line;
        } else if (file_json != shape.json || own != shape.keys) {
            error = path + ": its header differs from " + shape.from + "'s";
            return false;
        }
        if (file_json) {  // the first line is a row
            file->reader.again();
            file->line_number = 0;
        }
        files.push_back(std::move(file));
    }
    return true;
}

// The manifests of the inputs (IN.manifest), all of one sweep: none when no
// input has one.
bool read_manifests(const std::vector<std::string>& inputs, std::vector<SweepManifest>& manifests,
                    std::string& error) {
    std::size_t with = 0;
    std::error_code ignored;
    for (const std::string& input : inputs)
        with += std::filesystem::exists(input + ".manifest", ignored);
    if (with == 0) return true;
    if (with < inputs.size()) {
        std::size_t a = 0;
        std::size_t b = 0;
        for (std::size_t k = 0; k < inputs.size(); ++k) {
            (std::filesystem::exists(inputs[k] + ".manifest", ignored) ? a : b) = k;
        }
        error = inputs[a] + " has a manifest and " + inputs[b] +
                " has none: give the shards of one sweep, all with their manifests or none";
        return false;
    }
    manifests.resize(inputs.size());
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        if (!read_manifest(inputs[k] + ".manifest", manifests[k], error)) return false;
        const SweepManifest& first = manifests[0];
        const SweepManifest& own = manifests[k];
        std::string differs;
        const auto compare = [&](const char* what, const std::string& a, const std::string& b) {
            if (a != b)
                differs +=
                    std::string(differs.empty() ? "" : "; ") + what + " " + a + " against " + b;
        };
        compare("identity", first.identity, own.identity);
        compare("sweep", '"' + first.sweep + '"', '"' + own.sweep + '"');
        compare("rows_format", first.rows_format, own.rows_format);
        compare("shard count", std::to_string(first.shard_count), std::to_string(own.shard_count));
        if (!differs.empty()) {
            error =
                inputs[0] + " and " + inputs[k] + " are not shards of one sweep (" + differs + ")";
            return false;
        }
    }
    return true;
}

// The shards the manifests name, each once: their union, or false with the
// two files that share a shard.
bool join_shards(const std::vector<std::string>& inputs,
                 const std::vector<SweepManifest>& manifests, ShardRanges& all,
                 std::string& error) {
    std::vector<std::pair<std::pair<long long, long long>, std::size_t>> ranges;
    for (std::size_t k = 0; k < manifests.size(); ++k) {
        for (const auto& range : manifests[k].shards)
            ranges.push_back({range, k});
    }
    std::sort(ranges.begin(), ranges.end());
    all.clear();
    for (std::size_t r = 0; r < ranges.size(); ++r) {
        const auto [first, last] = ranges[r].first;
        if (r > 0 && first <= ranges[r - 1].first.second) {
            const std::size_t a = ranges[r - 1].second;
            const std::size_t b = ranges[r].second;
            error = inputs[a] + " and " + inputs[b] + " both hold shard " + std::to_string(first) +
                    '/' + std::to_string(manifests[0].shard_count);
            return false;
        }
        if (!all.empty() && first == all.back().second + 1) {
            all.back().second = last;
        } else {
            all.emplace_back(first, last);
        }
    }
    return true;
}

// The shards of 1 to count not in the ranges.
ShardRanges missing_shards(const ShardRanges& held, long long count) {
    ShardRanges missing;
    long long next = 1;
    for (const auto& [first, last] : held) {
        if (first > next) missing.emplace_back(next, first - 1);
        next = last + 1;
    }
    if (next <= count) missing.emplace_back(next, count);
    return missing;
}

// Whether OUT.manifest goes beside OUT: not on standard output or a device.
bool has_manifest_beside(const std::string& output) {
    return output != "-" && output.rfind("/dev/", 0) != 0;
}

// The run_ids missing below the largest one, told as ranges: 3,7-9.
class MissingRuns {
public:
    void add(long long first, long long last) {
        total_ += last - first + 1;
        if (ranges_.size() <= MOST_LISTED_RANGES) ranges_.emplace_back(first, last);
    }
    bool empty() const { return total_ == 0; }
    std::string text() const {
        if (total_ == 1) return "run_id " + std::to_string(ranges_[0].first) + " is missing";
        return "run_ids " + listed_ranges_text(ranges_) + " are missing" +
               (ranges_.size() > MOST_LISTED_RANGES ? " (" + std::to_string(total_) + " in all)"
                                                    : "");
    }

private:
    ShardRanges ranges_;  // the first MOST_LISTED_RANGES + 1
    long long total_ = 0;
};

bool merge_files(const std::string& output, const std::vector<std::string>& inputs, bool partial,
                 std::string& error) {
    if (refuse_output_as_input(output, inputs, error)) return false;
    std::vector<SweepManifest> manifests;
    ShardRanges shards;
    if (!read_manifests(inputs, manifests, error)) return false;
    if (!manifests.empty()) {
        if (!join_shards(inputs, manifests, shards, error)) return false;
        const ShardRanges missing = missing_shards(shards, manifests[0].shard_count);
        if (!partial && !missing.empty()) {
            long long total = 0;
            for (const auto& [first, last] : missing)
                total += last - first + 1;
            error = "missing shards: " + listed_ranges_text(missing) + " of " +
                    std::to_string(manifests[0].shard_count) +
                    (missing.size() > MOST_LISTED_RANGES ? " (" + std::to_string(total) + " in all)"
                                                         : "");
            return false;
        }
    }
    OpenShards open(OpenShards::allowed());
    std::vector<std::unique_ptr<ShardFile>> files;
    RowShape shape;
    std::string header;
    if (!open_shards(inputs, open, files, shape, header, error)) return false;
    std::priority_queue<ShardFile*, std::vector<ShardFile*>, Later> queue;
    for (std::size_t k = 0; k < files.size(); ++k) {
        ShardFile& file = *files[k];
        if (!manifests.empty()) {
            file.manifest = &manifests[k];
            if ((file.manifest->rows_format == "jsonl") != shape.json) {
                error = file.path +
                        ": its manifest says rows_format = " + file.manifest->rows_format +
                        " but the rows are " + (shape.json ? "JSON Lines" : "CSV");
                return false;
            }
        }
        if (advance_counted(file, shape, error)) queue.push(&file);
        if (!error.empty()) return false;
    }
    PendingOutput out;
    if (!out.open(output, error)) return false;
    CompressedOutput lines(out.stream(), is_compressed_path(output));
    if (!shape.json) lines.line(header);
    MissingRuns missing;
    long long rows = 0;
    for (long long expected = 1; !queue.empty(); ++rows) {
        if (interrupt_requested().load()) {
            error = "interrupted by " + signal_name(interrupt_signal()) + "; nothing written";
            return false;
        }
        ShardFile* file = queue.top();
        queue.pop();
        if (file->run_id < expected) {
            error = where(*file) + "run_id " + std::to_string(file->run_id) + " comes twice";
            return false;
        }
        if (file->run_id == std::numeric_limits<long long>::max()) {
            error = where(*file) + "run_id " + std::to_string(file->run_id) +
                    " is beyond any sweep's scenarios";
            return false;
        }
        // Every gap is told at the end; the rows after one are not written.
        if (file->run_id > expected && !partial) missing.add(expected, file->run_id - 1);
        expected = file->run_id + 1;
        if (missing.empty()) {
            lines.line(file->line);
        }
        if (advance_counted(*file, shape, error)) queue.push(file);
        if (!error.empty()) return false;
    }
    if (!missing.empty()) {
        error = missing.text();
        return false;
    }
    if (!lines.finish()) {
        error = "the rows could not be written";
        return false;
    }
    if (!out.finish(error)) return false;
    PendingOutput told;
    if (!manifests.empty() && has_manifest_beside(output)) {
        SweepManifest merged = manifests[0];
        merged.shards = shards;
        if (missing_shards(shards, merged.shard_count).empty()) {
            merged.shards = {{1, 1}};
            merged.shard_count = 1;
        }
        merged.rows = rows;
        if (!prepare_output(told, "", output + ".manifest", sweep_manifest_text(merged), error))
            return false;
    }
    return out.commit(error) && told.commit(error);
}

}  // namespace

bool merge_shard_files(const std::string& output, const std::vector<std::string>& inputs,
                       bool partial, std::string& error) {
    if (merge_files(output, inputs, partial, error)) return true;
    error = "--merge=" + output + ": " + error;
    return false;
}

}  // namespace morbilex::batch
