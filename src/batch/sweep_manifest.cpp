#include "batch/sweep_manifest.h"

#include "batch/manifest_reading.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

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
