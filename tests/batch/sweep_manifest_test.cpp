// The manifest beside a sweep's output, read back as the merge reads it.
#include "batch/sweep_manifest.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/test_support.h"

namespace morbilex::batch {
namespace {

TEST(SweepManifest, ReadsWhatIsWrittenAndRefusesWhatIsNot) {
    testing::TemporaryFolder folder;
    const std::string path = folder.file("rows.csv.manifest");
    const auto write = [&path](const std::string& text) { std::ofstream(path) << text; };
    SweepManifest written;
    written.program = "morbilex-batch 1.0";
    written.sweep = "--sweep=R_0=1:4:0.01 --off-ratio=0.25";
    written.identity = sweep_identity(written.sweep);
    written.rows_format = "jsonl";
    written.shard_index = 2;
    written.shard_count = 7;
    written.rows = 43;
    write(sweep_manifest_text(written));
    SweepManifest read;
    std::string error;
    ASSERT_TRUE(read_sweep_manifest(path, read, error)) << error;
    EXPECT_EQ(read.sweep, written.sweep);
    EXPECT_EQ(read.identity, written.identity);
    EXPECT_EQ(read.rows_format, "jsonl");
    EXPECT_EQ(read.shard_index * 100 + read.shard_count, 207);
    EXPECT_EQ(read.rows, 43);
    // FNV-1a 64 of the empty text and of "a".
    EXPECT_EQ(sweep_identity(""), "cbf29ce484222325");
    EXPECT_EQ(sweep_identity("a"), "af63dc4c8601ec8c");

    const std::string whole = sweep_manifest_text(written);
    const auto replaced = [&whole](const std::string& from, const std::string& to) {
        std::string text = whole;
        return text.replace(text.find(from), from.size(), to);
    };
    const struct {
        std::string text, error;
    } broken[] = {
        {replaced("rows = 43\n", ""), "no line \"rows = ...\""},
        {replaced("shard = 2/7", "shard = 8/7"), "a shard is K/N with K from 1 to N, not 8/7"},
        {replaced("shard = 2/7", "shard = 2-3/7"), "holds one shard, not 2-3/7"},
        {replaced("rows_format = jsonl", "rows_format = xml"), "rows_format"},
        {replaced("format = 1\n", "format = 2\n"), "format 2 is not known"},
        {replaced("identity = ", "identity = X"), "an identity is 16 lower-case hex digits"},
        {replaced("rows = 43", "rows 43"), "no line \"rows = ...\""},
    };
    for (const auto& manifest : broken) {
        write(manifest.text);
        EXPECT_FALSE(read_sweep_manifest(path, read, error)) << manifest.text;
        EXPECT_NE(error.find(manifest.error), std::string::npos) << error;
    }
    EXPECT_FALSE(read_sweep_manifest(folder.file("none"), read, error));
}

// The identity covers the program's version and the bytes of the files read.
TEST(SweepManifest, IdentityCoversTheVersionAndTheFilesRead) {
    testing::TemporaryFolder folder;
    const std::vector<std::string> read = {folder.file("lhs.csv")};
    std::ofstream(read[0]) << "R_0\n2\n";
    const std::string first = sweep_identity_of("morbilex-batch 1.0", "--scenarios=lhs.csv", read);
    EXPECT_NE(sweep_identity_of("morbilex-batch 1.1", "--scenarios=lhs.csv", read), first);
    std::ofstream(read[0]) << "R_0\n3\n";
    EXPECT_NE(sweep_identity_of("morbilex-batch 1.0", "--scenarios=lhs.csv", read), first);
}

}  // namespace
}  // namespace morbilex::batch
