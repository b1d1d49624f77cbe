// What a sweep's chart shows: each scenario's metric from its finished row, title, axes.
#pragma once

#include <string>
#include <vector>

#include "analysis/sweep_runner.h"
#include "batch/options/batch_request.h"

namespace morbilex::batch {

struct ChartLine {
    std::string label;  // empty for a chart of one line
    std::vector<double> x, y;
};

// A heat map of the metric over two swept fields, or its lines against one.
struct SweepChartContents {
    bool heat_map = false;
    std::string x_name, y_name, metric_label, title;
    std::vector<double> x_values, y_values, cells;  // a heat map's, cells row by row
    std::vector<ChartLine> lines;                   // a line chart's
};

class SweepChartData {
public:
    // The options must outlive it.
    SweepChartData(const AnalysisOptions& options, const BatchRequest& request);

    // Keeps the metric of a finished scenario (missing for an overflowed
    // run); each run_id's own slot, so the sweep's threads may call it at once.
    void take(const FinishedScenario& scenario);

    // Once every scenario is taken.
    SweepChartContents contents() const;

private:
    const AnalysisOptions& options_;
    const BatchRequest& request_;
    int column_;
    std::vector<double> values_;  // by run_id - 1
};

}  // namespace morbilex::batch
