// morbilex-batch from the outside: arguments in, exit status, trace and
// messages out.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/simulation.h"
#include "study/ensemble.h"
#include "support/test_support.h"
#include "text/shortest.h"
#include "trace/traced_run.h"

namespace morbilex {
namespace {

using testing::default_records;
using testing::read_bytes;
using testing::read_text;
using testing::split_lines;
using testing::TemporaryFolder;

struct Outcome {
    int status;
    std::string out;  // standard output
    std::string err;  // standard error
};

class BatchTool : public ::testing::Test {
protected:
    TemporaryFolder folder;

    std::string file(const std::string& name) const { return folder.file(name); }

    // Runs the program with the arguments (no blanks in them) from the folder,
    // after the shell commands of prefix.
    Outcome run(const std::string& arguments, const std::string& prefix = "") const {
        const std::string out = file("stdout.txt");
        const std::string err = file("stderr.txt");
        const std::string command = "cd '" + folder.path().string() + "' && " + prefix + "'" +
                                    MORBILEX_BATCH_PROGRAM + "' " + arguments + " >'" + out +
                                    "' 2>'" + err + "'";
        const int raw = std::system(command.c_str());
        const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return {status, read_bytes(out), read_bytes(err)};
    }

    // Only the files the test itself looks for, besides the captured streams.
    std::vector<std::string> written_files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            const std::string name = entry.path().filename().string();
            if (name != "stdout.txt" && name != "stderr.txt") names.push_back(name);
        }
        return names;
    }
};

struct Row {
    int step = 0, on_flag = 0;
    double t = 0;
};

std::vector<Row> rows_of(const std::string& trace) {
    std::vector<Row> rows;
    for (const std::string& line : split_lines(trace)) {
        Row row;
        if (!line.empty() && line[0] != '%' &&
            std::sscanf(line.c_str(), "%d %lf %d", &row.step, &row.t, &row.on_flag) == 3) {
            rows.push_back(row);
        }
    }
    return rows;
}

// (row, new on_flag) at every change of the flag.
std::vector<std::pair<int, int>> switches_of(const std::vector<Row>& rows) {
    std::vector<std::pair<int, int>> switches;
    int flag = 0;
    for (const Row& row : rows) {
        if (row.on_flag != flag) switches.emplace_back(row.step, row.on_flag);
        flag = row.on_flag;
    }
    return switches;
}

TEST_F(BatchTool, DefaultTraceEqualsTheEnginesOnStandardOutputAndInAFile) {
    auto records = default_records();
    const std::string engine = file("engine.dat");
    ASSERT_EQ(run_simulation(*records, MODE_NO_INTERVENTION, engine.c_str()), RUN_COMPLETED);
    const std::string expected = read_bytes(engine);

    const Outcome to_stdout = run("");
    EXPECT_EQ(to_stdout.status, 0) << to_stdout.err;
    EXPECT_EQ(to_stdout.out, expected);
    EXPECT_EQ(to_stdout.err, "");

    const Outcome to_file = run("--trace=trace.dat --mode=0");
    EXPECT_EQ(to_file.status, 0) << to_file.err;
    EXPECT_EQ(to_file.out, "");
    EXPECT_EQ(read_bytes(file("trace.dat")), expected);
}

TEST_F(BatchTool, IntermittentRunSwitchesAtTheKnownRows) {
    const Outcome outcome = run("--mode=2 --trace=out.dat");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<Row> rows = rows_of(read_text(file("out.dat")));
    ASSERT_EQ(rows.size(), 801u);
    const std::vector<std::pair<int, int>> expected = {
        {231, 9}, {388, 0}, {467, 9}, {621, 0}, {702, 9}};
    EXPECT_EQ(switches_of(rows), expected);
    EXPECT_EQ(rows.back().on_flag, 9);
    EXPECT_DOUBLE_EQ(rows[231].t, 57.75);
}

TEST_F(BatchTool, FieldsGoThroughTheDialogs) {
    const Outcome outcome =
        run("--T_max=123.9 --init_E=6000 --init_I=3000 --init_R=2000 "
            "--R_0=2.5x --infectious_period=' 4 days'");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<std::string> lines = split_lines(outcome.out);
    ASSERT_EQ(lines.size(), 3u + 493u);
    EXPECT_EQ(lines[0],
              "% MORBILEX : R_0 =  2.50,  Latent period =  4.60,  Infectious period =  4.00");
    EXPECT_EQ(lines[3], "    0    0.00     0    0.00 6000.00 3000.00 1000.00");
}

TEST_F(BatchTool, DialogsApplyInOrderModelOneTimeIntermittentScale) {
    // The intermittent dialog caps window 1 at the duration the model dialog set.
    const Outcome outcome = run("--Reduction=0.5 --T_max=50 --t_srt1=-3 --mode=1");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<std::string> lines = split_lines(outcome.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(0, 63),
              "% One-time intervention: (redct, from, to) = 1 ( 0.800,    0.00");
    EXPECT_NE(lines[1].find("   50.00) : 2"), std::string::npos) << lines[1];
}

TEST_F(BatchTool, RefusalsSayWhyAndWriteNothing) {
    struct Case {
        const char* arguments;
        int status;
        const char* named;
    };
    const Case cases[] = {
        {"--R_0=x2.5", 1, "--R_0=x2.5"},
        {"--R_0=", 1, "--R_0"},
        {"--T_max=1e999", 1, "--T_max"},
        {"--init_R=nan", 1, "--init_R"},
        {"--latent_period=0", 1, "--latent_period"},
        {"--infectious_period=-5", 1, "--infectious_period"},
        {"--init_I=-1", 1, "--init_I"},
        {"--xmax=inf", 1, "--xmax"},
        {"--R_0=2,5", 1, "--R_0=2,5 refused: a decimal comma"},
        {"--Redct2=80", 1, "--Redct2=80 refused: a reduction is a fraction from 0 to 1"},
        {"--Reduction=-0.001", 1, "--Reduction=-0.001 refused: a reduction"},
        {"--scenario=missing.morbilex", 2, "--scenario=missing.morbilex: "},
        {"--bogus=1", 2, "--bogus"},
        {"--init_S=5", 2, "--init_S"},
        {"--mode=3", 2, "--mode=3"},
        {"--size=10", 2, "--size"},
        {"--R_0=1 --R_0=2", 2, "--R_0"},
        {"stray", 2, "stray"},
        {"--trace", 2, "--trace"},
        {"--trace=other.dat", 2, "--trace is given twice"},
        {"--chart=chart.gif", 2, "--chart=chart.gif"},
        {"--summary=./trace.dat", 2, "--summary=./trace.dat: the same file as --trace"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Outcome outcome = run(std::string(c.arguments) + " --trace=trace.dat");
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.out, "");
        ASSERT_FALSE(outcome.err.empty());
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
        EXPECT_NE(outcome.err.find(c.named), std::string::npos) << outcome.err;
        EXPECT_TRUE(written_files().empty());
    }
}

TEST_F(BatchTool, UnwritableTraceFails) {
    const Outcome outcome = run("--trace=missing/trace.dat");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("missing/trace.dat"), std::string::npos);
    EXPECT_TRUE(written_files().empty());
}

// A failed output leaves whatever stood at its path as it was: a user's file,
// a link and the file behind it, a device. Full disks are a file size limit.
TEST_F(BatchTool, FailedOutputsLeaveWhatStoodThereAndSaySo) {
    std::filesystem::create_directory(file("kept"));
    const std::string old_text = "the user's own\n";
    for (const char* name : {"kept/trace.dat", "kept/behind.png"}) {
        std::FILE* out = std::fopen(file(name).c_str(), "w");
        std::fputs(old_text.c_str(), out);
        std::fclose(out);
    }
    std::filesystem::create_symlink("behind.png", file("kept/link.png"));
    const std::string limited = "ulimit -f 8; trap '' XFSZ; ";
    for (const char* arguments :
         {"--trace=kept/trace.dat", "--trace=kept/trace.dat --T_max=1 --chart=/dev/full",
          "--trace=/dev/full", "--trace=kept/trace.dat --T_max=1 --chart=kept/link.png",
          "--trace=kept/trace.dat --T_max=1 --chart=kept/trace.pdf",
          "--trace=kept/trace.dat --T_max=1 --summary=/dev/full"}) {
        SCOPED_TRACE(arguments);
        const Outcome outcome = run(arguments, limited);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
        EXPECT_EQ(read_bytes(file("kept/trace.dat")), old_text);
        EXPECT_EQ(read_bytes(file("kept/behind.png")), old_text);
        EXPECT_TRUE(std::filesystem::is_symlink(file("kept/link.png")));
        EXPECT_TRUE(std::filesystem::exists("/dev/full"));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file("kept")), {}), 3);
    }
    // Written in full, the link stays and its file is replaced.
    const Outcome outcome = run("--trace=kept/trace.dat --chart=kept/link.png --size=400x300");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(std::filesystem::is_symlink(file("kept/link.png")));
    EXPECT_EQ(read_bytes(file("kept/behind.png")).substr(0, 4), "\x89PNG");
}

// A run that overflows still writes its trace, then says so with a status
// of its own.
TEST_F(BatchTool, OverflowWritesTheTraceAndExitsWith3) {
    const Outcome outcome = run("--R_0=1e308 --trace=trace.dat");
    EXPECT_EQ(outcome.status, 3);
    EXPECT_NE(outcome.err.find("from day 0.25 on"), std::string::npos) << outcome.err;
    EXPECT_EQ(split_lines(read_text(file("trace.dat"))).size(), 3u + 801u);
}

// Every size the help allows is drawn; one pixel more is a wrong option.
TEST_F(BatchTool, TheLargestSizeOfTheHelpIsDrawn) {
    EXPECT_NE(run("--help").out.find("1 to 16384"), std::string::npos);
    EXPECT_EQ(run("--chart=chart.svg --size=16384x16384 --T_max=1").status, 0);
    EXPECT_EQ(run("--chart=chart.svg --size=16385x10").status, 2);
}

// Text that standard output cannot take is a failure, not success.
TEST_F(BatchTool, FullStandardOutputFails) {
    for (const char* arguments : {"--help", "--count --sweep=R_0=1,2", "--summary"}) {
        const std::string command = std::string("'") + MORBILEX_BATCH_PROGRAM + "' " + arguments +
                                    " >/dev/full 2>/dev/null";
        const int raw = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << arguments;
    }
}

TEST_F(BatchTool, HelpDescribesEveryOption) {
    const Outcome outcome = run("--help --bogus=1");
    EXPECT_EQ(outcome.status, 0);
    for (const char* option : {"--R_0=", "--t_stp3=", "--Off_threshold=", "--ymax=", "--mode=",
                               "--trace=", "--chart=", "--size="}) {
        EXPECT_NE(outcome.out.find(option), std::string::npos) << option;
    }
    EXPECT_TRUE(written_files().empty());
}

// With the painter library the chart is drawn; without it the option is
// refused. Either way nothing is half written.
TEST_F(BatchTool, ChartIsWrittenOrClearlyRefused) {
    const Outcome outcome = run("--mode=2 --trace=trace.dat --chart=chart.png --size=600x350");
    if (outcome.status == 0) {
        EXPECT_EQ(read_bytes(file("chart.png")).substr(0, 4), "\x89PNG");
        EXPECT_FALSE(read_bytes(file("trace.dat")).empty());
    } else {
        EXPECT_EQ(outcome.status, 1);
        EXPECT_NE(outcome.err.find("--chart"), std::string::npos);
        EXPECT_TRUE(written_files().empty());
    }
}

// A scenario file runs as its fields typed one by one would; options after it
// change it, a bad line is told with the file's line and writes nothing.
TEST_F(BatchTool, ScenarioFileRunsAsItsFieldsWouldAndLaterOptionsOverride) {
    std::ofstream(file("plan.morbilex"))
        << "# saved\nR_0 = 3.5\nT_max = 120\nRedct1 = 0.6\nt_srt1 = 20\nmode = 1\n";
    const Outcome by_file = run("--scenario=plan.morbilex --t_stp1=40");
    const Outcome by_fields =
        run("--R_0=3.5 --T_max=120 --Redct1=0.6 --t_srt1=20 --t_stp1=40 --mode=1");
    EXPECT_EQ(by_file.status, 0) << by_file.err;
    EXPECT_EQ(by_file.out, by_fields.out);
    EXPECT_EQ(run("--scenario=plan.morbilex --mode=0").out, run("--R_0=3.5 --T_max=120").out);

    // A sweep starts from it too, and may sweep what the file sets.
    EXPECT_EQ(run("--scenario=plan.morbilex --sweep=R_0=2,3 --t_stp1=40").out,
              run("--T_max=120 --Redct1=0.6 --t_srt1=20 --t_stp1=40 --mode=1 --sweep=R_0=2,3").out);

    std::ofstream(file("bad.morbilex")) << "R_0 = 3\nRedct2 = 80\n";
    const Outcome bad = run("--scenario=bad.morbilex --trace=out.dat");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(
        bad.err.find("bad.morbilex: line 2: Redct2 = \"80\" refused: a reduction is a fraction"),
        std::string::npos)
        << bad.err;
    EXPECT_FALSE(std::filesystem::exists(file("out.dat")));
    EXPECT_EQ(run("--scenarios=plan.morbilex").status, 2);  // the sweep's table: still its own
}

// An ensemble around the ranges' centre: its files are the same bytes for any
// --jobs, the run itself is the central run, and the intervals are the study's.
TEST_F(BatchTool, EnsembleFilesAreTheSameForAnyJobsAndMatchTheStudy) {
    const std::string ranges = "--range=R_0=2:3 --range=latent_period=4:5:4.2 --samples=300 ";
    const std::string files = "--summary=s.csv --bands=b.csv.gz --sensitivity=x.csv ";
    ASSERT_EQ(run(ranges + files + "--jobs=1").status, 0);
    const std::string one[] = {read_bytes(file("s.csv")), read_bytes(file("b.csv.gz")),
                               read_bytes(file("x.csv"))};
    ASSERT_EQ(run(ranges + files + "--jobs=3").status, 0);
    EXPECT_EQ(read_bytes(file("s.csv")), one[0]);
    EXPECT_EQ(read_bytes(file("b.csv.gz")), one[1]);
    EXPECT_EQ(read_bytes(file("x.csv")), one[2]);

    ASSERT_EQ(run("--R_0=2.5 --latent_period=4.2 --summary=central.csv").status, 0);
    const std::vector<std::string> central = split_lines(read_text(file("central.csv")));
    const std::vector<std::string> ranged = split_lines(one[0]);
    ASSERT_EQ(ranged.size(), 2u);
    EXPECT_EQ(ranged[0].rfind(central[0] + ",peak_infectious_p5,", 0), 0u);
    EXPECT_EQ(ranged[1].rfind(central[1] + ",", 0), 0u);

    EnsemblePlan plan;
    std::string error;
    plan.ranges.resize(2);
    parse_parameter_range("R_0=2:3", "", plan.ranges[0], error);
    parse_parameter_range("latent_period=4:5:4.2", "", plan.ranges[1], error);
    plan.samples = 300;
    EnsembleSettings settings;
    settings.bands = false;
    EnsembleResult result;
    ScenarioRefusal refused;
    ASSERT_TRUE(run_ensemble(plan, settings, result, refused));
    std::string intervals;
    for (int f = 0; f < INTERVAL_FIGURE_COUNT; ++f) {
        for (int l = 0; l < INTERVAL_LEVEL_COUNT; ++l) {
            intervals += ',';
            append_shortest(intervals, result.interval(f, l));
        }
    }
    EXPECT_EQ(ranged[1].substr(ranged[1].size() - intervals.size()), intervals);

    // The same ranges from a scenario file; the command line's replace its own.
    std::ofstream(file("ranged.morbilex"))
        << "R_0 = 2.5\nR_0.range = 2:3\nlatent_period.range = 4:5:4.2\n";
    ASSERT_EQ(run("--scenario=ranged.morbilex --samples=300 --summary=f.csv").status, 0);
    EXPECT_EQ(read_bytes(file("f.csv")), one[0]);
    ASSERT_EQ(
        run("--scenario=ranged.morbilex --range=R_0=2:3 --samples=300 --summary=f.csv").status, 0);
    EXPECT_EQ(read_bytes(file("f.csv")), one[0]);
    std::ofstream(file("bad.morbilex")) << "R_0.range = 3:2\n";
    EXPECT_EQ(run("--scenario=bad.morbilex --summary").err,
              "morbilex-batch: --scenario=bad.morbilex: line 1: low is above high\n");

    EXPECT_EQ(run("--bands=b.csv").status, 2);
    EXPECT_EQ(run("--range=R_0=1:2 --sweep=R_0=1,2").status, 2);
    const Outcome refused_end = run("--range=latent_period=0:1 --samples=4 --summary");
    EXPECT_EQ(refused_end.status, 1);
    EXPECT_NE(refused_end.err.find("latent_period=0 refused"), std::string::npos)
        << refused_end.err;
}

// The care layer: its summary columns are the peaks and the last deaths of
// its per-step output, and turning it on changes no byte of the trace.
TEST_F(BatchTool, CareLayerSummaryFollowsItsRowsAndLeavesTheTraceAlone) {
    const std::string plan = "--mode=2 --R_0=3.1 --hospital_stay=6.5 --icu_fraction=0.3 ";
    const Outcome care = run(plan + "--care=care.csv --summary=summary.csv --trace=with.dat");
    ASSERT_EQ(care.status, 0) << care.err;
    ASSERT_EQ(run("--mode=2 --R_0=3.1 --trace=without.dat").status, 0);
    EXPECT_EQ(read_bytes(file("with.dat")), read_bytes(file("without.dat")));

    const std::vector<std::string> rows = split_lines(read_text(file("care.csv")));
    ASSERT_EQ(rows.front(), "day,hospital,icu,deaths");
    double peak_hospital = 0.0, peak_icu = 0.0, deaths = 0.0;
    int count = 0;
    for (std::size_t k = 1; k < rows.size(); ++k) {
        double day = 0.0, hospital = 0.0, icu = 0.0;
        if (std::sscanf(rows[k].c_str(), "%lf,%lf,%lf,%lf", &day, &hospital, &icu, &deaths) != 4)
            continue;
        ++count;
        peak_hospital = std::max(peak_hospital, hospital);
        peak_icu = std::max(peak_icu, icu);
    }
    EXPECT_EQ(count, 801);
    const std::vector<std::string> summary = split_lines(read_text(file("summary.csv")));
    ASSERT_GE(summary.size(), 2u);
    const std::string tail = summary[0].substr(summary[0].rfind(",peak_hospital"));
    EXPECT_EQ(tail, ",peak_hospital,peak_icu,deaths");
    std::vector<double> last(3);
    std::string cells = summary[1];
    for (int k = 2; k >= 0; --k) {
        last[k] = std::strtod(cells.c_str() + cells.rfind(',') + 1, nullptr);
        cells.resize(cells.rfind(','));
    }
    EXPECT_EQ(last, (std::vector<double>{peak_hospital, peak_icu, deaths}));

    // A refused care field is told like a refused dialog field; nothing is written.
    const Outcome refused = run("--icu_fraction=1.5 --care=refused.csv --trace=refused.dat");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--icu_fraction=1.5 refused: a share is a fraction"),
              std::string::npos)
        << refused.err;
    EXPECT_FALSE(std::filesystem::exists(file("refused.csv")));

    // Over ranges: the care layer's bands, and the share over a capacity.
    const Outcome ranged =
        run("--care=c.csv --range=R_0=2:3 --samples=40 --capacity=20 --capacity-series=hospital "
            "--summary=ranged.csv --bands=bands.csv");
    ASSERT_EQ(ranged.status, 0) << ranged.err;
    const std::string header = split_lines(read_text(file("ranged.csv")))[0];
    EXPECT_NE(header.find(",capacity_peak,"), std::string::npos);
    EXPECT_EQ(header.substr(header.rfind(',')), ",p_over_capacity");
    EXPECT_NE(split_lines(read_text(file("bands.csv")))[0].find(",R_p95,hospital_p5,"),
              std::string::npos);
    EXPECT_EQ(run("--range=R_0=2:3 --capacity=20 --find-plan=one-time").status, 2);
}

}  // namespace
}  // namespace morbilex
