// The ensemble around a single run: the ranges' centres typed as the run's
// fields, the samples' intervals beside its summary, the bands and the
// sensitivity as CSV files.
#pragma once

#include <string>

#include "analysis/run_summary.h"
#include "batch/options/batch_request.h"
#include "batch/runs/summary_output.h"
#include "study/ensemble.h"

namespace morbilex::batch {

// Types each range's centre after the other fields, so the run is the central run.
void type_range_centres(const AnalysisOptions& analysis, BatchRequest& request);

struct EnsembleFiles {
    EnsembleResult result;
    std::string bands;        // --bands's text
    std::string sensitivity;  // --sensitivity's text
};

// Runs the ensemble (and the sensitivity's design when asked) on --jobs
// threads; false with a one-line reason.
bool run_ensemble_files(const AnalysisOptions& analysis, const BatchRequest& request,
                        EnsembleFiles& files, std::string& error);

// The summary file's text with the interval columns after the run's (and
// p_over_capacity after them with a capacity), and the readable block's
// lines of the intervals.
std::string summary_file_text_with_intervals(const RunSummary& summary,
                                             const EnsembleResult& result, const std::string& path);
std::string readable_intervals(const EnsembleResult& result);

}  // namespace morbilex::batch
