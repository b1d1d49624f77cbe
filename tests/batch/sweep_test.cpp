// Summaries and sweeps of morbilex-batch from the outside.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace morbilex {
namespace {

using testing::read_bytes;
using testing::split_lines;
using testing::TemporaryFolder;

// The text of a file, decompressed when it is ("" when it cannot be read).
std::string text_of(const std::string& path, bool compressed) {
    if (!compressed) return read_bytes(path);
    gzFile in = gzopen(path.c_str(), "rb");
    if (in == nullptr) return "";
    std::string text;
    char chunk[1 << 16];
    int got = 0;
    while ((got = gzread(in, chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<std::size_t>(got));
    const bool read = got == 0;
    gzclose(in);
    return read ? text : "";
}

struct Outcome {
    int status;
    std::string out, err;
};

class Sweeps : public ::testing::Test {
protected:
    TemporaryFolder folder;

    std::string file(const std::string& name) const { return folder.file(name); }

    void write_file(const std::string& name, const std::string& text) const {
        std::FILE* out = std::fopen(file(name).c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }

    // Runs the program from the folder, after prefix: variables of its
    // environment or shell commands.
    Outcome run(const std::string& arguments, const std::string& prefix = "") const {
        const std::string command = "cd '" + folder.path().string() + "' && " + prefix + " '" +
                                    MORBILEX_BATCH_PROGRAM + "' " + arguments +
                                    " >out.txt 2>err.txt";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_bytes(file("out.txt")),
                read_bytes(file("err.txt"))};
    }
};

constexpr const char* GRID =
    "--mode=2 --sweep=R_0=1.5:3:0.5 --sweep=On_threshold=10,35,60 --sweep=Reduction=0.5,0.8 "
    "--off-ratio=0.25 --T_max=150";

TEST_F(Sweeps, OutputIsTheSameForAnyJobsAndShardsMergeIntoIt) {
    const Outcome one = run(std::string(GRID) + " --jobs=1");
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(split_lines(one.out).size(), 1u + 4 * 3 * 2);
    EXPECT_EQ(run(std::string(GRID) + " --jobs=5 --output=-").out, one.out);
    EXPECT_EQ(run(std::string(GRID) + " --count --shard=2/5").out, "5\n");
    // An output that is a link (or a device) is written through, never replaced.
    std::filesystem::create_symlink("target.csv", file("link.csv"));
    ASSERT_EQ(run(std::string(GRID) + " --output=link.csv").status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(file("link.csv")));
    EXPECT_EQ(read_bytes(file("target.csv")), one.out);
    std::string shards;
    for (int k = 1; k <= 5; ++k) {
        const std::string name = "part" + std::to_string(k) + ".csv";
        ASSERT_EQ(run(std::string(GRID) + " --jobs=2 --shard=" + std::to_string(k) +
                      "/5 --output=" + name)
                      .status,
                  0);
        shards = name + " " + shards;  // in any order
    }
    EXPECT_EQ(read_bytes(file("part2.csv.manifest")),
              "# morbilex-batch sweep\nformat = 1\nprogram = morbilex-batch 1.0\nsweep = " +
                  std::string(GRID) +
                  "\nidentity = bc7e0d673130bfcd\nrows_format = csv\nshard = 2/5\nrows = 5\n");
    EXPECT_FALSE(std::filesystem::exists(file("all.csv.manifest")));
    ASSERT_EQ(run("--merge=all.csv " + shards).status, 0);
    EXPECT_EQ(read_bytes(file("all.csv")), one.out);

    const Outcome missing = run("--merge=some.csv part1.csv part3.csv");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "morbilex-batch: --merge=some.csv: missing shards: 2,4-5 of 5\n");
    EXPECT_EQ(run("--merge=some.csv part1.csv part2.csv part4.csv part5.csv").err,
              "morbilex-batch: --merge=some.csv: missing shards: 3 of 5\n");
    EXPECT_NE(
        run("--merge=twice.csv part1.csv part2.csv part2.csv").err.find("both hold shard 2/5"),
        std::string::npos);
    run(std::string(GRID) + " --format=jsonl --output=part.jsonl");
    EXPECT_NE(run("--merge=mixed.csv part1.csv part.jsonl").err.find("not shards of one sweep"),
              std::string::npos);
}

// --shard=auto takes K/N from the batch system's variables (and only from them:
// the environment is emptied first); the rows show which run_ids it chose.
TEST_F(Sweeps, ShardAutoReadsTheJobArrayTask) {
    const struct {
        const char* environment;
        long long index, count;  // 0: refused with reason
        const char* reason;
    } tasks[] = {
        {"SLURM_ARRAY_TASK_ID=3 SLURM_ARRAY_TASK_MIN=1 SLURM_ARRAY_TASK_MAX=16 "
         "SLURM_ARRAY_TASK_COUNT=16",
         3, 16, ""},
        {"SLURM_ARRAY_TASK_ID=7 SLURM_ARRAY_TASK_MIN=5 SLURM_ARRAY_TASK_MAX=12", 3, 8, ""},
        {"SLURM_ARRAY_TASK_ID=5 SLURM_ARRAY_TASK_MIN=1 SLURM_ARRAY_TASK_MAX=15 "
         "SLURM_ARRAY_TASK_STEP=2 SLURM_ARRAY_TASK_COUNT=8",
         3, 8, ""},
        {"SGE_TASK_ID=10 SGE_TASK_FIRST=4 SGE_TASK_LAST=16 SGE_TASK_STEPSIZE=3", 3, 5, ""},
        {"SGE_TASK_ID=undefined SLURM_ARRAY_TASK_ID=2 SLURM_ARRAY_TASK_MIN=1 "
         "SLURM_ARRAY_TASK_MAX=2",
         2, 2, ""},
        // A list 1,3,7: Slurm's count does not match any range.
        {"SLURM_ARRAY_TASK_ID=3 SLURM_ARRAY_TASK_MIN=1 SLURM_ARRAY_TASK_MAX=7 "
         "SLURM_ARRAY_TASK_STEP=1 SLURM_ARRAY_TASK_COUNT=3",
         0, 0,
         "SLURM_ARRAY_TASK_COUNT=3 where the range SLURM_ARRAY_TASK_MIN..SLURM_ARRAY_TASK_MAX "
         "by SLURM_ARRAY_TASK_STEP = 1..7 by 1 holds 7 tasks: the array is a list, not a range "
         "a-b or a-b:step; give --shard=K/N (Slurm)"},
        {"SLURM_ARRAY_TASK_ID=4 SLURM_ARRAY_TASK_MIN=1 SLURM_ARRAY_TASK_MAX=15 "
         "SLURM_ARRAY_TASK_STEP=2",
         0, 0,
         "SLURM_ARRAY_TASK_ID=4 is not a task of the range SLURM_ARRAY_TASK_MIN..SLURM_ARRAY_"
         "TASK_MAX by SLURM_ARRAY_TASK_STEP = 1..15 by 2 (Slurm)"},
        {"SLURM_ARRAY_TASK_ID=4", 0, 0,
         "SLURM_ARRAY_TASK_MIN is not set: a whole number is needed (Slurm)"},
        {"SGE_TASK_ID=2 SGE_TASK_FIRST=1 SGE_TASK_LAST=4 SGE_TASK_STEPSIZE=0", 0, 0,
         "SGE_TASK_STEPSIZE=0: a step of 1 or more is needed (Grid Engine)"},
        {"PBS_ARRAY_INDEX=2", 0, 0,
         "PBS_ARRAY_INDEX=2 numbers the task but its batch system does not tell the array's "
         "range; give --shard=K/N"},
        {"LSB_JOBINDEX=0 SGE_TASK_ID=undefined", 0, 0,
         "no job array task in the environment (SLURM_ARRAY_TASK_ID or SGE_TASK_ID); give "
         "--shard=K/N"},
    };
    for (const auto& task : tasks) {
        const Outcome outcome = run("--sweep=R_0=1:40:1 --T_max=1 --shard=auto",
                                    std::string("env -i ") + task.environment);
        if (task.index == 0) {
            EXPECT_EQ(outcome.status, 2) << task.environment;
            EXPECT_EQ(outcome.err,
                      std::string("morbilex-batch: --shard=auto: ") + task.reason + "\n");
            continue;
        }
        ASSERT_EQ(outcome.status, 0) << task.environment << outcome.err;
        const auto rows = split_lines(outcome.out);
        ASSERT_GE(rows.size(), 3u) << task.environment;
        EXPECT_EQ(rows[1].substr(0, rows[1].find(',')), std::to_string(task.index));
        EXPECT_EQ(rows[2].substr(0, rows[2].find(',')), std::to_string(task.index + task.count))
            << task.environment;
    }
}

// A scenario file (a small Latin hypercube over three fields) with a sweep:
// every row takes every grid point, the rows varying slowest, and each row of
// the output is the single run's summary with those options.
TEST_F(Sweeps, ScenarioFileRowsTakeEveryGridPoint) {
    const char* const scenarios[][3] = {
        {"1.7", "3.1", "0"}, {"2.9", "5.6", "1"}, {"2.2", "4.4", "2"}, {"3.6", "2.3", "1"}};
    std::string text = "\xEF\xBB\xBFR_0,latent_period,mode\n";  // as a spreadsheet saves it
    for (const auto& row : scenarios)
        text += std::string(row[0]) + "," + row[1] + "," + row[2] + "\r\n";
    write_file("lhs.csv", text);
    const std::string options = "--scenarios=lhs.csv --sweep=T_max=60,300 --Reduction=0.6";
    const Outcome sweep = run(options);
    ASSERT_EQ(sweep.status, 0) << sweep.err;
    // Compressed, the same file; cut short, refused.
    gzFile packed = gzopen(file("lhs.csv.gz").c_str(), "wb");
    gzwrite(packed, text.data(), static_cast<unsigned>(text.size()));
    gzclose(packed);
    EXPECT_EQ(run("--scenarios=lhs.csv.gz --sweep=T_max=60,300 --Reduction=0.6").out, sweep.out);
    write_file("cut.csv.gz", read_bytes(file("lhs.csv.gz")).substr(0, 30));
    EXPECT_EQ(run("--scenarios=cut.csv.gz").err,
              "morbilex-batch: --scenarios=cut.csv.gz: the compressed file is cut short\n");
    const auto rows = split_lines(sweep.out);
    ASSERT_EQ(rows.size(), 1u + 4 * 2);
    const std::string swept = "run_id,swept_R_0,swept_latent_period,swept_mode,swept_T_max,";
    EXPECT_EQ(rows[0].substr(0, swept.size()), swept);
    int run_id = 1;
    for (const auto& row : scenarios) {
        for (const char* T_max : {"60", "300"}) {
            ASSERT_EQ(run(std::string("--R_0=") + row[0] + " --latent_period=" + row[1] +
                          " --mode=" + row[2] + " --T_max=" + T_max +
                          " --Reduction=0.6 --summary=one.csv")
                          .status,
                      0);
            const std::string prefix = std::to_string(run_id) + "," + row[0] + "," + row[1] + "," +
                                       row[2] + "," + T_max + ",";
            EXPECT_EQ(rows[run_id], prefix + split_lines(read_bytes(file("one.csv")))[1]);
            ++run_id;
        }
    }
    // Shards number the whole product and merge into it.
    std::string parts;
    for (const char* k : {"1", "2", "3"}) {
        const std::string part = std::string("part") + k + ".csv";
        ASSERT_EQ(run(options + " --shard=" + k + "/3 --output=" + part).status, 0);
        parts += " " + part;
    }
    ASSERT_EQ(run("--merge=all.csv" + parts).status, 0);
    EXPECT_EQ(read_bytes(file("all.csv")), sweep.out);
    EXPECT_EQ(
        run(options + " --format=jsonl")
            .out.rfind(
                "{\"run_id\":1,\"swept_R_0\":1.7,\"swept_latent_period\":3.1,\"swept_mode\":0,"
                "\"swept_T_max\":60,",
                0),
        0u);
    // A cell the dialog reads that is no JSON number stays JSON: a string.
    write_file("text.csv", "R_0\n2.\n");
    EXPECT_EQ(run("--scenarios=text.csv --format=jsonl")
                  .out.rfind("{\"run_id\":1,\"swept_R_0\":\"2.\",\"mode\":0,\"R_0\":2,", 0),
              0u);
}

TEST_F(Sweeps, ScenarioFileRefusalsNameFileAndLine) {
    const std::string at = "morbilex-batch: --scenarios=bad.csv: ";
    const struct {
        std::string text;
        const char* options;
        int status;
        std::string error;
    } refused[] = {
        {"", "", 2, at + "bad.csv: the file is empty (no header, no row)"},
        {"R_0\n", "", 2, at + "bad.csv: a header and no scenario row"},
        {"R_0,beta\n2,3\n", "", 2,
         at + "bad.csv line 1: unknown column \"beta\" (a field option's name or mode)"},
        {"R_0,R_0\n2,3\n", "", 2, at + "bad.csv line 1: column \"R_0\" comes twice"},
        {"R_0,mode\n2,1\n3\n", "", 2, at + "bad.csv line 3: 1 fields where the header has 2"},
        {"R_0\n2\n\n3\n", "", 2, at + "bad.csv line 3: a blank line"},
        {"mode\n0\n3\n", "", 2, at + "bad.csv line 3: mode \"3\": the mode is 0, 1 or 2"},
        {"R_0\n2\n", "--sweep=R_0=1,2", 2, at + "R_0 is swept too"},
        {"R_0\n2\n", "--R_0=3", 2, at + "--R_0 is given too"},
        {"mode\n1\n", "--mode=2", 2, at + "--mode is given too"},
        {"Off_threshold\n1\n", "--off-ratio=0.5", 2,
         "morbilex-batch: --off-ratio: it sets Off_threshold, which is given too"},
        {"R_0,latent_period\n2,4\n2,0\n", "--sweep=Reduction=0.5,0.6", 1,
         at + "bad.csv line 3: latent_period=0 refused: a period must be above zero also as shown "
              "(0.005 or more)"},
        // What the file holds is shown cut, and with controls and NUL escaped.
        {"R_0,\x1b]0;title\x07\n1,2\n", "", 2,
         at + "bad.csv line 1: unknown column \"\\x1b]0;title\\x07\" (a field option's name or "
              "mode)"},
        {"mode\n\x1b[2J\n", "", 2, at + "bad.csv line 2: mode \"\\x1b[2J\": the mode is 0, 1 or 2"},
        {std::string("R_0\n\0\n", 6), "", 1,
         at + "bad.csv line 2: R_0=\\x00 refused: the field is empty"},
        {"R_0\n" + std::string(1 << 20, 'x') + "\n", "", 1,
         at + "bad.csv line 2: R_0=" + std::string(60, 'x') +
             "... refused: no finite number at the start of the text"},
    };
    for (const auto& file_case : refused) {
        write_file("bad.csv", file_case.text);
        const Outcome outcome =
            run(std::string("--scenarios=bad.csv --T_max=5 ") + file_case.options);
        EXPECT_EQ(outcome.status, file_case.status) << file_case.text.substr(0, 80);
        EXPECT_EQ(outcome.err, file_case.error + "\n");
        EXPECT_TRUE(outcome.out.empty());
    }
    EXPECT_EQ(run("--scenarios=none.csv").err,
              "morbilex-batch: --scenarios=none.csv: the file cannot be opened (No such file or "
              "directory)\n");
}

// Every broken input is refused with its reason, naming the file and line, and
// the output is not written.
TEST_F(Sweeps, MergeRefusesBrokenInputs) {
    const struct {
        const char* name;
        const char* text;
        const char* reason;  // after the file's name
    } broken[] = {
        {"keys.jsonl", "{\":1}\n", " line 1: not a whole JSON object (a row cut short?)"},
        {"brace.jsonl", "{\"run_id\":1,\"x\":2\n",
         " line 1: not a whole JSON object (a row cut short?)"},
        {"value.jsonl", "{\"run_id\":1,\"x\":}\n",
         " line 1: not a whole JSON object (a row cut short?)"},
        {"unended.csv", "run_id,x\n1,2\n2,", " line 3: the last row is cut short (no end of line)"},
        {"fields.csv", "run_id,x,y\n1,2\n",
         " line 2: 2 fields where the header has 3 (a row cut short?)"},
        {"blank.csv", "run_id,x\n1,2\n\n2,3\n", " line 3: a blank line"},
        {"empty.csv", "", ": the file is empty (no header, no row)"},
    };
    const auto write = [&](const char* name, const char* text) {
        std::FILE* out = std::fopen(file(name).c_str(), "w");
        std::fputs(text, out);
        std::fclose(out);
    };
    for (const auto& input : broken) {
        write(input.name, input.text);
        const Outcome outcome = run(std::string("--merge=all.out ") + input.name);
        EXPECT_EQ(outcome.status, 1) << input.name;
        EXPECT_EQ(outcome.err, std::string("morbilex-batch: --merge=all.out: ") + input.name +
                                   input.reason + "\n");
        EXPECT_FALSE(std::filesystem::exists(file("all.out"))) << input.name;
    }
    // Only empty files, and an output that cannot be written.
    EXPECT_EQ(
        run("--merge=all.out empty.csv empty.csv").err,
        "morbilex-batch: --merge=all.out: empty.csv: the file is empty (no header, no row)\n");
    write("good.csv", "run_id,x\n1,2\n");
    EXPECT_EQ(run("--merge=none/all.csv good.csv").err,
              "morbilex-batch: --merge=none/all.csv: No such file or directory\n");
}

// Files without manifests: one gap is told as before; many by their first
// twenty ranges and their count.
TEST_F(Sweeps, MergeTellsMissingRunIdsBriefly) {
    for (const char* shard : {"1", "3"}) {
        ASSERT_EQ(run(std::string("--sweep=R_0=1,2,3 --T_max=5 --output=") + shard +
                      ".csv --shard=" + shard + "/3")
                      .status,
                  0);
        std::filesystem::remove(file(std::string(shard) + ".csv.manifest"));
    }
    EXPECT_EQ(run("--merge=all.csv 3.csv 1.csv").err,
              "morbilex-batch: --merge=all.csv: run_id 2 is missing\n");
    ASSERT_EQ(run("--sweep=R_0=1:3:0.02 --T_max=5 --shard=1/2 --output=odd.csv").status, 0);
    std::filesystem::remove(file("odd.csv.manifest"));
    EXPECT_EQ(run("--merge=all.csv odd.csv").err,
              "morbilex-batch: --merge=all.csv: run_ids 2,4,6,8,10,12,14,16,18,20,22,24,26,28,30,"
              "32,34,36,38,40,... are missing (50 in all)\n");
    // The largest run_id a row can name has no run after it.
    std::ifstream odd(file("odd.csv"));
    std::string header, row;
    std::getline(odd, header);
    std::getline(odd, row);
    std::ofstream(file("last.csv"))
        << header << "\n9223372036854775807" << row.substr(row.find(',')) << "\n";
    EXPECT_NE(run("--merge=all.csv last.csv").err.find("beyond any sweep's scenarios"),
              std::string::npos);
}

// Sweeps are integrated side by side in lanes, bit for bit as one run at a
// time: the same bytes on the single run's path, over every mode, several
// lengths and runs that overflow (an R_0 of 1e308).
TEST_F(Sweeps, LanesWriteTheBytesOfTheSingleRunPath) {
    const std::string grid =
        "--sweep=mode=0,1,2 --sweep=T_max=0,10,200,1000 --sweep=Reduction=0:1:0.25 "
        "--sweep=R_0=0.5,1.6,2.7,3.8,4.9,6,1e308 --sweep=t_srt1=0,7.5 --off-ratio=0.25";
    const Outcome lanes = run(grid);
    ASSERT_EQ(lanes.status, 0) << lanes.err;
    EXPECT_NE(lanes.out.find("non-finite"), std::string::npos);
    EXPECT_EQ(run(grid, "MORBILEX_SCALAR=1").out, lanes.out);
}

// A sweep's row is the single run's --summary row with the same options.
TEST_F(Sweeps, RowsEqualSingleRunSummaries) {
    const Outcome sweep =
        run("--sweep=mode=0,1,2 --sweep=T_max=60.7,400 --R_0=3.14159 "
            "--On_threshold=12.345 --off-ratio=0.3");
    ASSERT_EQ(sweep.status, 0) << sweep.err;
    const auto rows = split_lines(sweep.out);
    const std::size_t summary_start = std::string("run_id,swept_mode,swept_T_max,").size();
    EXPECT_EQ(rows[0].substr(0, summary_start), "run_id,swept_mode,swept_T_max,");
    int run_id = 1;
    for (const char* mode : {"0", "1", "2"}) {
        for (const char* T_max : {"60.7", "400"}) {
            const std::string options = std::string("--mode=") + mode + " --T_max=" + T_max +
                                        " --R_0=3.14159 --On_threshold=12.345 "
                                        "--Off_threshold=3.7035 --summary=one.csv";
            ASSERT_EQ(run(options).status, 0);
            const auto single = split_lines(read_bytes(file("one.csv")));
            EXPECT_EQ(rows[0].substr(summary_start), single[0]);
            const std::string& row = rows[run_id];
            EXPECT_EQ(row.substr(row.find(',', row.find(',', row.find(',') + 1) + 1) + 1),
                      single[1])
                << "run_id " << run_id;
            ++run_id;
        }
    }
}

TEST_F(Sweeps, SummaryTakesStandardOutputFromTheTrace) {
    const Outcome block = run("--mode=1 --summary");
    EXPECT_EQ(block.out.rfind("Run summary\n", 0), 0u);
    EXPECT_NE(block.out.find("days_reduced             60.00 days"), std::string::npos);
    const Outcome both = run("--summary --trace=-");
    EXPECT_EQ(both.out.rfind("% MORBILEX", 0), 0u);
    EXPECT_NE(both.out.find("Run summary"), std::string::npos);
}

// Outputs to standard output (by -, or by its file's name) follow one another.
TEST_F(Sweeps, OutputsToStandardOutputFollowOneAnother) {
    const std::string run_options = " --mode=2 --T_max=2";
    ASSERT_EQ(run("--summary=s.csv --trace=t.dat" + run_options).status, 0);
    const std::string block = run("--summary" + run_options).out;
    const Outcome outcome = run("--summary=- --trace=/dev/stdout --summary" + run_options);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, read_bytes(file("s.csv")) + read_bytes(file("t.dat")) + block);
}

TEST_F(Sweeps, OutputsNamedGzAreCompressedInTheFormatTheirNameSays) {
    const std::string sweep = std::string(GRID) + " --jobs=2";
    ASSERT_EQ(run(sweep + " --output=plain.txt").status, 0);
    ASSERT_EQ(run(sweep + " --format=jsonl --output=plain-jsonl.txt").status, 0);
    const struct {
        const char* options;
        const char* output;
        const char* plain;  // the same rows, uncompressed; nullptr: refused
    } cases[] = {
        {"", "rows.csv.gz", "plain.txt"},
        {"--format=csv", "rows.csv.gz", "plain.txt"},
        {"", "rows.jsonl.gz", "plain-jsonl.txt"},
        {"--format=jsonl", "rows.jsonl.gz", "plain-jsonl.txt"},
        {"", "rows.jsonl", "plain-jsonl.txt"},
        {"--format=jsonl", "rows.gz", "plain-jsonl.txt"},
        {"", "rows.gz", "plain.txt"},
        {"--format=jsonl", "rows.csv.gz", nullptr},
        {"--format=csv", "rows.jsonl", nullptr},
    };
    for (const auto& want : cases) {
        const std::string output = want.output;
        std::filesystem::remove(file(output));
        const Outcome outcome = run(sweep + " " + want.options + " --output=" + output);
        if (want.plain == nullptr) {
            EXPECT_EQ(outcome.status, 2) << output;
            EXPECT_NE(outcome.err.find("--output=" + output + " holds"), std::string::npos)
                << outcome.err;
            EXPECT_FALSE(std::filesystem::exists(file(output)));
            continue;
        }
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(text_of(file(output), output.ends_with(".gz")), read_bytes(file(want.plain)))
            << output;
        const bool json = std::string(want.plain) == "plain-jsonl.txt";
        EXPECT_NE(read_bytes(file(output + ".manifest"))
                      .find(json ? "rows_format = jsonl\n" : "rows_format = csv\n"),
                  std::string::npos)
            << output;
    }
    // Shards written compressed merge into the bytes of one process.
    ASSERT_EQ(run(sweep + " --shard=1/2 --output=s1.csv.gz").status, 0);
    ASSERT_EQ(run(sweep + " --shard=2/2 --output=s2.csv.gz").status, 0);
    ASSERT_EQ(run(sweep + " --output=one.csv.gz").status, 0);
    ASSERT_EQ(run("--merge=merged.csv.gz s1.csv.gz s2.csv.gz").status, 0);
    EXPECT_TRUE(read_bytes(file("merged.csv.gz")) == read_bytes(file("one.csv.gz")));
}

TEST_F(Sweeps, RefusedOptionsNameThemselvesAndWriteNothing) {
    for (const char* wrong :
         {"--sweep=R_0=1:2:0", "--sweep=R_0=1,2 --shard=3/2", "--sweep=R_0=1,2 --trace=t.dat",
          "--sweep=R_0=1,2 --R_0=3", "--jobs=2", "--sweep=R_0=1,2 --chart=c.gif"}) {
        const Outcome outcome = run(wrong);
        EXPECT_EQ(outcome.status, 2) << wrong;
        EXPECT_TRUE(outcome.out.empty()) << wrong;
        EXPECT_EQ(split_lines(outcome.err).size(), 1u) << outcome.err;
    }
    // At most four threads a CPU this process may run on.
    EXPECT_EQ(run("--sweep=R_0=1,2 --jobs=5", "taskset -c 0").err,
              "morbilex-batch: --jobs=5: the number of threads is 1 to 4 (4 x the CPUs this "
              "process may run on: 1)\n");
    EXPECT_EQ(run("--sweep=R_0=1,2 --jobs=4", "taskset -c 0").status, 0);
    const Outcome period = run("--sweep=latent_period=2,0");
    EXPECT_EQ(period.status, 1);
    EXPECT_NE(period.err.find("latent_period=0 refused: a period must be above zero"),
              std::string::npos)
        << period.err;
    // An Off_threshold the ratio makes is refused as the ratio, for the
    // overflow of the product (each factor is finite).
    const std::string made = " refused: Off_threshold = F x On_threshold in run_id ";
    const std::string why =
        " overflows: the product is larger in size than any number (about 1.8e308)\n";
    EXPECT_EQ(run("--sweep=R_0=1,2 --off-ratio=1e308").err,
              "morbilex-batch: --off-ratio=1e308" + made + "1" + why);
    EXPECT_EQ(run("--sweep=On_threshold=1,1e300 --off-ratio=1e10").err,
              "morbilex-batch: --off-ratio=1e10" + made + "2" + why);
    // A base field's refusal names its own option, not the sweep.
    EXPECT_EQ(run("--sweep=R_0=1,2 --latent_period=0")
                  .err.rfind("morbilex-batch: --latent_period=0 refused", 0),
              0u);
}

// A chart that cannot be written in full (a full disk, a full device) changes
// nothing: the rows' file and the chart's old file stay as they were, and the
// device stays.
TEST_F(Sweeps, FailedChartLeavesEveryOutputAsItWas) {
    for (const char* name : {"rows.csv", "chart.png"}) {
        std::FILE* out = std::fopen(file(name).c_str(), "w");
        std::fputs("old\n", out);
        std::fclose(out);
    }
    for (const char* chart : {"--chart=chart.png", "--chart=/dev/full"}) {
        const Outcome outcome = run(std::string("--sweep=R_0=1,2 --output=rows.csv ") + chart,
                                    "ulimit -f 8; trap '' XFSZ; ");
        EXPECT_EQ(outcome.status, 1) << chart;
        EXPECT_EQ(split_lines(outcome.err).size(), 1u) << outcome.err;
        EXPECT_EQ(read_bytes(file("rows.csv")), "old\n");
        EXPECT_EQ(read_bytes(file("chart.png")), "old\n");
    }
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 4);
}

// What --resume and --merge join is one sweep: its options, the files they
// read and the program's version; a partial file's rows must be the shard's
// first ones, as many as its manifest says. (A whole shard is put aside as one.)
TEST_F(Sweeps, ResumeAndMergeJoinRowsOfOneSweepOnly) {
    const std::string table = "R_0,mode\n1.5,0\n2.5,1\n", other = "R_0,mode\n1.5,0\n2.6,1\n";
    write_file("lhs.csv", table);
    write_file("plan.morbilex", "T_max = 120\n");
    const std::string sweep =
        "--scenario=plan.morbilex --scenarios=lhs.csv --sweep=latent_period=2:5:0.5";
    ASSERT_EQ(run(sweep + " --shard=2/3 --output=whole.csv").status, 0);
    const std::string whole = read_bytes(file("whole.csv"));
    const std::vector<std::string> lines = split_lines(whole);
    const auto resumed = [&](const std::string& rows, int count, const std::string& told) {
        const std::string manifest = read_bytes(file("whole.csv.manifest"));
        write_file("p.csv.partial", rows);
        write_file("p.csv.partial.manifest", manifest.substr(0, manifest.find("rows = ")) +
                                                 "rows = " + std::to_string(count) + "\n");
        const Outcome outcome = run(sweep + " --shard=2/3 --output=p.csv --resume");
        EXPECT_EQ(outcome.status, 1) << told;
        EXPECT_NE(outcome.err.find(told), std::string::npos) << outcome.err;
    };
    resumed(lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + lines[4] + "\n", 3,
            "p.csv.partial line 4: run_id 11 where run_id 8 comes next");
    resumed(whole.substr(0, whole.rfind('\n', whole.size() - 2) + 1), 5,
            "p.csv.partial: 4 rows where its manifest says 5");
    const std::string manifest = read_bytes(file("whole.csv.manifest"));
    std::string older = manifest;
    write_file("whole.csv.manifest", older.replace(older.find(" 1.0\n"), 5, " 0.9\n"));
    resumed(whole, 5, "was written by morbilex-batch 0.9, not by this morbilex-batch 1.0");
    write_file("whole.csv.manifest", manifest);
    write_file("lhs.csv", other);
    resumed(whole, 5, "a file the sweep reads (--scenario, --scenarios) changed since");
    write_file("lhs.csv", table);
    write_file("plan.morbilex", "T_max = 121\n");
    resumed(whole, 5, "a file the sweep reads (--scenario, --scenarios) changed since");
    write_file("plan.morbilex", "T_max = 120\n");
    EXPECT_FALSE(std::filesystem::exists(file("p.csv")));
    ASSERT_EQ(run(sweep + " --shard=2/3 --output=p.csv --resume").status, 0);
    EXPECT_EQ(read_bytes(file("p.csv")), whole);
    // Shards made before and after the file changed are not one sweep.
    ASSERT_EQ(run(sweep + " --shard=1/3 --output=s1.csv").status, 0);
    write_file("lhs.csv", other);
    ASSERT_EQ(run(sweep + " --shard=3/3 --output=s3.csv").status, 0);
    EXPECT_NE(run("--merge=all.csv s1.csv whole.csv s3.csv")
                  .err.find("s1.csv and s3.csv are not shards of one sweep (identity "),
              std::string::npos);
}

// --resume in a task requeued or run again: with nothing kept it runs from
// the start, with its output whole it has nothing to do; a task run again
// alone (an array of one) is told its K/N. Swept values that make the same
// scenarios are told, and the sweep goes on.
TEST_F(Sweeps, ResumeWithNothingKeptAndLoneTasksAndRepeatedScenarios) {
    const std::string sweep = "--sweep=R_0=1:3:0.25 --T_max=50";
    ASSERT_EQ(run(sweep + " --output=whole.csv").status, 0);
    ASSERT_EQ(run(sweep + " --output=p.csv --resume").status, 0);
    EXPECT_EQ(read_bytes(file("p.csv")), read_bytes(file("whole.csv")));
    const Outcome again = run(sweep + " --output=p.csv --resume");
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.err,
              "morbilex-batch: --resume: p.csv holds every row of this sweep already "
              "(9); nothing to do\n");
    const std::string lone =
        "env -i SLURM_ARRAY_TASK_ID=2 SLURM_ARRAY_TASK_MIN=2 "
        "SLURM_ARRAY_TASK_MAX=2 SLURM_ARRAY_TASK_COUNT=1";
    ASSERT_EQ(run(sweep + " --shard=2/4 --output=part.csv").status, 0);
    const Outcome known = run(sweep + " --shard=auto --resume --output=part.csv", lone);
    EXPECT_EQ(known.status, 2);
    EXPECT_NE(known.err.find("(Slurm); give --shard=2/4, as part.csv.manifest tells\n"),
              std::string::npos)
        << known.err;
    EXPECT_NE(run(sweep + " --shard=auto --output=new.csv", lone).err.find("give --shard=2/N"),
              std::string::npos);
    const Outcome capped = run("--sweep=T_max=10000,20000 --sweep=R_0=2,3 --count");
    EXPECT_EQ(capped.status * 10 + std::stoi(capped.out), 4);
    EXPECT_EQ(capped.err,
              "morbilex-batch: warning: --sweep=T_max=10000,20000: T_max=10000 and 20000 make "
              "the same scenarios, as a run stops at 10000 days (40000 steps of 0.25 days); their "
              "rows differ only in swept_T_max\n");
}

// The sweep of the signal tests: long enough to be stopped halfway.
constexpr const char* LONG_SWEEP = "--sweep=R_0=1:100:0.0005 --jobs=2";

class Stopped : public Sweeps {
protected:
    // Starts the program on the arguments (split at spaces), waits until more
    // than 4 kB reach a temporary file starting with hidden, and stops it
    // there (SIGSTOP): however fast the machine, it is caught mid-run.
    // signal() then sends the signal and lets it go on.
    pid_t start(const std::string& arguments, const std::string& hidden) const {
        std::vector<std::string> words{MORBILEX_BATCH_PROGRAM};
        for (std::size_t at = 0; at < arguments.size();) {
            const std::size_t space = std::min(arguments.find(' ', at), arguments.size());
            if (space > at) words.push_back(arguments.substr(at, space - at));
            at = space + 1;
        }
        const pid_t child = fork();
        if (child == 0) {
            std::vector<char*> argv;
            for (std::string& word : words)
                argv.push_back(word.data());
            argv.push_back(nullptr);
            const int err = open(file("stopped.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (chdir(folder.path().c_str()) == 0 && dup2(err, STDERR_FILENO) >= 0)
                execv(argv[0], argv.data());
            _exit(127);
        }
        const auto under_way = [&] {
            std::error_code gone;  // a temporary renamed while listed
            for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
                if (entry.path().filename().string().rfind(hidden, 0) == 0 &&
                    entry.file_size(gone) > 4096 && !gone)
                    return true;
            }
            return false;
        };
        while (!under_way())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        kill(child, SIGSTOP);
        int status = 0;
        EXPECT_EQ(waitpid(child, &status, WUNTRACED), child);
        EXPECT_TRUE(WIFSTOPPED(status)) << "the run ended before it could be stopped";
        EXPECT_TRUE(under_way()) << "the run had finished its output";
        return child;
    }

    // Sends the signal to a child that start() stopped, and continues it.
    static void signal(pid_t child, int signal_number) {
        kill(child, signal_number);
        kill(child, SIGCONT);
    }

    static int status_of(pid_t child) {
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

    // Hidden files (temporaries) and lock files in the folder.
    std::vector<std::string> litter() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            const std::string name = entry.path().filename().string();
            if (name[0] == '.' || name.ends_with(".lock")) found.push_back(name);
        }
        return found;
    }

    void write(const std::string& name, const std::string& text) const {
        std::FILE* out = std::fopen(file(name).c_str(), "w");
        std::fputs(text.c_str(), out);
        std::fclose(out);
    }
};

TEST_F(Stopped, SignalsKeepCompleteRowsApartAndResumeFinishesThem) {
    const struct {
        int signal;
        const char* options;
        const char* output;
    } cases[] = {{SIGINT, "", "out.csv"},
                 {SIGTERM, "--format=jsonl --shard=2/3", "out.jsonl"},
                 {SIGHUP, "--shard=1/2", "out.csv"},
                 {SIGTERM, "--shard=1/2", "out.jsonl.gz"}};
    for (const auto& stop : cases) {
        const std::string sweep = std::string(LONG_SWEEP) + " " + stop.options;
        const std::string output = stop.output;
        ASSERT_EQ(run(sweep + " --output=whole-" + output).status, 0);
        write(output, "old\n");
        const pid_t child = start(sweep + " --output=" + output, "." + output + ".tmp-");
        signal(child, stop.signal);
        EXPECT_EQ(status_of(child), 128 + stop.signal) << stop.signal;
        EXPECT_EQ(read_bytes(file(output)), "old\n");
        EXPECT_TRUE(litter().empty()) << litter()[0];
        // A .gz output's partial file is compressed too.
        const bool compressed = output.ends_with(".gz");
        const std::string kept = text_of(file(output + ".partial"), compressed);
        ASSERT_FALSE(kept.empty());
        EXPECT_EQ(kept.back(), '\n');
        const std::string whole = text_of(file("whole-" + output), compressed);
        EXPECT_EQ(whole.compare(0, kept.size(), kept), 0) << "partial rows are the first ones";
        const std::string told = read_bytes(file("stopped.txt"));
        EXPECT_EQ(split_lines(told).size(), 1u) << told;
        EXPECT_NE(told.find("rows are kept in " + output + ".partial"), std::string::npos) << told;
        const Outcome resumed = run(sweep + " --output=" + output + " --resume");
        ASSERT_EQ(resumed.status, 0) << resumed.err;
        EXPECT_EQ(read_bytes(file(output)), read_bytes(file("whole-" + output))) << stop.signal;
        EXPECT_EQ(read_bytes(file(output + ".manifest")),
                  read_bytes(file("whole-" + output + ".manifest")));
        EXPECT_FALSE(std::filesystem::exists(file(output + ".partial")));
        EXPECT_FALSE(std::filesystem::exists(file(output + ".partial.manifest")));
    }
    // A resume with another sweep's rows.
    const pid_t child = start(std::string(LONG_SWEEP) + " --output=out.csv", ".out.csv.tmp-");
    signal(child, SIGTERM);
    EXPECT_EQ(status_of(child), 143);
    const Outcome other = run("--sweep=R_0=1:100:0.001 --output=out.csv --resume");
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(other.err, "morbilex-batch: --resume: out.csv.partial belongs to another sweep (" +
                             std::string(LONG_SWEEP).substr(0, 24) + ")\n");
}

TEST_F(Stopped, SignalsLeaveNoLitterAndKilledRunsAreCleanedUp) {
    // The stopped sweep tells where its rows are, on one line.
    pid_t child = start(std::string(LONG_SWEEP) + " --output=rows.csv", ".rows.csv.tmp-");
    kill(child, SIGINT);
    signal(child, SIGTERM);  // a second signal while it stops ends it at once
    const int status = status_of(child);
    EXPECT_TRUE(status == 143 || status == 130) << status;  // unless it had stopped
    EXPECT_TRUE(litter().empty());
    std::filesystem::remove(file("rows.csv.partial"));
    std::filesystem::remove(file("rows.csv.partial.manifest"));

    // kill -9 leaves a temporary and a lock; the next run on the output clears both.
    child = start(std::string(LONG_SWEEP) + " --output=rows.csv", ".rows.csv.tmp-");
    kill(child, SIGKILL);
    EXPECT_EQ(status_of(child), -SIGKILL);
    EXPECT_EQ(litter().size(), 2u);
    ASSERT_EQ(run("--sweep=R_0=1,2 --output=rows.csv").status, 0);
    EXPECT_TRUE(litter().empty());

    // An interrupted merge writes nothing.
    for (const char* shard : {"1", "2"}) {
        ASSERT_EQ(
            run(std::string(LONG_SWEEP) + " --shard=" + shard + "/2 --output=s" + shard + ".csv")
                .status,
            0);
    }
    child = start("--merge=all.csv s1.csv s2.csv", ".all.csv.tmp-");
    signal(child, SIGTERM);
    EXPECT_EQ(status_of(child), 143);
    EXPECT_FALSE(std::filesystem::exists(file("all.csv")));
    EXPECT_TRUE(litter().empty());
}

TEST_F(Stopped, SecondRunOnAHeldOutputIsRefused) {
    // A live holder (this test) refuses the run; a lock left by a dead process does not.
    const int lock = open(file("rows.csv.lock").c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    const std::string pid = std::to_string(getpid());
    ASSERT_EQ(::write(lock, pid.data(), pid.size()), static_cast<ssize_t>(pid.size()));
    const Outcome refused = run("--sweep=R_0=1,2 --output=rows.csv");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "morbilex-batch: --output=rows.csv: another morbilex-batch (pid " + pid +
                               ") is writing this file; it is locked by rows.csv.lock\n");
    EXPECT_EQ(run("--merge=rows.csv good.csv").status, 1);
    EXPECT_FALSE(std::filesystem::exists(file("rows.csv")));
    close(lock);
    EXPECT_EQ(run("--sweep=R_0=1,2 --output=rows.csv").status, 0);
    EXPECT_TRUE(litter().empty());
    // Tasks of a job array given one output, one after another.
    ASSERT_EQ(run("--sweep=R_0=1:2:0.5 --shard=1/2 --output=part.csv").status, 0);
    const std::string first = read_bytes(file("part.csv"));
    const Outcome second = run("--sweep=R_0=1:2:0.5 --shard=2/2 --output=part.csv");
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err,
              "morbilex-batch: --output=part.csv: it holds shard 1/2 of this sweep; give each "
              "shard its own output (or remove it first)\n");
    EXPECT_EQ(read_bytes(file("part.csv")), first);
}

TEST_F(Stopped, WhatAPathIsDecidesHowItIsWritten) {
    // A regular file under /dev/ is replaced whole or not at all, and is one file.
    const std::string shm = "/dev/shm/morbilex-test-" + std::to_string(getpid()) + ".csv";
    if (std::filesystem::is_directory("/dev/shm")) {
        write("../" + std::filesystem::relative(shm, folder.path()).string(), "old\n");
        const Outcome failed =
            run("--sweep=R_0=1:2:0.01 --output=" + shm, "ulimit -f 1; trap '' XFSZ; ");
        EXPECT_EQ(failed.status, 1);
        EXPECT_EQ(read_bytes(shm), "old\n");
        EXPECT_EQ(run("--trace=" + shm + " --summary=" + shm).status, 2);
        EXPECT_EQ(run("--sweep=R_0=1,2 --output=" + shm).status, 0);
        EXPECT_EQ(split_lines(read_bytes(shm)).size(), 3u);
        std::filesystem::remove(shm);
        std::filesystem::remove(shm + ".manifest");
    }
    // A FIFO is written in place, with no manifest beside it.
    ASSERT_EQ(mkfifo(file("pipe").c_str(), 0666), 0);
    EXPECT_EQ(run("--sweep=R_0=1,2 --output=pipe", "(cat pipe >piped.csv &);").status, 0);
    while (split_lines(read_bytes(file("piped.csv"))).size() < 3)  // cat may still be copying
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(split_lines(read_bytes(file("piped.csv"))).size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(file("pipe.manifest")));
    // A dangling chain of links keeps every link; a loop is refused.
    std::filesystem::create_symlink("second", file("first.csv"));
    std::filesystem::create_symlink("end.csv", file("second"));
    EXPECT_EQ(run("--sweep=R_0=1,2 --output=first.csv").status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(file("second")));
    EXPECT_EQ(split_lines(read_bytes(file("end.csv"))).size(), 3u);
    std::filesystem::create_symlink("loop2", file("loop1"));
    std::filesystem::create_symlink("loop1", file("loop2"));
    const Outcome loop = run("--sweep=R_0=1,2 --output=loop1");
    EXPECT_EQ(loop.status, 1);
    EXPECT_EQ(loop.err, "morbilex-batch: --output=loop1: Too many levels of symbolic links\n");
    EXPECT_TRUE(std::filesystem::is_symlink(file("loop1")));
    EXPECT_TRUE(std::filesystem::is_symlink(file("loop2")));
}

// Writes a manifest beside a shard's file, as a sweep does (with a line this
// reader does not know).
void write_manifest(const std::string& path, const std::string& shard, int rows,
                    const std::string& identity = "00d1f2a3b4c5e6f7",
                    const std::string& format = "csv") {
    std::FILE* out = std::fopen((path + ".manifest").c_str(), "w");
    std::fprintf(out,
                 "# morbilex-batch sweep\nformat = 1\nprogram = morbilex-batch 1.0\n"
                 "sweep = %s\nidentity = %s\nrows_format = %s\nshard = %s\nrows = %d\n"
                 "written = later\n",
                 GRID, identity.c_str(), format.c_str(), shard.c_str(), rows);
    std::fclose(out);
}

// With manifests a merge proves itself whole: one sweep, every shard once and
// whole; merged parts (--partial) merge again into the same bytes.
TEST_F(Sweeps, MergeWithManifestsRefusesWhatIsNotOneWholeSweep) {
    const Outcome one = run(GRID);
    ASSERT_EQ(one.status, 0);
    for (int k = 1; k <= 4; ++k) {
        const std::string name = "p" + std::to_string(k) + ".csv";
        ASSERT_EQ(
            run(std::string(GRID) + " --shard=" + std::to_string(k) + "/4 --output=" + name).status,
            0);
        write_manifest(file(name), std::to_string(k) + "/4", 6);
    }
    ASSERT_EQ(run("--merge=all.csv p4.csv p2.csv p3.csv p1.csv").status, 0);
    EXPECT_EQ(read_bytes(file("all.csv")), one.out);
    const std::string told = read_bytes(file("all.csv.manifest"));
    EXPECT_NE(told.find("\nshard = 1/1\nrows = 24\n"), std::string::npos) << told;
    ASSERT_EQ(run("--merge=odd.csv --partial p3.csv p1.csv").status, 0);
    EXPECT_NE(read_bytes(file("odd.csv.manifest")).find("\nshard = 1,3/4\nrows = 12\n"),
              std::string::npos);
    ASSERT_EQ(run("--merge=even.csv p4.csv p2.csv --partial").status, 0);
    ASSERT_EQ(run("--merge=again.csv odd.csv even.csv").status, 0);
    EXPECT_EQ(read_bytes(file("again.csv")), one.out);
    EXPECT_EQ(run("--merge=more.csv odd.csv p1.csv p2.csv p4.csv").err,
              "morbilex-batch: --merge=more.csv: odd.csv and p1.csv both hold shard 1/4\n");

    std::filesystem::copy_file(file("p1.csv"), file("q.csv"));
    std::filesystem::copy_file(file("p1.csv"), file("plain.csv"));
    const struct {
        const char* shard;  // of q.csv's manifest
        int rows;
        const char* identity;
        const char* inputs;
        const char* reason;
    } refused[] = {
        {"1/4", 6, "00d1f2a3b4c5e6f7", "p1.csv p2.csv", "missing shards: 3-4 of 4"},
        {"1/4", 6, "00d1f2a3b4c5e6f7", "p2.csv p4.csv", "missing shards: 1,3 of 4"},
        {"1/4", 6, "00d1f2a3b4c5e6f7", "p1.csv p2.csv p3.csv p4.csv q.csv",
         "p1.csv and q.csv both hold shard 1/4"},
        {"1/4", 7, "00d1f2a3b4c5e6f7", "p2.csv p3.csv p4.csv q.csv",
         "q.csv: 6 rows where its manifest says 7 (incomplete)"},
        {"2/4", 6, "00d1f2a3b4c5e6f7", "p1.csv p3.csv p4.csv q.csv",
         "q.csv line 2: run_id 1 is not of shard 2/4 its manifest names"},
        {"1/4", 6, "ffffffffffffffff", "p2.csv p3.csv p4.csv q.csv",
         "p2.csv and q.csv are not shards of one sweep (identity 00d1f2a3b4c5e6f7 against "
         "ffffffffffffffff)"},
        {"1/5", 6, "00d1f2a3b4c5e6f7", "p2.csv q.csv",
         "p2.csv and q.csv are not shards of one sweep (shard count 4 against 5)"},
        {"1/4", 6, "00d1f2a3b4c5e6f7", "p1.csv plain.csv",
         "p1.csv has a manifest and plain.csv has none: give the shards of one sweep, all "
         "with their manifests or none"},
        {"1/4", -1, "00d1f2a3b4c5e6f7", "q.csv", "q.csv.manifest line 8: rows is a count, not -1"},
        {"1/4", 6, "00D1F2A3B4C5E6F7", "q.csv",
         "q.csv.manifest line 5: an identity is 16 lower-case hex digits, not 00D1F2A3B4C5E6F7"},
        {"0/4", 6, "00d1f2a3b4c5e6f7", "q.csv",
         "q.csv.manifest line 7: a shard is K/N with K from 1 to N, not 0/4"},
        {"1,3,5,7,9,11,13,15,17,19,21,23,25,27,29,31,33,35,37,39,41,43/100", 6, "00d1f2a3b4c5e6f7",
         "q.csv",
         "missing shards: 2,4,6,8,10,12,14,16,18,20,22,24,26,28,30,32,34,36,38,40,... of 100 "
         "(78 in all)"},
    };
    for (const auto& input : refused) {
        write_manifest(file("q.csv"), input.shard, input.rows, input.identity);
        const Outcome outcome = run(std::string("--merge=out.csv ") + input.inputs);
        EXPECT_EQ(outcome.err,
                  std::string("morbilex-batch: --merge=out.csv: ") + input.reason + "\n");
        EXPECT_FALSE(std::filesystem::exists(file("out.csv"))) << input.reason;
    }
    write_manifest(file("q.csv"), "1/4", 6, "00d1f2a3b4c5e6f7", "jsonl");
    EXPECT_EQ(run("--merge=out.csv --partial q.csv").err,
              "morbilex-batch: --merge=out.csv: q.csv: its manifest says rows_format = jsonl but "
              "the rows are CSV\n");
}

// 2,000 shards merge under a limit of 256 open files into the bytes of one
// sweep: at once, and in two stages (--partial, no manifests); compressed,
// read and written. Each shard is longer than the block read at a time.
TEST_F(Sweeps, ManyShardsMergeUnderFewOpenFiles) {
    const Outcome one = run("--sweep=R_0=1:5:0.001 --sweep=T_max=1:16:1");
    ASSERT_EQ(one.status, 0);
    const auto lines = split_lines(one.out);
    constexpr std::size_t SHARDS = 2000;
    std::vector<std::string> texts(SHARDS, lines[0] + '\n');
    for (std::size_t r = 1; r < lines.size(); ++r)
        texts[(r - 1) % SHARDS] += lines[r] + '\n';
    ASSERT_GT(texts.back().size(), (std::size_t{16} << 20) / SHARDS);
    std::string first_part;
    std::string second_part;
    for (std::size_t k = 0; k < SHARDS; ++k) {
        const std::string name = "s" + std::to_string(k + 1) + ".csv";
        std::FILE* out = std::fopen(file(name).c_str(), "w");
        std::fputs(texts[k].c_str(), out);
        std::fclose(out);
        (k % 3 == 0 ? first_part : second_part) += ' ' + name;
    }
    const std::string limited = "ulimit -n 256 &&";
    const Outcome all = run("--merge=all.csv" + first_part + second_part, limited);
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(read_bytes(file("all.csv")), one.out);
    ASSERT_EQ(run("--merge=a.csv --partial" + first_part, limited).status, 0);
    ASSERT_EQ(run("--merge=b.csv --partial" + second_part, limited).status, 0);
    ASSERT_EQ(run("--merge=ab.csv b.csv a.csv", limited).status, 0);
    EXPECT_EQ(read_bytes(file("ab.csv")), one.out);
    EXPECT_EQ(run("--merge=a.csv" + first_part, limited).err.substr(0, 47),
              "morbilex-batch: --merge=a.csv: run_ids 2-3,5-6,");

    // The first part compressed: mixed with plain files, into a compressed file.
    std::string compressed;
    for (std::size_t k = 0; k < SHARDS; k += 3)
        compressed += " s" + std::to_string(k + 1) + ".csv.gz";
    ASSERT_EQ(run("--merge=all.csv.gz" + compressed + second_part,
                  "gzip -n" + first_part + " &&" + limited)
                  .status,
              0);
    EXPECT_EQ(run("--merge=-" + std::string(" all.csv.gz")).out, one.out);
    std::filesystem::resize_file(file("s1.csv.gz"), 100);
    EXPECT_EQ(run("--merge=cut.csv s1.csv.gz").err,
              "morbilex-batch: --merge=cut.csv: s1.csv.gz: the compressed file is cut short\n");
}

}  // namespace
}  // namespace morbilex
