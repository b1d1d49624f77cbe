// What a sweep's output holds, written beside it as OUTPUT.manifest: plain
// "name = value" lines that the merge and --resume read back, to prove a
// merge whole and a partial file this sweep's.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace morbilex::batch {

// Shards of a sweep as sorted, disjoint ranges of K (1 to N).
using ShardRanges = std::vector<std::pair<long long, long long>>;

struct SweepManifest {
    std::string program;
    std::string sweep;        // the options that make the scenarios, as given, in order
    std::string identity;     // sweep_identity_of(program, sweep, the files it reads)
    std::string rows_format;  // csv or jsonl
    // "shard = K/N": a sweep's output holds one shard; a partial merge writes
    // the shards it joined, "1-3,7/N".
    ShardRanges shards = ShardRanges(1, {1, 1});
    long long shard_count = 1;  // N
    long long rows = 0;         // rows the output holds

    // K of a sweep's own output, which holds one shard.
    long long shard_index() const { return shards.front().first; }
};

// FNV-1a 64 of the text, as 16 lower-case hex digits.
std::string sweep_identity(const std::string& sweep);

// What makes a sweep's rows: the program's version, the options and the
// bytes of the files they read (--scenario, --scenarios), so that an edited
// file or another version makes another sweep. A file that cannot be read
// counts as empty (reading it for the sweep tells why).
std::string sweep_identity_of(const std::string& program, const std::string& sweep,
                              const std::vector<std::string>& input_paths);

// The version text of this program, "morbilex-batch 1.0".
std::string program_version_text();

// The manifest's lines, those read_manifest() reads.
std::string sweep_manifest_text(const SweepManifest& manifest);

// Reads path, of one shard or many; false with "PATH: reason" (or "PATH line
// L: reason") when a line that is needed is missing or wrong. Lines it does
// not know are passed over.
bool read_manifest(const std::string& path, SweepManifest& manifest, std::string& error);

// read_manifest() of a sweep's own output: false too when it holds more than
// one shard.
bool read_sweep_manifest(const std::string& path, SweepManifest& manifest, std::string& error);

// "3,7-9": the ranges in job-array syntax.
std::string ranges_text(const ShardRanges& ranges);

// What a message lists of many ranges: the first MOST_LISTED_RANGES, then
// ",..." when there are more.
inline constexpr std::size_t MOST_LISTED_RANGES = 20;
std::string listed_ranges_text(const ShardRanges& ranges);

// Whether shard K (1 to N) is in the ranges.
bool holds_shard(const ShardRanges& ranges, long long k);

}  // namespace morbilex::batch
