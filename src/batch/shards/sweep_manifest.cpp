#include "batch/shards/sweep_manifest.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string_view>

#include "text/whole_number.h"

namespace morbilex::batch {
namespace {

constexpr std::uint64_t FNV_START = 0xcbf29ce484222325ULL;

std::uint64_t fold(std::uint64_t hash, std::string_view bytes) {
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string hex_of(std::uint64_t hash) {
    static const char DIGITS[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int k = 15; k >= 0; --k, hash >>= 4)
        text[static_cast<std::size_t>(k)] = DIGITS[hash & 0xf];
    return text;
}

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

std::string sweep_identity(const std::string& sweep) {
    return hex_of(fold(FNV_START, sweep));
}

std::string sweep_identity_of(const std::string& program, const std::string& sweep,
                              const std::vector<std::string>& input_paths) {
    // Each part ends in a NUL and each file's bytes are followed by their
    // count, so no two different sets of parts read as the same bytes.
    std::uint64_t hash = fold(fold(FNV_START, program), std::string_view("", 1));
    hash = fold(fold(hash, sweep), std::string_view("", 1));
    for (const std::string& path : input_paths) {
        unsigned long long size = 0;
        if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
            char chunk[1 << 16];
            std::size_t got = 0;
            while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
                hash = fold(hash, std::string_view(chunk, got));
                size += got;
            }
            std::fclose(in);
        }
        hash = fold(fold(hash, std::to_string(size)), std::string_view("", 1));
    }
    return hex_of(hash);
}

std::string program_version_text() {
#ifdef PROJECT_VERSION
    return std::string("morbilex-batch ") + PROJECT_VERSION;
#else
    return "morbilex-batch 1.0";
#endif
}

bool read_manifest(const std::string& path, SweepManifest& manifest, std::string& error) {
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

// A sweep's own manifest is the merge's with exactly one shard.
bool read_sweep_manifest(const std::string& path, SweepManifest& manifest, std::string& error) {
    if (!read_manifest(path, manifest, error)) return false;
    if (manifest.shards.size() != 1 || manifest.shards[0].first != manifest.shards[0].second) {
        error = path + ": a sweep's manifest holds one shard, not " + ranges_text(manifest.shards) +
                '/' + std::to_string(manifest.shard_count);
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

std::string listed_ranges_text(const ShardRanges& ranges) {
    if (ranges.size() <= MOST_LISTED_RANGES) return ranges_text(ranges);
    return ranges_text(ShardRanges(ranges.begin(), ranges.begin() + MOST_LISTED_RANGES)) + ",...";
}

std::string sweep_manifest_text(const SweepManifest& manifest) {
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
