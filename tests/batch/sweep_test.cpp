// Summaries and sweeps of morbilex-batch from the outside.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace morbilex {
namespace {

using testing::read_bytes;
using testing::split_lines;
using testing::TemporaryFolder;

struct Outcome {
    int status;
    std::string out, err;
};

class Sweeps : public ::testing::Test {
protected:
    TemporaryFolder folder;

    std::string file(const std::string& name) const { return folder.file(name); }

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
    ASSERT_EQ(run("--merge=all.csv " + shards).status, 0);
    EXPECT_EQ(read_bytes(file("all.csv")), one.out);

    const Outcome missing = run("--merge=some.csv part1.csv part3.csv");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "morbilex-batch: --merge=some.csv: run_ids 2,4-5,7,9-10,12,14-15,17,19-20,22 are "
              "missing\n");
    EXPECT_EQ(run("--merge=some.csv part1.csv part2.csv part4.csv part5.csv").err,
              "morbilex-batch: --merge=some.csv: run_ids 3,8,13,18,23 are missing\n");
    EXPECT_NE(run("--merge=twice.csv part1.csv part2.csv part2.csv").err.find("comes twice"),
              std::string::npos);
    run(std::string(GRID) + " --format=jsonl --output=part.jsonl");
    EXPECT_NE(run("--merge=mixed.csv part1.csv part.jsonl").err.find("header differs"),
              std::string::npos);
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

// One gap is told as before; many by their first twenty ranges and their count.
TEST_F(Sweeps, MergeTellsMissingRunIdsBriefly) {
    for (const char* shard : {"1", "3"}) {
        ASSERT_EQ(run(std::string("--sweep=R_0=1,2,3 --T_max=5 --output=") + shard +
                      ".csv --shard=" + shard + "/3")
                      .status,
                  0);
    }
    EXPECT_EQ(run("--merge=all.csv 3.csv 1.csv").err,
              "morbilex-batch: --merge=all.csv: run_id 2 is missing\n");
    ASSERT_EQ(run("--sweep=R_0=1:3:0.02 --T_max=5 --shard=1/2 --output=odd.csv").status, 0);
    EXPECT_EQ(run("--merge=all.csv odd.csv").err,
              "morbilex-batch: --merge=all.csv: run_ids 2,4,6,8,10,12,14,16,18,20,22,24,26,28,30,"
              "32,34,36,38,40,... are missing (50 in all)\n");
}

// Sweeps are integrated side by side in lanes, bit for bit as one run at a
// time: the same bytes on the single run's path, over every mode, several
// lengths and runs that overflow.
TEST_F(Sweeps, LanesWriteTheBytesOfTheSingleRunPath) {
    const std::string grid =
        "--sweep=mode=0,1,2 --sweep=T_max=0,10,200,1000 --sweep=Reduction=0:3:0.5 "
        "--sweep=R_0=0.5:6:1.1 --sweep=t_srt1=0,7.5 --off-ratio=0.25";
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
    // An Off_threshold the ratio makes is refused as the ratio.
    const std::string made = " refused: Off_threshold = F x On_threshold = inf in run_id ";
    const std::string why = ": no finite number at the start of the text\n";
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

TEST_F(Sweeps, InterruptKeepsCompleteRows) {
    const auto rows_written = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            if (entry.path().filename().string().rfind(".big.csv.", 0) == 0 &&
                entry.file_size() > 4096)
                return true;
        }
        return false;
    };
    const pid_t child = fork();
    if (child == 0) {
        const std::string output = "--output=" + file("big.csv");
        execl(MORBILEX_BATCH_PROGRAM, MORBILEX_BATCH_PROGRAM, "--sweep=R_0=1:100:0.0001",
              "--jobs=2", output.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Once rows reach the file under its temporary name, the sweep is under way.
    for (int wait = 0; wait < 1000 && !rows_written(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const std::string text = read_bytes(file("big.csv"));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const auto lines = split_lines(text);
    for (std::size_t k = 1; k < lines.size(); ++k) {
        ASSERT_EQ(std::count(lines[k].begin(), lines[k].end(), ','),
                  std::count(lines[0].begin(), lines[0].end(), ','));
        ASSERT_EQ(lines[k].substr(0, lines[k].find(',')), std::to_string(k));
    }
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
