// A sweep's rows written to a stream, on threads, stopped by Ctrl-C.
#pragma once

#include <cstdio>
#include <string>

#include "analysis/sweep_grid.h"
#include "batch/sweep_chart_data.h"
#include "batch/sweep_options.h"

namespace morbilex::batch {

// The rows to out (the CSV header first), each finished scenario to chart
// when given; false with the reason. interrupted tells a Ctrl-C.
bool write_sweep(const AnalysisOptions& options, const SweepPlan& plan, std::FILE* out,
                 SweepChartData* chart, bool& interrupted, std::string& error);

}  // namespace morbilex::batch
