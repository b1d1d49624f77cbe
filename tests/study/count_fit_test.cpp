#include "study/count_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "model/simulation.h"

namespace morbilex {
namespace {

CountModel outbreak_model() {
    CountModel model;
    ModelParameters& m = model.scenario.model;
    m.R_0 = 3.4;
    m.latent_period = 1.2;
    m.infectious_period = 2.3;
    m.init_E = 0.0;
    m.init_I = 10000.0 / 763.0;
    m.n_steps = 80;
    settle_initial_susceptible(m);
    model.observation.population = 763.0;
    return model;
}

ObservedCounts days(int first, int last, double step = 1.0) {
    ObservedCounts counts;
    for (double day = first; day <= last; day += step)
        counts.points.push_back({day, 0.0, 0});
    return counts;
}

// A separate integration: the classical Runge-Kutta method on S, E, I, R and
// the flow from E to I as a fifth state.
std::vector<double> oracle_flow(const ModelParameters& m, int rows,
                                std::vector<double>& prevalence) {
    const double sigma = 1.0 / m.latent_period, gamma = 1.0 / m.infectious_period;
    const double beta = m.R_0 * gamma / POPULATION_BASE;
    double y[5] = {m.init_S, m.init_E, m.init_I, m.init_R, 0.0};
    const auto rates = [&](const double* v, double* d) {
        d[0] = -beta * v[0] * v[2];
        d[1] = beta * v[0] * v[2] - sigma * v[1];
        d[2] = sigma * v[1] - gamma * v[2];
        d[3] = gamma * v[2];
        d[4] = sigma * v[1];
    };
    std::vector<double> flow;
    prevalence.clear();
    for (int row = 0; row <= rows; ++row) {
        flow.push_back(y[4]);
        prevalence.push_back(y[2]);
        double k[4][5], trial[5];
        rates(y, k[0]);
        for (int s = 1; s < 4; ++s) {
            const double h = s == 3 ? m.dt : m.dt / 2;
            for (int j = 0; j < 5; ++j)
                trial[j] = y[j] + h * k[s - 1][j];
            rates(trial, k[s]);
        }
        for (int j = 0; j < 5; ++j)
            y[j] += m.dt / 6 * (k[0][j] + 2 * k[1][j] + 2 * k[2][j] + k[3][j]);
    }
    return flow;
}

// Every kernel, every measure, lanes past a batch's width, against the oracle.
TEST(CountFit, SeriesMatchASeparateIntegration) {
    std::vector<CountModel> models;
    for (int k = 0; k < 37; ++k) {
        CountModel model = outbreak_model();
        model.scenario.model.R_0 = 1.5 + 0.1 * k;
        model.observation.reporting = 0.7;
        models.push_back(model);
    }
    const ObservedCounts counts = days(0, 20, 0.5);
    for (const LaneKernel& kernel : lane_kernels()) {
        for (CountMeasure measure :
             {CountMeasure::Prevalence, CountMeasure::Incidence, CountMeasure::Cumulative}) {
            for (CountModel& model : models)
                model.observation.measure = measure;
            std::vector<double> expected;
            expected_counts(kernel, models, counts, expected);
            for (std::size_t k = 0; k < models.size(); k += 6) {
                std::vector<double> prevalence;
                const std::vector<double> flow =
                    oracle_flow(models[k].scenario.model, 80, prevalence);
                for (std::size_t i = 0; i < counts.points.size(); ++i) {
                    const int row = static_cast<int>(counts.points[i].day * 4);
                    const int before = std::max(row - 4, 0);
                    const double per_ten_thousand =
                        measure == CountMeasure::Prevalence   ? prevalence[row]
                        : measure == CountMeasure::Cumulative ? flow[row]
                                                              : flow[row] - flow[before];
                    const double oracle = per_ten_thousand * 0.0763 * 0.7;
                    EXPECT_NEAR(expected[k * counts.points.size() + i], oracle,
                                1e-9 * (1.0 + std::fabs(oracle)))
                        << kernel.name << " " << count_measure_name(measure) << " day "
                        << counts.points[i].day;
                }
            }
        }
    }
}

ObservedCounts made_by(const CountModel& model, ObservedCounts counts) {
    std::vector<double> expected;
    expected_counts(widest_lane_kernel(), std::span<const CountModel>(&model, 1), counts, expected);
    for (std::size_t i = 0; i < counts.points.size(); ++i)
        counts.points[i].count = expected[i];
    return counts;
}

FitRequest request_of(std::initializer_list<const char*> names, FitObjective objective) {
    FitRequest request;
    for (const char* name : names)
        request.fields.push_back(find_fit_field(name));
    request.objective = objective;
    return request;
}

// Counts the model made itself: the fit finds the fields it made them with,
// from the defaults, for counts of every measure.
TEST(CountFit, RecoversTheFieldsOfNoiseFreeCounts) {
    for (CountMeasure measure : {CountMeasure::Prevalence, CountMeasure::Cumulative}) {
        CountModel truth = outbreak_model();
        truth.observation.measure = measure;
        truth.observation.reporting = 0.8;
        const ObservedCounts counts = made_by(truth, days(1, 14));
        CountModel start = truth;
        start.scenario.model = ModelParameters{};
        start.scenario.model.init_I = truth.scenario.model.init_I;
        start.scenario.model.init_E = 0.0;
        start.scenario.model.n_steps = 80;
        CountFit fit;
        std::string reason;
        ASSERT_TRUE(
            fit_counts(start, counts,
                       request_of({"R_0", "latent_period", "infectious_period", "reporting"},
                                  FitObjective::LeastSquares),
                       fit, reason))
            << reason;
        const double truths[] = {3.4, 1.2, 2.3, 0.8};
        for (std::size_t d = 0; d < 4; ++d) {
            EXPECT_NEAR(fit.fields[d].value, truths[d], 1e-4 * truths[d]) << fit.fields[d].name;
            EXPECT_LE(fit.fields[d].low, fit.fields[d].value);
            EXPECT_GE(fit.fields[d].high, fit.fields[d].value);
        }
        EXPECT_LT(fit.rmse, 1e-3);
    }
}

// Poisson draws from a fixed generator: Knuth's product of uniforms.
double poisson_draw(double mean, std::uint64_t& state) {
    const double limit = std::exp(-mean);
    double product = 1.0;
    int count = -1;
    do {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        product *= static_cast<double>(state >> 11) * 0x1p-53;
        ++count;
    } while (product > limit);
    return count;
}

TEST(CountFit, IntervalsOfNoisyCountsHoldTheTruth) {
    CountModel truth = outbreak_model();
    truth.observation.measure = CountMeasure::Incidence;
    ObservedCounts counts = made_by(truth, days(1, 18));
    std::uint64_t state = 20261208;
    for (ObservedPoint& point : counts.points)
        point.count = poisson_draw(point.count, state);
    CountFit fit;
    std::string reason;
    ASSERT_TRUE(fit_counts(truth, counts,
                           request_of({"R_0", "infectious_period"}, FitObjective::PoissonDeviance),
                           fit, reason))
        << reason;
    const double truths[] = {3.4, 2.3};
    for (std::size_t d = 0; d < 2; ++d) {
        EXPECT_LT(fit.fields[d].low, truths[d]) << fit.fields[d].name;
        EXPECT_GT(fit.fields[d].high, truths[d]) << fit.fields[d].name;
        EXPECT_LT(fit.fields[d].low, fit.fields[d].value);
        EXPECT_GT(fit.fields[d].high, fit.fields[d].value);
    }
    // The fitted run's own figures: the peak lies past the rise in the counts.
    EXPECT_GT(fit.peak_day, 2.0);
    EXPECT_GT(fit.final_size, 0.5 * 763);
}

TEST(CountFit, RefusesWhatItCannotFit) {
    CountModel model = outbreak_model();
    CountFit fit;
    std::string reason;
    EXPECT_FALSE(fit_counts(model, days(0, 30), request_of({"R_0"}, FitObjective::LeastSquares),
                            fit, reason));
    EXPECT_EQ(reason, "the counts reach day 30, past the run's last day");
    EXPECT_FALSE(fit_counts(model, days(0, 5), request_of({"Redct1"}, FitObjective::LeastSquares),
                            fit, reason));
    EXPECT_EQ(reason, "Redct1 acts only in mode 1");
}

}  // namespace
}  // namespace morbilex
