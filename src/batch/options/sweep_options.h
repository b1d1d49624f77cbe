// The options of run summaries and sweeps, taken out of the command line
// before the single run's options are read.
#pragma once

#include <string>
#include <vector>

#include "batch/options/batch_request.h"

namespace morbilex::batch {

// Takes the analysis options out of argv into options; rest gets argv[0] and
// every other argument, for the single run's parser. False with a one-line
// reason naming the option.
bool split_analysis_options(int argc, const char* const argv[], AnalysisOptions& options,
                            std::vector<const char*>& rest, std::string& error);

// The --help text's part about summaries and sweeps.
std::string analysis_usage_text();

}  // namespace morbilex::batch
