// The analysis commands of morbilex-batch: a sweep and the joining of a
// sweep's shard files.
#pragma once

#include <string>

#include "batch/options/batch_request.h"

namespace morbilex::batch {

// Runs the sweep (or --count) or the merge the options hold, with the single
// run's options as the base scenario. Returns the exit status, and for any
// but 0 a one-line reason in error.
int run_analysis_command(const AnalysisOptions& options, const BatchRequest& request,
                         std::string& error);

}  // namespace morbilex::batch
