// The explorer's figures are the figures morbilex-batch --summary prints for
// the same scenario: each value, and after an intervention the figures of the
// no-intervention run beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/scenario_setup.h"
#include "explore/figures.h"
#include "support/test_support.h"
#include "trace/traced_run.h"

namespace morbilex::testing {
namespace {

struct Scenario {
    InterventionMode mode;
    std::vector<std::pair<std::string, std::string>> fields;
};

// name -> "value unit" from the readable summary block.
std::map<std::string, std::string> batch_summary(const Scenario& scenario, InterventionMode mode) {
    std::string command =
        std::string(MORBILEX_BATCH_PROGRAM) + " --summary --mode=" + std::to_string(mode);
    for (const auto& [name, value] : scenario.fields)
        command += " --" + name + "=" + value;
    std::map<std::string, std::string> values;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return values;
    char line[256];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream words(line);
        std::string name;
        std::string value;
        std::string unit;
        words >> name >> value >> unit;
        values[name] = unit.empty() ? value : value + " " + unit;
    }
    pclose(pipe);
    return values;
}

TEST(ExplorerFigures, EqualTheBatchSummaryOfTheSameScenario) {
    const Scenario scenarios[] = {
        {MODE_NO_INTERVENTION, {}},
        {MODE_NO_INTERVENTION, {{"R_0", "1.7"}, {"T_max", "400"}, {"init_I", "3"}}},
        {MODE_NO_INTERVENTION, {{"R_0", "0.9"}}},
        {MODE_ONE_TIME, {}},
        {MODE_ONE_TIME,
         {{"Redct1", "0.5"},
          {"t_srt1", "30"},
          {"t_stp1", "90"},
          {"Redct2", "0.3"},
          {"t_srt2", "100"},
          {"t_stp2", "150"}}},
        {MODE_INTERMITTENT, {}},
        {MODE_INTERMITTENT,
         {{"R_0", "3.2"},
          {"Reduction", "0.6"},
          {"On_threshold", "120"},
          {"Off_threshold", "20"},
          {"T_max", "365"}}},
    };
    for (const Scenario& scenario : scenarios) {
        auto records = default_records();
        std::vector<TypedField> typed;
        for (const auto& [name, value] : scenario.fields) {
            TypedField field;
            ASSERT_TRUE(find_editable_field(name, field));
            field.text = value;
            typed.push_back(field);
        }
        SetupRefusal refused;
        ASSERT_TRUE(apply_typed_fields(*records, typed, refused));
        records->mode = scenario.mode;
        run_simulation_to_stream(*records, scenario.mode, nullptr);
        const ViewFigures figures = compute_view_figures(*records);
        ASSERT_TRUE(figures.available);
        EXPECT_EQ(figures.has_baseline, scenario.mode != MODE_NO_INTERVENTION);

        const auto run = batch_summary(scenario, scenario.mode);
        const auto baseline = batch_summary(scenario, MODE_NO_INTERVENTION);
        ASSERT_FALSE(run.empty());
        const std::vector<FigureLine> lines = figure_lines(figures);
        ASSERT_GE(lines.size(), 11u);
        for (const FigureLine& line : lines) {
            ASSERT_TRUE(run.count(line.name)) << line.name;
            EXPECT_EQ(line.value, run.at(line.name)) << line.name << " mode " << scenario.mode;
            if (figures.has_baseline) {
                EXPECT_EQ(line.baseline, baseline.at(line.name)) << line.name;
            }
        }
        // Every figure the summary gives that the explorer shows is there.
        for (const char* name : {"peak_infectious", "final_R", "attack_rate", "switches_on"})
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [name](const FigureLine& l) {
                return l.name == std::string(name);
            }));
    }
}

}  // namespace
}  // namespace morbilex::testing
