#include "batch/shards/manifest_reading.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <string_view>

#include "text/whole_number.h"

namespace morbilex::batch {
namespace {

constexpr long long UNBOUNDED = std::numeric_limits<long long>::max();

// A whole number from least to most.
bool whole_number(std::string_view text, long long& value, long long least, long long most) {
    return read_whole_number(text, value, least, most) == WholeNumberReading::Read;
}

// "K/N" or "A-B,C,.../N": every K from 1 to N, in increasing order.
bool read_shards(std::string_view text, ShardRanges& ranges, long long& count) {
    const std::size_t slash = text.rfind('/');
    if (slash == std::string_view::npos ||
        !whole_number(text.substr(slash + 1), count, 1, UNBOUNDED))
        return false;
    ranges.clear();
    std::string_view list = text.substr(0, slash);
    while (true) {
        const std::size_t comma = std::min(list.find(','), list.size());
        const std::string_view item = list.substr(0, comma);
        const std::size_t dash = item.find('-');
        long long first = 0;
        long long last = 0;
        if (!whole_number(item.substr(0, dash), first, 1, count)) return false;
        last = first;
        if (dash != std::string_view::npos &&
            !whole_number(item.substr(dash + 1), last, first, count))
            return false;
        if (!ranges.empty() && first <= ranges.back().second + 1) return false;
        ranges.emplace_back(first, last);
        if (comma == list.size()) return true;
        list.remove_prefix(comma + 1);
    }
}

}  // namespace

bool read_manifest(const std::string& path, ShardSetManifest& manifest, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": the file cannot be opened";
        return false;
    }
    manifest = {};
    bool format = false;
    bool shard = false;
    bool rows = false;
    std::string line;
    for (long long number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t equals = line.find(" = ");
        if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
        const std::string_view key = std::string_view(line).substr(0, equals);
        const std::string value = line.substr(equals + 3);
        const std::string at = path + " line " + std::to_string(number) + ": ";
        if (key == "format") {
            if (value != "1") {
                error = at + "format " + value + " is not known (this program reads 1)";
                return false;
            }
            format = true;
        } else if (key == "program") {
            manifest.program = value;
        } else if (key == "sweep") {
            manifest.sweep = value;
        } else if (key == "identity") {
            if (value.size() != 16 ||
                value.find_first_not_of("0123456789abcdef") != std::string::npos) {
                error = at + "an identity is 16 lower-case hex digits, not " + value;
                return false;
            }
            manifest.identity = value;
        } else if (key == "rows_format") {
            if (value != "csv" && value != "jsonl") {
                error = at + "rows_format is csv or jsonl, not " + value;
                return false;
            }
            manifest.rows_format = value;
        } else if (key == "shard") {
            if (!read_shards(value, manifest.shards, manifest.shard_count)) {
                error = at + "a shard is K/N with K from 1 to N, not " + value;
                return false;
            }
            shard = true;
        } else if (key == "rows") {
            if (!whole_number(value, manifest.rows, 0, UNBOUNDED)) {
                error = at + "rows is a count, not " + value;
                return false;
            }
            rows = true;
        }
    }
    const char* lacking = !format                        ? "format"
                          : manifest.sweep.empty()       ? "sweep"
                          : manifest.identity.empty()    ? "identity"
                          : manifest.rows_format.empty() ? "rows_format"
                          : !shard                       ? "shard"
                          : !rows                        ? "rows"
                                                         : nullptr;
    if (in.bad() || lacking != nullptr) {
        error = path + (in.bad() ? std::string(": the file could not be read")
                                 : std::string(": no line \"") + lacking + " = ...\"");
        return false;
    }
    return true;
}

std::string ranges_text(const ShardRanges& ranges) {
    std::string text;
    for (const auto& [first, last] : ranges) {
        if (!text.empty()) text += ',';
        text += std::to_string(first);
        if (last > first) text += '-' + std::to_string(last);
    }
    return text;
}

std::string manifest_text(const ShardSetManifest& manifest) {
    return "# morbilex-batch sweep\nformat = 1\nprogram = " + manifest.program +
           "\nsweep = " + manifest.sweep + "\nidentity = " + manifest.identity +
           "\nrows_format = " + manifest.rows_format + "\nshard = " + ranges_text(manifest.shards) +
           '/' + std::to_string(manifest.shard_count) +
           "\nrows = " + std::to_string(manifest.rows) + '\n';
}

bool holds_shard(const ShardRanges& ranges, long long k) {
    const auto after =
        std::upper_bound(ranges.begin(), ranges.end(), k,
                         [](long long value, const std::pair<long long, long long>& range) {
                             return value < range.first;
                         });
    return after != ranges.begin() && k <= std::prev(after)->second;
}

}  // namespace morbilex::batch
