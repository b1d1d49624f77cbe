// --data and --fit from the outside: counts the model made itself are fitted
// back to the fields that made them, and a bad file changes nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "study/count_fit.h"
#include "support/test_support.h"
#include "text/read.h"
#include "text/shortest.h"

namespace morbilex {
namespace {

using testing::read_bytes;
using testing::split_lines;
using testing::TemporaryFolder;

int run_batch(const TemporaryFolder& folder, const std::string& arguments, std::string& err) {
    const std::string command = "cd '" + folder.path().string() + "' && '" +
                                MORBILEX_BATCH_PROGRAM + "' " + arguments + " 2>stderr.txt";
    const int raw = std::system(command.c_str());
    err = read_bytes(folder.file("stderr.txt"));
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(DataFit, TheToolRecoversTheFieldsOfModelMadeCounts) {
    TemporaryFolder folder;
    CountModel truth;
    ModelParameters& m = truth.scenario.model;
    m.R_0 = 3.1;
    m.latent_period = 1.1;
    m.infectious_period = 2.4;
    m.init_E = 0.0;
    m.init_I = 20.0;
    m.n_steps = 120;
    settle_initial_susceptible(m);
    truth.observation = {CountMeasure::Incidence, 500.0, 0.6};
    ObservedCounts counts;
    for (int day = 0; day <= 20; ++day)
        counts.points.push_back({double(day), 0.0, 0});
    std::vector<double> expected;
    expected_counts(widest_lane_kernel(), std::span<const CountModel>(&truth, 1), counts, expected);
    std::string csv = "when,day,cases\n";
    for (int day = 0; day <= 20; ++day) {
        csv += "x," + std::to_string(day) + ",";
        if (day != 7) append_shortest(csv, expected[day]);  // an empty count is skipped
        csv += "\n";
    }
    std::ofstream(folder.file("counts.csv")) << csv;

    const std::string common =
        "--data=counts.csv --data-column=cases --data-series=incidence --population=500 "
        "--reporting=0.6 --latent_period=1.1 --init_E=0 --init_I=20 --T_max=30 ";
    std::string err;
    ASSERT_EQ(run_batch(folder,
                        common + "--fit=R_0,infectious_period --fit-output=fit.csv "
                                 "--summary=summary.csv --trace=fitted.dat",
                        err),
              0)
        << err;
    const std::vector<std::string> lines = split_lines(read_bytes(folder.file("fit.csv")));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "field,value,low,high");
    const double truths[] = {3.1, 2.4};
    std::string typed;
    for (int k = 0; k < 2; ++k) {
        const std::string& line = lines[k + 1];
        const std::size_t comma = line.find(',');
        double value = 0.0;
        ASSERT_TRUE(read_leading_number(line.substr(comma + 1), value)) << line;
        EXPECT_NEAR(value, truths[k], 1e-4 * truths[k]) << line;
        typed += "--" + line.substr(0, comma) + "=" +
                 line.substr(comma + 1, line.find(',', comma + 1) - comma - 1) + " ";
    }
    EXPECT_EQ(lines[3].substr(0, 10), "objective,");
    EXPECT_EQ(lines[4].substr(0, 5), "rmse,");

    // The run after the fit is the run of the fitted values typed, and its
    // summary's objective is the fit's.
    ASSERT_EQ(run_batch(folder, common + typed + "--summary=typed.csv --trace=typed.dat", err), 0)
        << err;
    EXPECT_EQ(read_bytes(folder.file("fitted.dat")), read_bytes(folder.file("typed.dat")));
    const std::string summary = read_bytes(folder.file("summary.csv"));
    EXPECT_EQ(summary, read_bytes(folder.file("typed.csv")));
    const std::string objective = lines[3].substr(10, lines[3].size() - 12);
    EXPECT_EQ(split_lines(summary)[1].substr(split_lines(summary)[1].rfind(',') + 1), objective);

    // The same counts kept in a scenario file, the file its data line names
    // gone: the same fit.
    std::string kept =
        "latent_period = 1.1\ninit_E = 0\ninit_I = 20\nT_max = 30\ndata = gone.csv\n"
        "data_column = cases\ndata_series = incidence\npopulation = 500\nreporting = 0.6\n";
    for (const std::string& row : split_lines(csv))
        kept += "data_row = " + row + "\n";
    std::ofstream(folder.file("kept.morbilex")) << kept;
    ASSERT_EQ(run_batch(folder,
                        "--scenario=kept.morbilex --fit=R_0,infectious_period "
                        "--fit-output=kept_fit.csv",
                        err),
              0)
        << err;
    EXPECT_EQ(read_bytes(folder.file("kept_fit.csv")), read_bytes(folder.file("fit.csv")));

    // A bad file: refused with its line, no output written.
    std::ofstream(folder.file("bad.csv")) << "day,cases\n0,1\n1,many\n";
    EXPECT_EQ(run_batch(folder, "--data=bad.csv --fit=R_0 --fit-output=bad_fit.csv", err), 1);
    EXPECT_EQ(err,
              "morbilex-batch: --data=bad.csv: line 3: the count is not a number at or above 0: "
              "many\n");
    EXPECT_FALSE(std::ifstream(folder.file("bad_fit.csv")).good());
}

}  // namespace
}  // namespace morbilex
