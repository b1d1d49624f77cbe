// What a sweep's output holds, written beside it as OUTPUT.manifest: plain
// "name = value" lines that the merge and --resume read back.
#pragma once

#include <string>
#include <vector>

namespace morbilex::batch {

struct SweepManifest {
    int format = 1;
    std::string program;
    std::string sweep;        // the options that make the scenarios, as given, in order
    std::string identity;     // sweep_identity_of(program, sweep, the files it reads)
    std::string rows_format;  // csv or jsonl
    long long shard_index = 1;
    long long shard_count = 1;
    long long rows = 0;  // rows the output holds
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

// The manifest's lines.
std::string sweep_manifest_text(const SweepManifest& manifest);

// Reads the manifest at path; false with the reason in error when it cannot
// be read, a line is not "name = value", a value is wrong or one is missing.
bool read_sweep_manifest(const std::string& path, SweepManifest& manifest, std::string& error);

}  // namespace morbilex::batch
