#include "study/sensitivity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace morbilex {
namespace {

// The Ishigami function's indices are known in closed form (a = 7, b = 0.1).
TEST(Sensitivity, JansenEstimatorsRecoverIshigamiIndices) {
    const int k = 3;
    const long long n = 1 << 13;
    const SampleSequence sequence(2 * k);
    std::vector<double> point(k), scratch(2 * k), outputs(n * (k + 2));
    const double pi = std::numbers::pi;
    for (long long r = 0; r < n * (k + 2); ++r) {
        saltelli_point(sequence, k, r, point, scratch);
        const double x1 = -pi + 2 * pi * point[0], x2 = -pi + 2 * pi * point[1],
                     x3 = -pi + 2 * pi * point[2];
        outputs[r] =
            std::sin(x1) + 7 * std::sin(x2) * std::sin(x2) + 0.1 * std::pow(x3, 4) * std::sin(x1);
    }
    const SobolIndices indices = sobol_indices(outputs, k);
    ASSERT_TRUE(indices.defined);
    const double first[] = {0.3139, 0.4424, 0.0}, total[] = {0.5576, 0.4424, 0.2437};
    for (int j = 0; j < k; ++j) {
        EXPECT_NEAR(indices.first[j].value, first[j], 0.03) << j;
        EXPECT_NEAR(indices.total[j].value, total[j], 0.03) << j;
        EXPECT_LE(indices.first[j].low, indices.first[j].value);
        EXPECT_GE(indices.first[j].high, indices.first[j].value);
        EXPECT_LT(indices.total[j].high - indices.total[j].low, 0.1);
    }
    // Drawn from a fixed seed: the same intervals again.
    const SobolIndices again = sobol_indices(outputs, k);
    EXPECT_EQ(again.total[2].low, indices.total[2].low);
}

// R_0 over a wide range moves the peak more than a narrow latent period; the
// bars' ends are the single runs at those ends.
TEST(Sensitivity, TornadoRanksByEffect) {
    EnsemblePlan plan;
    std::string error;
    plan.ranges.resize(2);
    ASSERT_TRUE(parse_parameter_range("latent_period=4.5:4.7", "", plan.ranges[0], error));
    ASSERT_TRUE(parse_parameter_range("R_0=1.5:3.5", "", plan.ranges[1], error));
    Tornado tornado;
    ScenarioRefusal refused;
    const int peak = summary_column_index("peak_infectious");
    ASSERT_TRUE(compute_tornado(plan, peak, tornado, refused));
    ASSERT_EQ(tornado.bars.size(), 2u);
    EXPECT_EQ(tornado.bars[0].range, 1);
    EXPECT_GT(tornado.bars[0].effect(), tornado.bars[1].effect());
    ScenarioInputs low;
    low.model.R_0 = 1.5;
    low.model.latent_period = 4.6;
    EXPECT_EQ(tornado.bars[0].at_low, integrate_run_figures(low).peak_infectious);
}

}  // namespace
}  // namespace morbilex
