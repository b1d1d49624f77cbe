// A sweep's options checked against each other, and its scenarios before it starts.
#pragma once

#include <string>
#include <string_view>

#include "analysis/sweep_grid.h"
#include "batch/options/batch_request.h"

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

}  // namespace morbilex::batch
