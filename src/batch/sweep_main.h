// The analysis commands of morbilex-batch: a run's summary, a sweep, and the
// joining of a sweep's shard files.
#pragma once

#include <string>

#include "analysis/run_summary.h"
#include "batch/batch_options.h"
#include "batch/sweep_options.h"

namespace morbilex::batch {

// The figures of the run the records hold (after run_simulation).
SummaryRow run_summary_of(const Records& records, InterventionMode mode);
// What --summary=PATH holds: a CSV row with its header, or for a .jsonl file
// one JSON line.
std::string summary_file_text(const SummaryRow& row, const std::string& path);
// The readable block on standard output; false with a one-line reason.
bool print_summary(const SummaryRow& row, std::string& error);

// Runs the sweep (or --count) or the merge the options hold, with the single
// run's options as the base scenario. Returns the exit status, and for any
// but 0 a one-line reason in error.
int run_analysis_command(const AnalysisOptions& options, const BatchRequest& request,
                         std::string& error);

}  // namespace morbilex::batch
