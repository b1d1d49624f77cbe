#include "batch/sweep_manifest.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <string_view>

namespace morbilex::batch {
namespace {

constexpr std::string_view TITLE = "# morbilex-batch sweep";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool whole_number(std::string_view text, long long& value) {
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return status == std::errc() && end == text.data() + text.size();
}

bool shard_of(std::string_view text, long long& index, long long& count) {
    const std::size_t slash = text.find('/');
    return slash != std::string_view::npos && whole_number(text.substr(0, slash), index) &&
           whole_number(text.substr(slash + 1), count) && count >= 1 && index >= 1 &&
           index <= count;
}

bool hex_identity(std::string_view text) {
    if (text.size() != 16) return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

}  // namespace

std::string sweep_identity(const std::string& sweep) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : sweep) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    static const char DIGITS[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int k = 15; k >= 0; --k, hash >>= 4)
        text[static_cast<std::size_t>(k)] = DIGITS[hash & 0xf];
    return text;
}

std::string program_version_text() {
#ifdef PROJECT_VERSION
    return std::string("morbilex-batch ") + PROJECT_VERSION;
#else
    return "morbilex-batch 1.0";
#endif
}

std::string sweep_manifest_text(const SweepManifest& manifest) {
    return std::string(TITLE) + "\nformat = " + std::to_string(manifest.format) +
           "\nprogram = " + manifest.program + "\nsweep = " + manifest.sweep +
           "\nidentity = " + manifest.identity + "\nrows_format = " + manifest.rows_format +
           "\nshard = " + std::to_string(manifest.shard_index) + "/" +
           std::to_string(manifest.shard_count) + "\nrows = " + std::to_string(manifest.rows) +
           "\n";
}

bool read_sweep_manifest(const std::string& path, SweepManifest& manifest, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": the manifest cannot be opened";
        return false;
    }
    manifest = {};
    enum Seen {
        FORMAT = 1,
        PROGRAM = 2,
        SWEEP = 4,
        IDENTITY = 8,
        ROWS_FORMAT = 16,
        SHARD = 32,
        ROWS = 64,
        ALL = 127
    };
    int seen = 0;
    std::string line;
    for (long long number = 1; std::getline(in, line); ++number) {
        const std::string where = path + " line " + std::to_string(number) + ": ";
        const std::string_view text = trimmed(line);
        if (text.empty() || text[0] == '#') continue;
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) {
            error = where + "not a \"name = value\" line";
            return false;
        }
        const std::string_view name = trimmed(text.substr(0, equals));
        const std::string_view value = trimmed(text.substr(equals + 1));
        long long number_value = 0;
        bool good = true;
        if (name == "format") {
            good = whole_number(value, number_value) && number_value == 1;
            manifest.format = static_cast<int>(number_value);
            seen |= FORMAT;
        } else if (name == "program") {
            manifest.program = value;
            seen |= PROGRAM;
        } else if (name == "sweep") {
            manifest.sweep = value;
            seen |= SWEEP;
        } else if (name == "identity") {
            good = hex_identity(value);
            manifest.identity = value;
            seen |= IDENTITY;
        } else if (name == "rows_format") {
            good = value == "csv" || value == "jsonl";
            manifest.rows_format = value;
            seen |= ROWS_FORMAT;
        } else if (name == "shard") {
            good = shard_of(value, manifest.shard_index, manifest.shard_count);
            seen |= SHARD;
        } else if (name == "rows") {
            good = whole_number(value, manifest.rows) && manifest.rows >= 0;
            seen |= ROWS;
        }  // names this version does not know are skipped
        if (!good) {
            error = where + "a wrong value for " + std::string(name) + ": " + std::string(value);
            return false;
        }
    }
    if (in.bad()) {
        error = path + ": the manifest could not be read";
        return false;
    }
    if (seen != ALL) {
        error = path + ": not a whole sweep manifest (a line is missing)";
        return false;
    }
    return true;
}

}  // namespace morbilex::batch
