#include "model/simulation.h"
#include "trace/traced_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "model/seir.h"
#include "support/test_support.h"
#include "text/format.h"

namespace morbilex {
namespace {

using testing::default_records;
using testing::read_text;
using testing::split_lines;
using testing::TemporaryFolder;

std::string fixed(double value) {
    char text[64];
    format_text(text, sizeof text, "%7.2f", {value});
    return text;
}

struct TraceRow {
    int step, on_flag;
    double t, S, E, I, R;
};

TraceRow parse_row(const std::string& line) {
    TraceRow row{};
    EXPECT_EQ(std::sscanf(line.c_str(), "%d %lf %d %lf %lf %lf %lf", &row.step, &row.t,
                          &row.on_flag, &row.S, &row.E, &row.I, &row.R),
              7)
        << line;
    return row;
}

// Runs in the given mode and returns the trace's lines.
std::vector<std::string> run_and_read(Records& records, InterventionMode mode) {
    TemporaryFolder folder;
    const std::string path = folder.file("trace.dat");
    EXPECT_EQ(run_simulation(records, mode, path.c_str()), RUN_COMPLETED);
    return split_lines(read_text(path));
}

TEST(RungeKuttaStep, OneDefaultStepMatchesTheKnownValues) {
    RateConstants rates;
    rates.beta = 5e-05;
    rates.sigma = 1.0 / 4.6;
    rates.gamma = 0.2;
    double y[4] = {9999.9, 0.1, 0.0, 0.0};
    double t = 0.0;
    const double before = y[0] + y[1] + y[2] + y[3];
    rk4_step(t, y, 0.25, 4, seir_rates, rates);
    EXPECT_EQ(t, 0.25);
    EXPECT_EQ(fixed(y[0]), "9999.90");
    EXPECT_EQ(fixed(y[1]), "   0.10");
    EXPECT_EQ(fixed(y[2]), "   0.01");
    EXPECT_EQ(fixed(y[3]), "   0.00");
    EXPECT_NEAR(y[0] + y[1] + y[2] + y[3], before, 1e-9);
}

TEST(RungeKuttaStep, TooManyEquationsChangesNothingAndSaysSo) {
    RateConstants rates;
    double y[5] = {1, 2, 3, 4, 5};
    double t = 1.5;
    ::testing::internal::CaptureStdout();
    rk4_step(t, y, 0.25, 5, seir_rates, rates);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "m exceed 4 !\n");
    EXPECT_EQ(t, 1.5);
    EXPECT_EQ(y[4], 5.0);
}

TEST(RungeKuttaStep, TimeIsTheAccumulatedSumOfHalfSteps) {
    RateConstants rates;
    double y[4] = {9999.9, 0.1, 0, 0};
    double t = 0.0;
    double expected = 0.0;
    for (int i = 0; i < 1000; ++i) {
        rk4_step(t, y, 0.1, 4, seir_rates, rates);
        expected = 0.5 * 0.1 + (0.0 * 0.1 + (0.5 * 0.1 + (0.0 * 0.1 + expected)));
    }
    EXPECT_EQ(t, expected);
}

TEST(Simulation, DefaultRunReproducesTheTraceFigures) {
    auto records = default_records();
    const auto lines = run_and_read(*records, MODE_NO_INTERVENTION);
    ASSERT_EQ(lines.size(), 3u + 801u);
    EXPECT_EQ(lines[0],
              "% MORBILEX : R_0 =  2.50,  Latent period =  4.60,  Infectious period =  5.00");
    EXPECT_EQ(lines[1], "% No intervention.");
    EXPECT_EQ(lines[2], "%  i      t   on_flag   S       E       I       R");
    EXPECT_EQ(lines[3], "    0    0.00     0 9999.90    0.10    0.00    0.00");
    EXPECT_EQ(lines[4], "    1    0.25     0 9999.90    0.10    0.01    0.00");
    EXPECT_EQ(lines[803], "  800  200.00     0 1073.65    0.09    0.20 8926.06");

    int peak_row = 0;
    for (int i = 1; i < 800; ++i) {
        if (records->results[i][2] > records->results[peak_row][2]) peak_row = i;
    }
    EXPECT_EQ(peak_row, 399);
    EXPECT_NEAR(records->results[399][2], 1196.6, 0.05);
    EXPECT_DOUBLE_EQ(records->rates.beta0, 5e-05);
    EXPECT_EQ(records->rates.beta, records->rates.beta0);
    for (int i = 0; i < 800; i += 57) {
        const auto& row = records->results[i];
        EXPECT_NEAR(row[0] + row[1] + row[2] + row[3], 10000.0, 1e-7) << "row " << i;
    }
}

TEST(Simulation, TableRowsMatchTheTraceRows) {
    auto records = default_records();
    const auto lines = run_and_read(*records, MODE_NO_INTERVENTION);
    for (int i : {0, 1, 2, 399, 799}) {
        const TraceRow row = parse_row(lines[3 + i]);
        EXPECT_EQ(row.step, i);
        EXPECT_EQ(fixed(records->results[i][2]), fixed(row.I));
        EXPECT_EQ(fixed(row.t), fixed(i * 0.25));
    }
}

TEST(Simulation, OneTimePlanSwitchesAtItsWindow) {
    auto records = default_records();
    const auto lines = run_and_read(*records, MODE_ONE_TIME);
    EXPECT_EQ(lines[1],
              "% One-time intervention: (redct, from, to) = 1 ( 0.800,   10.00,   70.00) : 2 ( "
              "0.000,   70.00,   70.00) : 3 ( 0.000,   70.00,   70.00)");
    for (int i = 0; i <= 800; ++i) {
        const TraceRow row = parse_row(lines[3 + i]);
        const int expected = (i >= 40 && i <= 279) ? 1 : 0;
        ASSERT_EQ(row.on_flag, expected) << "row " << i;
    }
    EXPECT_EQ(parse_row(lines[3 + 40]).t, 10.0);
    EXPECT_EQ(parse_row(lines[3 + 280]).t, 70.0);
}

TEST(Simulation, OneTimeWindowsFollowTheirPrecedence) {
    auto records = default_records();
    OneTimePlan& plan = records->one_time;
    plan = {0.5, 20, 30, 0.9, 25, 40, 0.1, 50, 50};  // 2 overlaps 1; 3 is empty
    const auto lines = run_and_read(*records, MODE_ONE_TIME);
    auto flag_at_day = [&](double day) { return parse_row(lines[3 + int(day * 4)]).on_flag; };
    EXPECT_EQ(flag_at_day(19.75), 0);
    EXPECT_EQ(flag_at_day(20), 1);
    EXPECT_EQ(flag_at_day(29.75), 1);
    EXPECT_EQ(flag_at_day(30), 2);
    EXPECT_EQ(flag_at_day(39.75), 2);
    EXPECT_EQ(flag_at_day(40), 0);
    EXPECT_EQ(flag_at_day(50), 0);
}

TEST(Simulation, IntermittentPlanSwitchesWithHysteresis) {
    auto records = default_records();
    const auto lines = run_and_read(*records, MODE_INTERMITTENT);
    EXPECT_EQ(lines[1],
              "% Intermittent intervention: Reduction =80.000%,  On-threshold = 35.00,  "
              "Off-threshold =  5.00");
    std::vector<int> switches;
    int previous = 0;
    for (int i = 0; i <= 800; ++i) {
        const int flag = parse_row(lines[3 + i]).on_flag;
        ASSERT_TRUE(flag == 0 || flag == 9);
        if (flag != previous) switches.push_back(i);
        previous = flag;
    }
    EXPECT_EQ(switches, (std::vector<int>{231, 388, 467, 621, 702}));
    EXPECT_EQ(previous, 9);
    const TraceRow on = parse_row(lines[3 + 231]);
    EXPECT_EQ(fixed(on.t), "  57.75");
    EXPECT_EQ(fixed(on.I), "  35.33");
    const TraceRow off = parse_row(lines[3 + 388]);
    EXPECT_EQ(fixed(off.t), "  97.00");
    EXPECT_EQ(fixed(off.I), "   4.94");
}

TEST(Simulation, NoStepsGivesTheInitialRowOnly) {
    for (int n_steps : {0, -7}) {
        auto records = default_records();
        records->model.n_steps = n_steps;
        records->results[1][0] = 123.0;
        const auto lines = run_and_read(*records, MODE_NO_INTERVENTION);
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[3], "    0    0.00     0 9999.90    0.10    0.00    0.00");
        EXPECT_EQ(records->results[0][0], 9999.9);
        EXPECT_EQ(records->results[1][0], 123.0);
    }
}

TEST(Simulation, ShorterRunLeavesOlderRowsAlone) {
    auto records = default_records();
    records->model.n_steps = 1000;
    TemporaryFolder folder;
    const std::string path = folder.file("trace.dat");
    ASSERT_EQ(run_simulation(*records, MODE_NO_INTERVENTION, path.c_str()), RUN_COMPLETED);
    const CompartmentValues row_900 = records->results[900];
    records->model.n_steps = 800;
    records->model.R_0 = 3.0;
    ASSERT_EQ(run_simulation(*records, MODE_NO_INTERVENTION, path.c_str()), RUN_COMPLETED);
    EXPECT_EQ(records->results[900], row_900);
    // The second run replaced the file rather than appending to it.
    const auto lines = split_lines(read_text(path));
    EXPECT_EQ(lines.size(), 804u);
    EXPECT_EQ(lines[0],
              "% MORBILEX : R_0 =  3.00,  Latent period =  4.60,  Infectious period =  5.00");
}

TEST(Simulation, ResultTableReadsZerosUntilWrittenAndCopiesWhole) {
    Records fields_only;  // as a sweep's scenario set-up holds them
    EXPECT_EQ(std::as_const(fields_only).results[MAX_STEPS - 1], CompartmentValues{});
    auto records = default_records();
    run_simulation_to_stream(*records, MODE_NO_INTERVENTION, nullptr);
    Records copy = *records;
    records->results[399][2] = -1.0;
    EXPECT_NEAR(copy.results[399][2], 1196.6, 0.05);
    copy = fields_only;
    EXPECT_EQ(std::as_const(copy).results[399], CompartmentValues{});
}

TEST(Simulation, WritesTempDatInTheCurrentDirectory) {
    TemporaryFolder folder(true);
    auto records = default_records();
    EXPECT_EQ(run_simulation(*records, MODE_NO_INTERVENTION), RUN_COMPLETED);
    EXPECT_EQ(split_lines(read_text(folder.file("temp.dat"))).size(), 804u);
}

TEST(Simulation, WideValuesWidenTheirFields) {
    auto records = default_records();
    records->model.n_steps = 0;
    records->model.init_S = 12345.678;
    records->model.init_E = -0.001;
    const auto lines = run_and_read(*records, MODE_NO_INTERVENTION);
    EXPECT_EQ(lines[3], "    0    0.00     0 12345.68   -0.00    0.00    0.00");
}

#ifndef _WIN32
TEST(SimulationFailures, UncreatableTraceStillFillsTheWholeTable) {
    // A path below a plain file cannot be created, even by root (who ignores a
    // read-only folder).
    TemporaryFolder folder;
    std::FILE* blocker = std::fopen(folder.file("not-a-folder").c_str(), "w");
    ASSERT_NE(blocker, nullptr);
    std::fclose(blocker);
    const std::string path = folder.file("not-a-folder/temp.dat");

    auto records = default_records();
    records->results[500][2] = -1.0;
    EXPECT_EQ(run_simulation(*records, MODE_NO_INTERVENTION, path.c_str()), RUN_TRACE_NOT_WRITTEN);
    EXPECT_NE(records->results[500][2], -1.0);
    auto reference = default_records();
    EXPECT_EQ(run_simulation_to_stream(*reference, MODE_NO_INTERVENTION, nullptr), RUN_COMPLETED);
    EXPECT_EQ(records->results[799], reference->results[799]);
}

TEST(SimulationFailures, FullDiskIsAFailureNotASuccess) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    for (int n_steps : {0, 800, 40000}) {
        auto records = default_records();
        records->model.n_steps = n_steps;
        EXPECT_EQ(run_simulation(*records, MODE_NO_INTERVENTION, "/dev/full"),
                  RUN_TRACE_NOT_WRITTEN)
            << n_steps << " steps";
    }
}
#else
TEST(SimulationFailures, UncreatableTraceStillFillsTheWholeTable) {
    TemporaryFolder folder;
    const std::string path = folder.file("missing-folder/temp.dat");
    auto records = default_records();
    records->results[500][2] = -1.0;
    EXPECT_EQ(run_simulation(*records, MODE_NO_INTERVENTION, path.c_str()), RUN_TRACE_NOT_WRITTEN);
    EXPECT_NE(records->results[500][2], -1.0);
}

TEST(SimulationFailures, TraceUsesWindowsLineEnds) {
    TemporaryFolder folder;
    const std::string path = folder.file("trace.dat");
    auto records = default_records();
    records->model.n_steps = 0;
    ASSERT_EQ(run_simulation(*records, MODE_NO_INTERVENTION, path.c_str()), RUN_COMPLETED);
    const std::string bytes = testing::read_bytes(path);
    EXPECT_NE(bytes.find("% No intervention.\r\n"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}
#endif

TEST(SimulationFailures, UnusableValuesAreRefusedWithoutTouchingAnything) {
    const double infinity = HUGE_VAL;
    const double not_a_number = std::nan("");
    struct Case {
        const char* name;
        void (*spoil)(Records&, double);
        double value;
        InterventionMode mode;
    };
    const Case cases[] = {
        {"zero latent period", [](Records& r, double v) { r.model.latent_period = v; }, 0.0, 0},
        {"negative infectious period", [](Records& r, double v) { r.model.infectious_period = v; },
         -5.0, 0},
        {"infinite R_0", [](Records& r, double v) { r.model.R_0 = v; }, infinity, 0},
        {"nan E(0)", [](Records& r, double v) { r.model.init_E = v; }, not_a_number, 0},
        {"nan latent period", [](Records& r, double v) { r.model.latent_period = v; }, not_a_number,
         0},
        {"infinite one-time stop", [](Records& r, double v) { r.one_time.t_stp2 = v; }, infinity,
         1},
        {"nan threshold", [](Records& r, double v) { r.intermittent.Off_threshold = v; },
         not_a_number, 2},
        {"too many steps", [](Records& r, double) { r.model.n_steps = MAX_STEPS + 1; }, 0.0, 0},
    };
    for (const Case& c : cases) {
        TemporaryFolder folder;
        const std::string path = folder.file("trace.dat");
        auto records = default_records();
        c.spoil(*records, c.value);
        records->results[0][0] = 42.0;
        EXPECT_EQ(run_simulation(*records, c.mode, path.c_str()), RUN_REFUSED) << c.name;
        EXPECT_EQ(records->results[0][0], 42.0) << c.name;
        EXPECT_EQ(records->rates.beta0, 0.0) << c.name;
        EXPECT_FALSE(std::filesystem::exists(path)) << c.name;
    }
    // A plan that the mode does not use may hold anything.
    auto records = default_records();
    records->intermittent.Reduction = not_a_number;
    EXPECT_EQ(run_simulation_to_stream(*records, MODE_ONE_TIME, nullptr), RUN_COMPLETED);
}

TEST(Simulation, LargestRunFillsEveryRow) {
    auto records = default_records();
    records->model.n_steps = MAX_STEPS;
    EXPECT_EQ(run_simulation_to_stream(*records, MODE_INTERMITTENT, nullptr), RUN_COMPLETED);
    const auto& last = records->results[MAX_STEPS - 1];
    EXPECT_NEAR(last[0] + last[1] + last[2] + last[3], 10000.0, 1e-6);
}

}  // namespace
}  // namespace morbilex
