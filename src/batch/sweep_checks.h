// A sweep's options checked against each other, and its scenarios before it starts.
#pragma once

#include <string>
#include <string_view>

#include "analysis/sweep_grid.h"
#include "batch/batch_options.h"
#include "batch/sweep_options.h"

namespace morbilex::batch {

// A chart keeps one value per scenario.
inline constexpr long long LARGEST_CHART_SWEEP = 1'000'000;

bool swept(const SweepGrid& grid, std::string_view name);
// The swept dialog fields (mode is not one).
int swept_field_count(const SweepGrid& grid);

// The sweep's options against each other and the single run's; false with a
// one-line reason naming the option.
bool check_sweep_request(const AnalysisOptions& options, const BatchRequest& request,
                         std::string& error);

// A dialog refuses a field for its own value only, so every value of each
// axis (the ends of a range) set up once with the others' first values
// finds any refusal before the sweep starts. False with the refusal's words;
// an Off_threshold made by the off ratio is told as off_ratio_option's.
bool check_scenarios(const SweepPlan& plan, const std::string& off_ratio_option,
                     std::string& error);

// Values of a swept T_max that all reach the longest run make the same
// scenarios: the words telling them, or "" when no two do.
std::string repeated_scenarios_text(const SweepGrid& grid);

}  // namespace morbilex::batch
