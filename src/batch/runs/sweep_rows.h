// A sweep's rows written to a stream, on threads, stopped by Ctrl-C.
#pragma once

#include <cstdio>
#include <string>

#include "analysis/sweep_grid.h"
#include "batch/options/batch_request.h"
#include "batch/runs/compressed_output.h"
#include "batch/runs/sweep_chart_data.h"

namespace morbilex::batch {

// Where a sweep's rows start and how far they got.
struct SweepProgress {
    bool header = true;        // the CSV header first
    long long skip = 0;        // the shard's first rows, written before
    long long rows = 0;        // rows written now
    bool interrupted = false;  // stopped by a signal (see interrupt.h)
};

// The rows to out (not finished), each finished scenario to chart when given; false with
// the reason. The caller holds an InterruptHandler.
bool write_sweep(const AnalysisOptions& options, const SweepPlan& plan, CompressedOutput& out,
                 SweepChartData* chart, SweepProgress& progress, std::string& error);

}  // namespace morbilex::batch
