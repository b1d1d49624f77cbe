// --find-plan: the search for a plan under a capacity, and its front written
// as summary rows, each as --summary=FILE.csv writes that plan run alone.
#pragma once

#include <string>

#include "batch/options/batch_request.h"

namespace morbilex::batch {

// Searches around the single run's scenario and writes the rows to the
// output. Returns the exit status, and for any but 0 a one-line reason.
int run_plan_search(const AnalysisOptions& options, const BatchRequest& request,
                    std::string& error);

}  // namespace morbilex::batch
