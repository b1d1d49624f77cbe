// The merge of shard files from random bytes: the first byte says how to lay
// them out, the rest is cut into one or two input files (CSV or JSON Lines by
// their content) and, maybe, a manifest for each. The merge must refuse with
// a reason or write its output; it must never crash or read out of bounds.
// The inputs may be compressed (layout & 64), the bytes read as a gzip stream.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/shards/sweep_merge.h"

namespace {

const std::string& folder() {
    static const std::string path = [] {
        // In memory when there is such a folder: the files change every run.
        char in_memory[] = "/dev/shm/morbilex-merge-fuzz.XXXXXX";
        char on_disk[] = "/tmp/morbilex-merge-fuzz.XXXXXX";
        const char* made = mkdtemp(in_memory) != nullptr ? in_memory : mkdtemp(on_disk);
        if (made == nullptr) std::abort();
        return std::string(made);
    }();
    static const bool removed_at_exit = [] {
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        });
        return true;
    }();
    (void)removed_at_exit;
    return path;
}

void write(const std::string& path, const std::string& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const unsigned layout = data[0];
    std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
    // Parts split at the zero bytes: the files' texts, then their manifests.
    std::vector<std::string> parts(1);
    for (const char c : rest) {
        if (c == '\0') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    const bool two = layout & 1;
    const bool manifests = layout & 2;
    const bool partial = layout & 4;
    const std::string extension =
        std::string((layout & 8) ? ".jsonl" : ".csv") + ((layout & 64) ? ".gz" : "");
    std::vector<std::string> inputs;
    for (std::size_t k = 0; k < (two ? 2u : 1u); ++k) {
        const std::string path = folder() + "/in" + std::to_string(k) + extension;
        write(path, k < parts.size() ? parts[k] : parts[0]);
        const std::string manifest = path + ".manifest";
        if (manifests) {
            const std::size_t at = (two ? 2 : 1) + k;
            write(manifest, at < parts.size() ? parts[at] : std::string());
        } else {
            unlink(manifest.c_str());
        }
        inputs.push_back(path);
    }
    // Now and then a file given twice.
    if (data[1] == 0) inputs.push_back(inputs[0]);
    // Mostly to a device, which is quicker than a file put safely in place.
    const std::string output = (layout & 16)   ? folder() + "/out" + extension
                               : (layout & 32) ? folder() + "/out.csv.gz"
                                               : std::string("/dev/null");
    std::string error;
    if (!morbilex::batch::merge_shard_files(output, inputs, partial, error) &&
        error.rfind("--merge=" + output + ": ", 0) != 0)
        std::abort();
    return 0;
}
