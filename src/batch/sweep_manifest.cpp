#include "batch/sweep_manifest.h"

#include "batch/manifest_reading.h"

#include <cstdint>

namespace morbilex::batch {

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

namespace {

ShardSetManifest shard_set_of(const SweepManifest& manifest) {
    return {manifest.program,
            manifest.sweep,
            manifest.identity,
            manifest.rows_format,
            {{manifest.shard_index, manifest.shard_index}},
            manifest.shard_count,
            manifest.rows};
}

}  // namespace

std::string sweep_manifest_text(const SweepManifest& manifest) {
    return manifest_text(shard_set_of(manifest));
}

// A sweep's own manifest is the merge's with exactly one shard.
bool read_sweep_manifest(const std::string& path, SweepManifest& manifest, std::string& error) {
    ShardSetManifest set;
    if (!read_manifest(path, set, error)) return false;
    if (set.shards.size() != 1 || set.shards[0].first != set.shards[0].second) {
        error = path + ": a sweep's manifest holds one shard, not " + ranges_text(set.shards) +
                '/' + std::to_string(set.shard_count);
        return false;
    }
    manifest = {1,
                set.program,
                set.sweep,
                set.identity,
                set.rows_format,
                set.shards[0].first,
                set.shard_count,
                set.rows};
    return true;
}

}  // namespace morbilex::batch
