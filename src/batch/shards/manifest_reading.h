// The manifest beside a sweep's output file (<output>.manifest): what sweep
// the rows come from, which of its shards they are and how many rows there
// are. Read to prove a merge whole.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace morbilex::batch {

// Shards of a sweep as sorted, disjoint ranges of K (1 to N).
using ShardRanges = std::vector<std::pair<long long, long long>>;

// The merge's view of a manifest: it also reads the shard ranges a partial
// merge writes, which a sweep's own manifest never holds.
struct ShardSetManifest {
    std::string program;
    std::string sweep;
    std::string identity;
    std::string rows_format;    // csv or jsonl
    ShardRanges shards;         // "shard = K/N"; a partial merge writes "1-3,7/N"
    long long shard_count = 0;  // N
    long long rows = 0;
};

// Reads path; false with "PATH: reason" (or "PATH line L: reason") when a line
// that is needed is missing or wrong. Lines it does not know are passed over.
bool read_manifest(const std::string& path, ShardSetManifest& manifest, std::string& error);

// The manifest's text, the lines read_manifest() reads.
std::string manifest_text(const ShardSetManifest& manifest);

// "3,7-9": the ranges in job-array syntax.
std::string ranges_text(const ShardRanges& ranges);

// Whether shard K (1 to N) is in the ranges.
bool holds_shard(const ShardRanges& ranges, long long k);

}  // namespace morbilex::batch
