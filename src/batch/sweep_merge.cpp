#include "batch/sweep_merge.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <queue>
#include <string_view>
#include <utility>

#include "batch/interrupt.h"
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

// Moves past the JSON string that opens at `at`; false if it never closes.
bool skip_json_string(std::string_view line, std::size_t& at) {
    for (++at; at < line.size(); ++at) {
        if (line[at] == '\\') {
            ++at;
        } else if (line[at] == '"') {
            ++at;
            return true;
        }
    }
    return false;
}

// A value that is not a string: a number, null, true or false.
bool bare_json_value(std::string_view token) {
    if (token == "null" || token == "true" || token == "false") return true;
    double number = 0.0;
    const auto [end, status] = std::from_chars(token.data(), token.data() + token.size(), number);
    return status == std::errc() && end == token.data() + token.size() &&
           (token[0] == '-' || (token[0] >= '0' && token[0] <= '9'));
}

// The keys of a JSON Lines row, in order: what a header is to CSV. False
// unless the row is one whole flat object, as a sweep writes it.
bool keys_of(std::string_view line, std::string& keys) {
    keys.clear();
    if (line.size() < 2 || line[0] != '{') return false;
    if (line == "{}") return true;
    for (std::size_t at = 1;;) {
        const std::size_t open = at;
        if (at >= line.size() || line[at] != '"' || !skip_json_string(line, at)) return false;
        if (at >= line.size() || line[at] != ':') return false;
        keys.append(line.substr(open, ++at - open));
        if (at < line.size() && line[at] == '"') {
            if (!skip_json_string(line, at)) return false;
        } else {
            const std::size_t value = at;
            at = std::min(line.find_first_of(",}", at), line.size());
            if (at == value || !bare_json_value(line.substr(value, at - value))) return false;
        }
        if (at >= line.size()) return false;
        if (line[at] == '}') return at + 1 == line.size();
        ++at;  // past the comma
    }
}

// The fields of a CSV line; a comma between quotes is inside a field.
std::size_t csv_field_count(std::string_view line) {
    std::size_t fields = 1;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) ++fields;
    }
    return fields;
}

struct ShardFile {
    std::string path;
    std::ifstream stream;
    std::string line;  // the row read last
    long long line_number = 0;
    long long run_id = 0;
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
    if (!std::getline(file.stream, file.line)) {
        if (file.stream.bad()) error = file.path + ": the file could not be read";
        return false;
    }
    ++file.line_number;
    if (file.stream.eof()) {
        error = where(file) + "the last row is cut short (no end of line)";
        return false;
    }
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
        if (!keys_of(file.line, keys)) {
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
    if (!run_id_of(file.line, shape.json, file.run_id)) {
        error = where(file) + "a row without a run_id: " + file.line.substr(0, 40);
        return false;
    }
    if (file.run_id <= previous) {
        error = where(file) + "run_id " + std::to_string(file.run_id) + " after " +
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
            error = "the output is one of the files to join";
            return true;
        }
    }
    return false;
}

// Opens every file and reads its header (CSV) or the keys of its first row
// (JSON Lines): every file must have the same.
bool open_shards(const std::vector<std::string>& inputs,
                 std::vector<std::unique_ptr<ShardFile>>& files, RowShape& shape,
                 std::string& header, std::string& error) {
    for (const std::string& path : inputs) {
        auto file = std::make_unique<ShardFile>();
        file->path = path;
        file->stream.open(path, std::ios::binary);
        if (!file->stream) {
            error = path + ": the file cannot be opened (" + std::strerror(errno) + ")";
            return false;
        }
        const std::streampos start = file->stream.tellg();
        if (file->stream.peek() == std::ifstream::traits_type::eof()) {
            error = path + (file->stream.bad() ? ": the file could not be read"
                                               : ": the file is empty (no header, no row)");
            return false;
        }
        if (!next_line(*file, error)) {
            if (error.empty()) error = path + ": the file could not be read";
            return false;
        }
        const bool file_json = file->line[0] == '{';
        std::string own = file->line;
        if (file_json && !keys_of(file->line, own)) {
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
            file->stream.seekg(start);
            file->line_number = 0;
        }
        files.push_back(std::move(file));
    }
    return true;
}

// The run_ids missing below the largest one, told as ranges: 3,7-9.
class MissingRuns {
public:
    void add(long long first, long long last) {
        total_ += last - first + 1;
        if (ranges_.size() <= MOST_RANGES) ranges_.emplace_back(first, last);
    }
    bool empty() const { return total_ == 0; }
    std::string text() const {
        if (total_ == 1) return "run_id " + std::to_string(ranges_[0].first) + " is missing";
        std::string list;
        for (std::size_t k = 0; k < std::min(ranges_.size(), MOST_RANGES); ++k) {
            const auto [first, last] = ranges_[k];
            if (k > 0) list += ',';
            list += std::to_string(first);
            if (last > first) list += '-' + std::to_string(last);
        }
        if (ranges_.size() <= MOST_RANGES) return "run_ids " + list + " are missing";
        return "run_ids " + list + ",... are missing (" + std::to_string(total_) + " in all)";
    }

private:
    static constexpr std::size_t MOST_RANGES = 20;
    std::vector<std::pair<long long, long long>> ranges_;  // the first MOST_RANGES + 1
    long long total_ = 0;
};

bool merge_files(const std::string& output, const std::vector<std::string>& inputs,
                 std::string& error) {
    if (refuse_output_as_input(output, inputs, error)) return false;
    std::vector<std::unique_ptr<ShardFile>> files;
    RowShape shape;
    std::string header;
    if (!open_shards(inputs, files, shape, header, error)) return false;
    std::priority_queue<ShardFile*, std::vector<ShardFile*>, Later> queue;
    for (auto& file : files) {
        if (advance(*file, shape, error)) queue.push(file.get());
        if (!error.empty()) return false;
    }
    PendingOutput out;
    if (!out.open(output, error)) return false;
    if (!shape.json) std::fprintf(out.stream(), "%s\n", header.c_str());
    MissingRuns missing;
    for (long long expected = 1; !queue.empty();) {
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
        // Every gap is told at the end; the rows after one are not written.
        if (file->run_id > expected) missing.add(expected, file->run_id - 1);
        expected = file->run_id + 1;
        if (missing.empty()) {
            std::fputs(file->line.c_str(), out.stream());
            std::fputc('\n', out.stream());
        }
        if (advance(*file, shape, error)) queue.push(file);
        if (!error.empty()) return false;
    }
    if (!missing.empty()) {
        error = missing.text();
        return false;
    }
    return out.finish(error) && out.commit(error);
}

}  // namespace

bool merge_shard_files(const std::string& output, const std::vector<std::string>& inputs,
                       std::string& error) {
    if (merge_files(output, inputs, error)) return true;
    error = "--merge=" + output + ": " + error;
    return false;
}

}  // namespace morbilex::batch
