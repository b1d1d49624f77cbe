#include "batch/sweep_merge.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <queue>
#include <string_view>

#include "batch/output_file.h"

namespace morbilex::batch {
namespace {

constexpr std::string_view JSON_RUN_ID = "{\"run_id\":";

// What a row of either format starts with: its run_id.
bool run_id_of(std::string_view line, bool json, long long& run_id) {
    if (json) {
        if (line.substr(0, JSON_RUN_ID.size()) != JSON_RUN_ID) return false;
        line.remove_prefix(JSON_RUN_ID.size());
    }
    const auto [end, status] = std::from_chars(line.data(), line.data() + line.size(), run_id);
    return status == std::errc() && end != line.data() && run_id >= 1;
}

// The keys of a JSON Lines row, in order: what a header is to CSV.
std::string keys_of(std::string_view line) {
    std::string keys;
    for (std::size_t at = 0; (at = line.find("\":", at)) != std::string_view::npos; at += 2) {
        const std::size_t open = line.rfind('"', at - 1);
        keys.append(line.substr(open, at - open + 1));
    }
    return keys;
}

struct ShardFile {
    std::string path;
    std::ifstream stream;
    std::string line;  // the row read last
    long long run_id = 0;
};

// The next row of the file; false at its end or on a bad row (error set).
bool advance(ShardFile& file, bool json, std::string& error) {
    if (!std::getline(file.stream, file.line) || file.line.empty()) {
        if (file.stream.bad()) error = file.path + ": the file could not be read";
        return false;
    }
    const long long previous = file.run_id;
    if (!run_id_of(file.line, json, file.run_id)) {
        error = file.path + ": a row without a run_id: " + file.line.substr(0, 40);
        return false;
    }
    if (file.run_id <= previous) {
        error = file.path + ": run_id " + std::to_string(file.run_id) + " after " +
                std::to_string(previous) + " (not a shard's file in run_id order)";
        return false;
    }
    return true;
}

struct Later {
    bool operator()(const ShardFile* a, const ShardFile* b) const { return a->run_id > b->run_id; }
};

bool refuse_output_as_input(const std::string& output, const std::vector<std::string>& inputs,
                            std::string& error) {
    std::error_code ignored;
    for (const std::string& input : inputs) {
        if (std::filesystem::equivalent(output, input, ignored)) {
            error = "--merge=" + output + ": the output is one of the files to join";
            return true;
        }
    }
    return false;
}

// Opens every file and reads its header (CSV) or first row (JSON Lines).
bool open_shards(const std::vector<std::string>& inputs,
                 std::vector<std::unique_ptr<ShardFile>>& files, bool& json, std::string& header,
                 std::string& error) {
    std::string signature, signature_from;
    for (const std::string& path : inputs) {
        auto file = std::make_unique<ShardFile>();
        file->path = path;
        file->stream.open(path, std::ios::binary);
        if (!file->stream) {
            error = path + ": the file cannot be opened (" + std::strerror(errno) + ")";
            return false;
        }
        const std::streampos start = file->stream.tellg();
        std::string first;
        std::getline(file->stream, first);
        // An empty file (a shard of JSON Lines without rows) says nothing.
        const bool file_json = first.substr(0, 1) == "{";
        const std::string own = file_json ? keys_of(first) : first;
        if (!first.empty() && signature_from.empty()) {
            json = file_json;
            signature = own;
            header = first;
            signature_from = path;
        } else if (!first.empty() && (file_json != json || own != signature)) {
            error = path + ": its header differs from " + signature_from + "'s";
            return false;
        }
        if (file_json) file->stream.seekg(start);  // the first line is a row
        files.push_back(std::move(file));
    }
    return true;
}

}  // namespace

bool merge_shard_files(const std::string& output, const std::vector<std::string>& inputs,
                       std::string& error) {
    if (refuse_output_as_input(output, inputs, error)) return false;
    std::vector<std::unique_ptr<ShardFile>> files;
    bool json = false;
    std::string header;
    if (!open_shards(inputs, files, json, header, error)) return false;
    std::priority_queue<ShardFile*, std::vector<ShardFile*>, Later> queue;
    for (auto& file : files) {
        if (advance(*file, json, error)) queue.push(file.get());
        if (!error.empty()) return false;
    }
    PendingOutput out;
    if (!out.open(output, error)) {
        error = output + ": " + error;
        return false;
    }
    if (!json) std::fprintf(out.stream(), "%s\n", header.c_str());
    for (long long expected = 1; !queue.empty(); ++expected) {
        ShardFile* file = queue.top();
        queue.pop();
        if (file->run_id != expected) {
            error =
                file->run_id < expected
                    ? file->path + ": run_id " + std::to_string(file->run_id) + " comes twice"
                    : "--merge=" + output + ": run_id " + std::to_string(expected) + " is missing";
            return false;
        }
        std::fputs(file->line.c_str(), out.stream());
        std::fputc('\n', out.stream());
        if (advance(*file, json, error)) queue.push(file);
        if (!error.empty()) return false;
    }
    if (out.finish(error) && out.commit(error)) return true;
    error = "--merge=" + output + ": " + error;
    return false;
}

}  // namespace morbilex::batch
