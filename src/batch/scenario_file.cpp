#include "batch/scenario_file.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "shell/quoted_text.h"

namespace morbilex::batch {
namespace {

// The file's lines, read a block at a time through zlib, which hands a plain
// file's bytes over as they are and decompresses a gzip-compressed one. A
// build without zlib reads plain files itself and refuses compressed ones.
class LineReader {
public:
    explicit LineReader(std::FILE* file) : file_(file) {
        const int descriptor = dup(fileno(file));
        if (descriptor >= 0) gz_ = gzdopen(descriptor, "rb");
        if (descriptor >= 0 && gz_ == nullptr) close(descriptor);
    }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader() {
        if (gz_ != nullptr) gzclose(gz_);
    }

    // The next line without its end; false at the end (error empty) or with
    // the reason the file cannot be read.
    bool next(std::string_view& line, std::string& error) {
        for (;;) {
            // Only bytes not looked at yet: a long line is searched once.
            const std::size_t end = buffer_.find('\n', std::max(start_, searched_));
            if (end != std::string::npos) {
                line = std::string_view(buffer_).substr(start_, end - start_);
                start_ = end + 1;
                return true;
            }
            if (ended_) {
                if (start_ == buffer_.size()) return false;
                line = std::string_view(buffer_).substr(start_);  // the last line, unended
                start_ = buffer_.size();
                return true;
            }
            buffer_.erase(0, start_);
            start_ = 0;
            searched_ = buffer_.size();
            if (!fill(error)) return false;
        }
    }

private:
    bool fill(std::string& error) {
        constexpr std::size_t BLOCK = 1 << 16;
        const std::size_t kept = buffer_.size();
        buffer_.resize(kept + BLOCK);
        long long got = 0;
        if (gz_ != nullptr) {
            got = gzread(gz_, buffer_.data() + kept, BLOCK);
            int code = Z_OK;
            const char* reason = gzerror(gz_, &code);
            if (got < 0 || (got == 0 && code != Z_OK)) {
                // zlib names a system error's file "<fd:N>": the message names it.
                std::string_view why = reason;
                if (const std::size_t named = why.find(">: ");
                    why.starts_with("<fd:") && named != std::string_view::npos) {
                    why.remove_prefix(named + 3);
                }
                error = code == Z_BUF_ERROR ? std::string("the compressed file is cut short")
                                            : "the file cannot be read (" + std::string(why) + ")";
                return false;
            }
        } else {
            got = static_cast<long long>(std::fread(buffer_.data() + kept, 1, BLOCK, file_));
            if (std::ferror(file_)) {
                error = std::string("the file cannot be read (") + std::strerror(errno) + ")";
                return false;
            }
            if (!checked_ && kept + got >= 2) {
                checked_ = true;
                if (buffer_[0] == '\x1f' && buffer_[1] == '\x8b') {
                    error =
                        "the file is gzip-compressed, and this build reads no compressed file "
                        "(decompress it first)";
                    return false;
                }
            }
        }
        buffer_.resize(kept + static_cast<std::size_t>(got));
        ended_ = got == 0;
        return true;
    }

    std::FILE* file_;
    gzFile gz_ = nullptr;
    std::string buffer_;
    std::size_t start_ = 0;
    std::size_t searched_ = 0;
    bool ended_ = false;
    bool checked_ = false;
};

// Calls take(cell) for each comma-separated cell; their count.
template <typename Take>
std::size_t for_each_cell(std::string_view line, Take take) {
    std::size_t count = 0;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        take(line.substr(start, comma - start));
        ++count;
        if (comma == std::string_view::npos) return count;
        start = comma + 1;
    }
}

bool read_header(std::string_view line, ScenarioTable& table, const std::string& at,
                 std::string& error) {
    bool read = true;
    for_each_cell(line, [&](std::string_view name) {
        if (!read) return;
        read = false;
        ScenarioColumn column;
        column.is_mode = name == "mode";
        if (!column.is_mode && !find_editable_field(name, column.field)) {
            error = at + "unknown column " + quoted_text(name) + " (a field option's name or mode)";
            return;
        }
        for (const ScenarioColumn& earlier : table.columns) {
            if (earlier.name == name) {
                error = at + "column " + quoted_text(name) + " comes twice";
                return;
            }
        }
        column.name = name;
        table.columns.push_back(std::move(column));
        read = true;
    });
    return read;
}

bool read_row(std::string_view line, ScenarioTable& table, const std::string& at,
              std::string& error) {
    std::size_t k = 0;
    std::string bad_mode;
    const std::size_t count = for_each_cell(line, [&](std::string_view cell) {
        if (k < table.columns.size() && table.columns[k].is_mode && bad_mode.empty() &&
            cell != "0" && cell != "1" && cell != "2") {
            bad_mode = at + "mode " + quoted_text(cell) + ": the mode is 0, 1 or 2";
        }
        ++k;
    });
    if (count != table.columns.size()) {
        error = at + std::to_string(count) + " fields where the header has " +
                std::to_string(table.columns.size());
        return false;
    }
    if (!bad_mode.empty()) {
        error = bad_mode;
        return false;
    }
    for_each_cell(line, [&](std::string_view cell) { table.cells.append(cell); });
    return true;
}

bool read_lines(LineReader& reader, long long grid_size, ScenarioTable& table, long long& number,
                std::string& error) {
    const std::string file = table.option + ": " + table.path;
    std::string_view line;
    std::string reason;
    while (reader.next(line, reason)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // A spreadsheet may start its CSV with a byte order mark.
        if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
        const std::string at = file + " line " + std::to_string(number) + ": ";
        if (line.empty()) {
            error = at + "a blank line";
            return false;
        }
        if (number == 1 ? !read_header(line, table, at, error)
                        : !read_row(line, table, at, error)) {
            return false;
        }
        if (table.count() > LARGEST_SWEEP / grid_size) {
            error = at + "the scenarios would be more than 10^8";
            return false;
        }
    }
    if (!reason.empty()) {
        error = table.option + ": " + reason;
        return false;
    }
    return true;
}

}  // namespace

bool read_scenario_file(const std::string& option, const std::string& path, long long grid_size,
                        ScenarioTable& table, std::string& error) {
    table = ScenarioTable{};
    table.option = option;
    table.path = path;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = option + ": the file cannot be opened (" + std::strerror(errno) + ")";
        return false;
    }
    long long number = 0;
    bool read = false;
    {
        LineReader reader(file);
        read = read_lines(reader, grid_size, table, number, error);
    }
    std::fclose(file);
    if (!read) return false;
    if (number == 0) {
        error = option + ": " + path + ": the file is empty (no header, no row)";
        return false;
    }
    if (table.cells.empty()) {
        error = option + ": " + path + ": a header and no scenario row";
        return false;
    }
    return true;
}

}  // namespace morbilex::batch
