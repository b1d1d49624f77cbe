#include "study/ensemble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "analysis/care_layer.h"
#include "model/run_loop.h"
#include "shell/scenario_document.h"
#include "study/scenario_ranges.h"
#include "text/shortest.h"

namespace morbilex {
namespace {

ParameterRange range_of(const char* text) {
    ParameterRange range;
    std::string error;
    EXPECT_TRUE(parse_parameter_range(text, text, range, error)) << error;
    return range;
}

// Blocks on two threads, the later blocks first: any sharing must give the
// same bytes. A build without threads (the web's) takes them in that order
// on its one thread.
void on_two_threads(long long count, const std::function<void(long long)>& work) {
    const auto odd = [&] {
        for (long long b = count - 1; b >= 0; b -= 2)
            work(b);
    };
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    odd();
#else
    std::thread other(odd);
#endif
    for (long long b = count - 2; b >= 0; b -= 2)
        work(b);
#if !defined(__EMSCRIPTEN__) || defined(__EMSCRIPTEN_PTHREADS__)
    other.join();
#endif
}

struct RowsSink {
    std::vector<double> rows;  // rows[r * 4 + c]
    double slot_row[COMPARTMENT_COUNT];
    double* slot(int) { return slot_row; }
    void row(int, double, int, const double* y) { rows.insert(rows.end(), y, y + 4); }
    void last_row(int, double, int, const double* y) { rows.insert(rows.end(), y, y + 4); }
};

// A single run of the records after typing the fields as a user would.
Records typed_records(const std::vector<std::pair<std::string, double>>& fields) {
    std::vector<TypedField> typed;
    for (const auto& [name, value] : fields) {
        TypedField field;
        EXPECT_TRUE(find_editable_field(name, field));
        append_shortest(field.text, value);
        typed.push_back(field);
    }
    Records records;
    reset_scenario_fields(records);
    SetupRefusal refused;
    EXPECT_TRUE(apply_typed_fields(records, typed, refused));
    return records;
}

bool same_bits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Each row's band values are the sorted single runs' values at the ranks
// ceil(level * n), whether the rows come in one pass or in small windows and
// whatever threads share the blocks.
TEST(Ensemble, BandsAreSortedSingleRuns) {
    EnsemblePlan plan;
    plan.mode = MODE_ONE_TIME;
    plan.ranges = {range_of("R_0=1.8:3.2"), range_of("Redct1=0.3:0.9:0.7")};
    plan.samples = 300;  // not a whole number of lane batches
    TypedField t_max;
    find_editable_field("T_max", t_max);
    t_max.text = "120";
    plan.base = {t_max};

    EnsembleResult whole, windowed;
    ScenarioRefusal refused;
    ASSERT_TRUE(run_ensemble(plan, EnsembleSettings{}, whole, refused));
    EnsembleSettings small;
    small.band_memory = 7 * 300 * COMPARTMENT_COUNT * 8;  // 7 rows a pass
    small.runner = on_two_threads;
    ASSERT_TRUE(run_ensemble(plan, small, windowed, refused));
    EXPECT_EQ(whole.band, windowed.band);
    EXPECT_EQ(whole.figures, windowed.figures);
    EXPECT_EQ(whole.intervals, windowed.intervals);

    std::vector<std::vector<double>> runs;
    const SampleSequence sequence(2);
    std::vector<double> unit(2);
    for (long long i = 0; i < plan.samples; ++i) {
        sequence.point(i, unit);
        Records records = typed_records({{"T_max", 120.0},
                                         {"R_0", plan.ranges[0].value_at(unit[0])},
                                         {"Redct1", plan.ranges[1].value_at(unit[1])}});
        RowsSink sink;
        integrate_run(records.model, records.one_time, records.intermittent, MODE_ONE_TIME,
                      records.rates, sink);
        runs.push_back(sink.rows);
    }
    ASSERT_EQ(whole.rows, 481);
    std::vector<double> values(plan.samples);
    for (int r = 0; r < whole.rows; ++r) {
        ASSERT_EQ(whole.t[r], r * 0.25);
        for (int c = 0; c < COMPARTMENT_COUNT; ++c) {
            for (long long i = 0; i < plan.samples; ++i)
                values[i] = runs[i][r * 4 + c];
            std::sort(values.begin(), values.end());
            for (int l = 0; l < BAND_LEVEL_COUNT; ++l) {
                const auto rank = static_cast<std::size_t>(std::ceil(BAND_LEVELS[l] * 300)) - 1;
                ASSERT_TRUE(same_bits(whole.band_value(r, c, l), values[rank]))
                    << "row " << r << " compartment " << c << " level " << l;
            }
        }
    }
}

// The care layer's bands are its sorted single runs, rows as the run loop
// gives them, and the share over a capacity counts the single runs that go
// over it, on a care series and on the infectious.
TEST(Ensemble, CareBandsAndShareOverCapacityAreSingleRuns) {
    EnsemblePlan plan;
    plan.mode = MODE_INTERMITTENT;
    plan.ranges = {range_of("R_0=1.8:3.2"), range_of("On_threshold=20:80")};
    plan.samples = 70;
    plan.care.enabled = true;
    plan.care.hospital_fraction = 0.06;
    plan.capacity = {true, 5.0, CapacitySeries::Hospital};
    EnsembleResult whole, windowed;
    ScenarioRefusal refused;
    ASSERT_TRUE(run_ensemble(plan, EnsembleSettings{}, whole, refused));
    EnsembleSettings small;
    small.band_memory = 5 * 70 * (COMPARTMENT_COUNT + CARE_SERIES_COUNT) * 8;
    small.runner = on_two_threads;
    ASSERT_TRUE(run_ensemble(plan, small, windowed, refused));
    EXPECT_EQ(whole.care_band, windowed.care_band);
    EXPECT_EQ(whole.over_capacity, windowed.over_capacity);

    std::vector<CareRun> runs;
    int over_hospital = 0, over_infectious = 0;
    const SampleSequence sequence(2);
    std::vector<double> unit(2);
    for (long long i = 0; i < plan.samples; ++i) {
        sequence.point(i, unit);
        ScenarioInputs inputs;
        static_cast<Scenario&>(inputs) =
            typed_records({{"R_0", plan.ranges[0].value_at(unit[0])},
                           {"On_threshold", plan.ranges[1].value_at(unit[1])}});
        inputs.mode = plan.mode;
        inputs.care = plan.care;
        runs.push_back(integrate_care(inputs));
        over_hospital +=
            integrate_against_capacity(inputs, plan.capacity).capacity.first_over_row >= 0;
        over_infectious +=
            integrate_against_capacity(inputs, {true, 60.0, CapacitySeries::Infectious})
                .capacity.first_over_row >= 0;
    }
    ASSERT_TRUE(whole.has_care_bands);
    ASSERT_EQ(whole.rows, runs[0].rows());
    std::vector<double> values(plan.samples);
    for (int r = 0; r < whole.rows; ++r) {
        for (CareSeries series : ALL_CARE_SERIES) {
            for (long long i = 0; i < plan.samples; ++i)
                values[i] = runs[i].series(series)[r];
            std::sort(values.begin(), values.end());
            for (int l = 0; l < BAND_LEVEL_COUNT; ++l) {
                const auto rank = static_cast<std::size_t>(std::ceil(BAND_LEVELS[l] * 70)) - 1;
                ASSERT_TRUE(same_bits(whole.care_band_value(r, series, l), values[rank]))
                    << "row " << r << " series " << static_cast<int>(series) << " level " << l;
            }
        }
    }
    EXPECT_GT(over_hospital, 0);
    EXPECT_LT(over_hospital, plan.samples);
    EXPECT_EQ(whole.over_capacity, over_hospital / 70.0);

    plan.capacity = {true, 60.0, CapacitySeries::Infectious};
    EnsembleSettings no_bands;
    no_bands.bands = false;
    ASSERT_TRUE(run_ensemble(plan, no_bands, whole, refused));
    EXPECT_GT(over_infectious, 0);
    EXPECT_LT(over_infectious, plan.samples);
    EXPECT_EQ(whole.over_capacity, over_infectious / 70.0);
}

// With R_0 alone ranged the peak grows with it: the peak's percentiles are
// the single runs at R_0's percentiles, and the central run sits at the mode.
TEST(Ensemble, PeakPercentilesAreRunsAtTheFieldsPercentiles) {
    EnsemblePlan plan;
    plan.ranges = {range_of("R_0=1.5:4:2.2")};
    plan.samples = 1000;
    EnsembleSettings settings;
    settings.bands = false;
    EnsembleResult result;
    ScenarioRefusal refused;
    ASSERT_TRUE(run_ensemble(plan, settings, result, refused));
    EXPECT_TRUE(result.band.empty());
    EXPECT_EQ(result.central.model.R_0, 2.2);

    std::vector<double> r0(result.sampled.begin(), result.sampled.end());
    std::sort(r0.begin(), r0.end());
    for (int l = 0; l < INTERVAL_LEVEL_COUNT; ++l) {
        const auto rank = static_cast<std::size_t>(std::ceil(INTERVAL_LEVELS[l] * 1000)) - 1;
        const Records records = typed_records({{"R_0", r0[rank]}});
        const RunFigures single =
            integrate_run_figures(scenario_inputs_of(records, MODE_NO_INTERVENTION));
        EXPECT_EQ(result.interval(0, l), single.peak_infectious) << INTERVAL_LEVEL_NAMES[l];
    }
    EXPECT_LT(result.interval(0, 0), result.interval(0, 2));
    EXPECT_EQ(result.share_above(0, result.interval(0, 1)), 0.5);
}

TEST(ParameterRange, ReadsWritesAndRefuses) {
    ParameterRange range;
    std::string error;
    ASSERT_TRUE(parse_parameter_range("t_srt2=10:30:12.5", "--range", range, error));
    EXPECT_EQ(parameter_range_text(range), "t_srt2=10:30:12.5");
    EXPECT_EQ(range.centre(), 12.5);
    // The triangle's inverse: a quarter of the weight below low + half the width
    // when the mode is the midpoint.
    const ParameterRange triangle = range_of("R_0=1:3:2");
    EXPECT_DOUBLE_EQ(triangle.value_at(0.125), 1.5);
    EXPECT_DOUBLE_EQ(triangle.value_at(0.875), 2.5);
    EXPECT_EQ(range_of("R_0=2:2").value_at(0.3), 2.0);
    // In a scenario document, beside the fields' own lines.
    const std::vector<ParameterRange> ranges = {range, triangle};
    const std::string lines = scenario_range_lines(ranges);
    EXPECT_EQ(lines, "t_srt2.range = 10:30:12.5\nR_0.range = 1:3:2\n");
    std::vector<ParameterRange> read;
    ASSERT_TRUE(read_scenario_ranges("# kept\nR_0 = 2\n" + lines, read, error)) << error;
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(parameter_range_text(read[1]), "R_0=1:3:2");
    Records records;
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    EXPECT_TRUE(read_scenario_document("R_0 = 2\n" + lines, records, mode, error)) << error;
    EXPECT_FALSE(read_scenario_ranges(lines + "R_0.range = 1:2\n", read, error));
    for (const char* bad : {"T_max=1:2", "init_S=1:2", "xmax=1:2", "R_0=3:2", "R_0=1:2:5", "R_0=1",
                            "R_0=1:2:1.5:3", "R_0=a:2", "R_0=1:inf", "R_0"}) {
        EXPECT_FALSE(parse_parameter_range(bad, "--range", range, error)) << bad;
        EXPECT_EQ(error.rfind("--range: ", 0), 0u) << error;
    }
}

}  // namespace
}  // namespace morbilex
